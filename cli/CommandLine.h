// The command layer of quarnlogcfg: one command line in, text on the two outputs and an exit
// code out. The console program around it only supplies the arguments, standard input and the
// outputs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Where the commands write: text (a table, messages) or a document (JSON, written as it is).
class COutput {
public:
    virtual ~COutput() = default;
    // UTF-8; lines end in '\n'. 0, or the system's code when the text could not be written.
    virtual DWORD WriteText(const std::string& strUtf8) = 0;
    virtual DWORD WriteDocument(const std::string& strUtf8) = 0;
};

// What a file name "-" reads: standard input.
class CInput {
public:
    virtual ~CInput() = default;
    // All of it, as bytes: 0, or the system's code when it could not be read.
    virtual DWORD ReadAll(std::string& strBytes) = 0;
};

// The same for every command.
enum EExitCode {
    kExitDone = 0,         // done; check: compliant; explain: logged
    kExitFound = 1,        // check: something found; explain: not logged; a name refused
    kExitBadInput = 2,     // bad command line or bad input; nothing written
    kExitSystemFailure = 3 // the registry, a file or a standard stream failed; the system says why
};

// The arguments after the program's name, in UTF-8.
int RunCommandLine(const std::vector<std::string>& args, CInput& in, COutput& out, COutput& err);
