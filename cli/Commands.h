// The command layer of quarnlogcfg: one command line in, text on the two outputs and an exit
// code out. The console program around it only supplies the arguments and the outputs.
#pragma once

#include <string>
#include <vector>

// Where the commands write: text (a table, messages) or a document (JSON, written as it is).
class COutput {
public:
    virtual ~COutput() = default;
    // UTF-8; lines end in '\n'.
    virtual void WriteText(const std::string& strUtf8) = 0;
    virtual void WriteDocument(const std::string& strUtf8) = 0;
};

// The same for every command.
enum EExitCode {
    kExitDone = 0,           // done; check: nothing found
    kExitFound = 1,          // check: something found; a name refused (unknown, or existing)
    kExitBadInput = 2,       // bad command line or bad input; nothing written
    kExitRegistryFailure = 3 // the registry failed; the system's message says why
};

// The arguments after the program's name, in UTF-8.
int RunCommandLine(const std::vector<std::string>& args, COutput& out, COutput& err);
