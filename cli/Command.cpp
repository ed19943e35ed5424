#include "cli/Command.h"

#include "cli/Document.h"
#include "cli/Text.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "logconfig/SubSystemName.h"
#include "registry/Registry.h"

const std::string kBaseKeyDisplay = std::string("HKLM\\") + kLogConfigBaseKey;

void Refuse(int nExitCode, const std::string& strMessage) {
    throw SCommandFailure{nExitCode, strMessage};
}

void SystemFailure(const std::string& strWhat, DWORD dwError) {
    Refuse(kExitSystemFailure, strWhat + ": " + SystemErrorText(dwError));
}

void Print(SConsole& console, const std::string& strUtf8) {
    if (const DWORD dwError = console.out.WriteText(strUtf8))
        SystemFailure("the standard output cannot be written", dwError);
}

void PrintDocument(SConsole& console, const std::string& strUtf8) {
    if (const DWORD dwError = console.out.WriteDocument(strUtf8))
        SystemFailure("the standard output cannot be written", dwError);
}

void Note(SConsole& console, const std::string& strLine) {
    // Where the standard error cannot be written, nothing can be told anyway.
    console.err.WriteMessage(EMessageKind::kNote, strLine);
}

std::string SubSystemKeyDisplay(const CString& strName) {
    return SubSystemKeyDisplay(AnsiToUtf8(strName));
}

std::string SubSystemKeyDisplay(const std::string& strNameUtf8) {
    return kBaseKeyDisplay + "\\" + Excerpt(strNameUtf8, 64);
}

std::string Quoted(const std::string& strUtf8) {
    return "\"" + Excerpt(strUtf8) + "\"";
}

std::string LevelWord(int nLevel) {
    return static_cast<const char*>(LogLevelToString(nLevel));
}

std::string TypeWord(int nType) {
    return static_cast<const char*>(LogTypeToString(nType));
}

namespace {

[[noreturn]] void ReadFailure(const CStoredConfiguration& stored, LONG lResult) {
    const std::string strWhere = stored.m_unreadable.empty()
                                     ? kBaseKeyDisplay
                                     : SubSystemKeyDisplay(stored.m_unreadable.front().strName);
    SystemFailure("the configuration cannot be read (" + strWhere + ")",
                  static_cast<DWORD>(lResult));
}

} // namespace

void ReadMachine(CStoredConfiguration& stored) {
    if (const LONG lResult = stored.Read())
        ReadFailure(stored, lResult);
}

void ReadMachine(CStoredConfiguration& stored, const std::vector<std::string>& namesUtf8) {
    std::vector<CString> names;
    for (const std::string& strName : namesUtf8)
        names.push_back(SubSystemName(strName));
    if (const LONG lResult = stored.ReadOnly(names))
        ReadFailure(stored, lResult);
}

CString SubSystemName(const std::string& strNameUtf8) {
    CString strName;
    const std::string strProblem = ConvertSubSystemName(strNameUtf8, strName);
    if (!strProblem.empty())
        Refuse(kExitBadInput, strProblem);
    return strName;
}

std::vector<std::string> KeysBeyondCodePage(const CStoredConfiguration& stored) {
    std::vector<std::string> names;
    if (stored.m_nKeysBeyondCodePage == 0)
        return names;
    CRegistryT<1> base(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    base.Open();
    for (const std::wstring& strName : SubSystemNamesBeyondCodePage(base.m_hKey))
        names.push_back(WideToUtf8(strName));
    return names;
}

void NoteKeysLeftOut(const CStoredConfiguration& stored, SConsole& console) {
    for (const std::string& strName : KeysBeyondCodePage(stored))
        Note(console, SubSystemKeyDisplay(strName) +
                          " is left out: its name cannot be read or written through the ANSI "
                          "code page (quarnlogcfg remove deletes it by that name)");
}

const CStoredConfiguration::SSubSystem& FindSubSystem(const CStoredConfiguration& stored,
                                                      const std::string& strNameUtf8) {
    const CStoredConfiguration::SSubSystem* pSubSystem = stored.Find(SubSystemName(strNameUtf8));
    if (!pSubSystem)
        Refuse(kExitFound, "there is no subsystem " + Quoted(strNameUtf8));
    return *pSubSystem;
}

std::vector<const CStoredConfiguration::SSubSystem*>
FindSubSystems(const CStoredConfiguration& stored, const std::vector<std::string>& names) {
    std::vector<const CStoredConfiguration::SSubSystem*> found;
    for (const std::string& strName : names)
        found.push_back(&FindSubSystem(stored, strName));
    return found;
}

std::string ReadInput(SConsole& console, const std::string& strPath) {
    std::string strBytes;
    if (strPath == "-") {
        if (const DWORD dwError = console.in.ReadAll(strBytes))
            SystemFailure("the standard input cannot be read", dwError);
    } else if (const DWORD dwError = ReadTextFile(strPath, strBytes)) {
        SystemFailure(Excerpt(strPath, 200) + " cannot be read", dwError);
    }
    return DecodeText(strBytes);
}
