// The program's standard streams as the commands write and read them.
#pragma once

#include "cli/CommandLine.h"

#include <windows.h>

#include <chrono>
#include <string>

// Standard output or error: UTF-16 to a console, so that every name shows as it is; otherwise
// text in the console's code page (what PowerShell and cmd read back) and documents as UTF-8.
class CStandardOutput : public COutput {
public:
    explicit CStandardOutput(DWORD dwWhich);

    DWORD WriteText(const std::string& strUtf8) override;
    DWORD WriteDocument(const std::string& strUtf8) override;

private:
    DWORD Write(const std::string& strUtf8, bool bDocument);

    HANDLE m_hOutput;
};

class CStandardInput : public CInput {
public:
    DWORD ReadAll(std::string& strBytes) override;

    // DSC writes an instance into a pipe of its own as it starts the program. Without one, DSC
    // 3.2.2 and later give the null device, earlier releases their own standard input, which may
    // be a console or a pipe that stays open: what does not begin to arrive at once is none.
    DWORD ReadIfGiven(std::string& strBytes) override;

private:
    // Many times what a writer that starts the program with its input needs to begin.
    static constexpr std::chrono::seconds kInstanceWait{2};
};
