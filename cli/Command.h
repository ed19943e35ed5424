// What the commands of quarnlogcfg share: their streams, how they end early, how they name keys
// and values in messages, and how they read the machine and their input.
#pragma once

#include "cli/CommandLine.h"
#include "framework/CString.h"
#include "logconfig/StoredConfiguration.h"

#include <optional>
#include <string>
#include <vector>

struct SConsole {
    CInput& in;
    COutput& out;
    COutput& err;
};

// How a command ends early: its exit code and what to tell on standard error.
struct SCommandFailure {
    int nExitCode;
    std::string strMessage;
};

[[noreturn]] void Refuse(int nExitCode, const std::string& strMessage);
// The system failed: exit code 3, with what failed and the system's own message.
[[noreturn]] void SystemFailure(const std::string& strWhat, DWORD dwError);

// To standard output; a failure to write ends the command with exit code 3.
void Print(SConsole& console, const std::string& strUtf8);
void PrintDocument(SConsole& console, const std::string& strUtf8);
// A line on standard error that is not a failure, such as a key left out.
void Note(SConsole& console, const std::string& strLine);

// "HKLM\SOFTWARE\...\QuarnEventLogging" and the key of one subsystem below it, for messages.
extern const std::string kBaseKeyDisplay;
std::string SubSystemKeyDisplay(const CString& strName);
std::string SubSystemKeyDisplay(const std::string& strNameUtf8);
// A text in quotes, on one line and short.
std::string Quoted(const std::string& strUtf8);
std::string LevelWord(int nLevel);
std::string TypeWord(int nType);

// The configuration read without changing anything; exit code 3 when it cannot be read.
void ReadMachine(CStoredConfiguration& stored);
// The same with only the subsystems of these names, for a command about those alone.
void ReadMachine(CStoredConfiguration& stored, const std::vector<std::string>& namesUtf8);
// A subsystem's name given on the command line, in the ANSI code page: exit code 2 when it
// cannot name a key (ConvertSubSystemName).
CString SubSystemName(const std::string& strNameUtf8);
// Subsystem keys whose names the ANSI code page cannot hold, in UTF-8, read again by their own
// names: none unless the reading found such keys.
std::vector<std::string> KeysBeyondCodePage(const CStoredConfiguration& stored);
// For show and export, which leave those keys out: a note on standard error for each.
void NoteKeysLeftOut(const CStoredConfiguration& stored, SConsole& console);

// A subsystem named on the command line: exit code 2 for a name that cannot name a key, 1 when
// there is none of that name.
const CStoredConfiguration::SSubSystem& FindSubSystem(const CStoredConfiguration& stored,
                                                      const std::string& strNameUtf8);
std::vector<const CStoredConfiguration::SSubSystem*>
FindSubSystems(const CStoredConfiguration& stored, const std::vector<std::string>& names);

// A whole file, or standard input for "-", as UTF-8; exit code 3 when it cannot be read.
std::string ReadInput(SConsole& console, const std::string& strPath);

// The commands, each in a file of its own.
struct SCheckArguments {
    std::optional<std::string> expectFile; // given, if empty
    bool bStrict = false;
    bool bJson = false;
};
struct SSetArguments {
    std::string strName;
    bool bDefault = false;
    bool bWhatIf = false;
    std::optional<std::string> level, type, days; // given, if empty
};

int Show(const std::vector<std::string>& names, bool bJson, SConsole& console);
int Check(const SCheckArguments& args, SConsole& console);
int Set(const SSetArguments& args, SConsole& console);
int Add(const std::string& strName, bool bWhatIf, SConsole& console);
int Remove(const std::vector<std::string>& names, bool bWhatIf, SConsole& console);
int Explain(const std::string& strName, const std::string& strLevel, const std::string& strType,
            SConsole& console);
int Export(const std::string& strFile, SConsole& console);
int Import(const std::string& strFile, bool bWhatIf, SConsole& console);
// strOperation: get, set (bWhatIf: what it would do), test or export.
int Dsc(const std::string& strOperation, bool bWhatIf, SConsole& console);
int Schema(SConsole& console);
