// The standard error as DSC reads a resource's: each message one JSON line, {"error": TEXT},
// {"warn": TEXT} or {"info": TEXT}, which DSC shows at that level (plain text it keeps to its
// trace log, and it stops reading at the first line that is not UTF-8). Always UTF-8, whatever
// the console's code page.
#pragma once

#include "cli/CommandLine.h"

#include <string>

class CDscMessages : public COutput {
public:
    explicit CDscMessages(COutput& output) : m_output(output) {}

    DWORD WriteText(const std::string& strUtf8) override;
    DWORD WriteDocument(const std::string& strUtf8) override;
    DWORD WriteMessage(EMessageKind kind, const std::string& strUtf8) override;

private:
    COutput& m_output;
};
