// The command layer of quarnlogcfg: one command line in, text on the two outputs and an exit
// code out. The console program around it only supplies the arguments, standard input and the
// outputs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What a message on the standard error tells: why the command fails (its last message), a note
// beside a result, or what was written (or would be).
enum class EMessageKind { kFailure, kNote, kProgress };

// Where the commands write: text (a table, messages) or a document (JSON, written as it is).
class COutput {
public:
    virtual ~COutput() = default;
    // UTF-8; lines end in '\n'. 0, or the system's code when the text could not be written.
    virtual DWORD WriteText(const std::string& strUtf8) = 0;
    virtual DWORD WriteDocument(const std::string& strUtf8) = 0;
    // A message without the program's name and line break. By default one line of text,
    // "quarnlogcfg: TEXT", a note as "quarnlogcfg: note: TEXT".
    virtual DWORD WriteMessage(EMessageKind kind, const std::string& strUtf8) {
        return WriteText(std::string("quarnlogcfg: ") +
                         (kind == EMessageKind::kNote ? "note: " : "") + strUtf8 + "\n");
    }
};

// What a file name "-" reads: standard input.
class CInput {
public:
    virtual ~CInput() = default;
    // All of it, as bytes: 0, or the system's code when it could not be read.
    virtual DWORD ReadAll(std::string& strBytes) = 0;
    // The same for a reader to whom input is optional and who must not wait for input that never
    // comes: what is not there at once (a console, a pipe that nobody writes to) counts as none.
    virtual DWORD ReadIfGiven(std::string& strBytes) { return ReadAll(strBytes); }
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
