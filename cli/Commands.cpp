#include "cli/Commands.h"

#include "cli/Document.h"
#include "cli/Text.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "logconfig/StoredConfiguration.h"
#include "logconfig/SubSystemName.h"
#include "registry/Registry.h"
#include "registry/RegistryError.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <optional>

namespace {

constexpr char kProgramName[] = "quarnlogcfg";

constexpr char kExitCodeHelp[] =
    "Exit codes:\n"
    "  0  done; check: nothing found\n"
    "  1  check: problems or differences found; a name refused (no such subsystem,\n"
    "     or one that exists already)\n"
    "  2  bad command line or bad input; nothing is written\n"
    "  3  the registry failed (for instance access denied), with the system's message\n";

const std::string kBaseKeyDisplay = std::string("HKLM\\") + kLogConfigBaseKey;

// How a command ends early: its exit code and what to tell on standard error.
struct SCommandFailure {
    int nExitCode;
    std::string strMessage;
};

[[noreturn]] void Refuse(int nExitCode, const std::string& strMessage) {
    throw SCommandFailure{nExitCode, strMessage};
}

[[noreturn]] void RegistryFailure(const std::string& strWhat, LONG lError) {
    Refuse(kExitRegistryFailure, strWhat + ": " + AnsiToUtf8(RegistryErrorText(lError)));
}

std::string Quoted(const std::string& strText) {
    return "\"" + strText + "\"";
}

std::string Word(const CString& strWord) {
    return static_cast<const char*>(strWord);
}

std::string KeyOf(const CString& strName) {
    return kBaseKeyDisplay + "\\" + AnsiToUtf8(strName);
}

// A subsystem named on the command line, in the ANSI code page.
CString AnsiName(const std::string& strUtf8) {
    CString strAnsi;
    if (!Utf8ToAnsi(strUtf8, strAnsi))
        Refuse(kExitBadInput, "the name " + Quoted(strUtf8) +
                                  " has characters that the ANSI code page cannot hold");
    return strAnsi;
}

void ReadMachine(CStoredConfiguration& stored) {
    const LONG lResult = stored.Read();
    if (lResult != ERROR_SUCCESS)
        RegistryFailure("the configuration cannot be read", lResult);
}

std::vector<const CStoredConfiguration::SSubSystem*>
NamedSubSystems(const CStoredConfiguration& stored, const std::vector<std::string>& names) {
    std::vector<const CStoredConfiguration::SSubSystem*> found;
    for (const std::string& strName : names) {
        const CStoredConfiguration::SSubSystem* pSubSystem = stored.Find(AnsiName(strName));
        if (!pSubSystem)
            Refuse(kExitFound, "there is no subsystem " + Quoted(strName));
        found.push_back(pSubSystem);
    }
    return found;
}

// ---- show ---------------------------------------------------------------------------------------

size_t DisplayWidth(const std::string& strUtf8) {
    return Utf8ToWide(strUtf8).size();
}

bool Logs(int nEffectiveLevel, int nEffectiveType) {
    return LogLevelLogsEvent(nEffectiveLevel, LOG_LEVEL_RELEASE) &&
           LogTypeLogsEvent(nEffectiveType, LOG_TYPE_FATAL_ERROR);
}

std::string Table(const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    std::string strTable;
    for (const auto& row : rows) {
        std::string strLine;
        for (size_t i = 0; i < row.size(); ++i) {
            strLine += row[i];
            if (i + 1 < row.size())
                strLine += std::string(widths[i] - DisplayWidth(row[i]) + 2, ' ');
        }
        strTable += strLine + "\n";
    }
    return strTable;
}

int Show(const std::vector<std::string>& names, bool bJson, COutput& out) {
    CStoredConfiguration stored;
    ReadMachine(stored);
    const auto selected = NamedSubSystems(stored, names);
    const auto* pSelected = names.empty() ? nullptr : &selected;
    if (bJson) {
        out.WriteDocument(ConfigurationDocument(stored, pSelected).dump(2, ' ', false) + "\n");
        return kExitDone;
    }

    const CDefaultLogSettings& defaults = stored.m_defaultSettings;
    std::vector<std::vector<std::string>> rows = {
        {"Name", "Level", "Type", "Effective level", "Effective type", "Logs"}};
    auto addRow = [&](const CSubSystemLogSettings& settings) {
        const int nLevel = EffectiveLogLevel(settings.GetLogLevel(), defaults.GetLogLevel());
        const int nType = EffectiveLogType(settings.GetLogType(), defaults.GetLogType());
        rows.push_back(
            {AnsiToUtf8(settings.GetName()), Word(LogLevelToString(settings.GetLogLevel())),
             Word(LogTypeToString(settings.GetLogType())), Word(LogLevelToString(nLevel)),
             Word(LogTypeToString(nType)), Logs(nLevel, nType) ? "yes" : "no"});
    };
    addRow(defaults);
    if (pSelected) {
        for (const auto* pSubSystem : selected)
            addRow(*pSubSystem->pSettings);
    } else {
        for (const auto& subSystem : stored.m_subSystems)
            addRow(*subSystem.pSettings);
    }
    out.WriteText("Delete logs older than " + std::to_string(stored.m_nExpireLogsAfter) +
                  " days\n\n" + Table(rows));
    return kExitDone;
}

// ---- check --------------------------------------------------------------------------------------

std::string TypeName(DWORD dwType) {
    switch (dwType) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN:
        return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK:
        return "REG_LINK";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_QWORD:
        return "REG_QWORD";
    default:
        return "type " + std::to_string(dwType);
    }
}

std::string Holds(const SRegistryValue& value) {
    if (value.dwType == REG_SZ || value.dwType == REG_EXPAND_SZ || value.dwType == REG_MULTI_SZ)
        return Quoted(AnsiToUtf8(value.Text()));
    if (value.dwType == REG_DWORD && value.data.size() == sizeof(DWORD)) {
        DWORD dwValue = 0;
        memcpy(&dwValue, value.data.data(), sizeof dwValue);
        return std::to_string(dwValue);
    }
    return std::to_string(value.data.size()) + " bytes";
}

class CProblemList {
public:
    // The registry type and length that the dialog can read; false when it cannot read the text.
    bool CheckStorage(const std::string& strKey, const char* pszValueName,
                      const SRegistryValue& value) {
        if (value.dwType != REG_SZ)
            Add(strKey + ": " + pszValueName + " is " + TypeName(value.dwType) + " " +
                Holds(value) + ", not REG_SZ");
        if (value.IsReadableAsText())
            return true;
        Add(strKey + ": " + pszValueName + " holds " + std::to_string(value.data.size()) +
            " bytes, more than the " + std::to_string(kRegistryValueBufferSize) +
            " that the dialog reads, so it counts as missing");
        return false;
    }

    void CheckWord(const std::string& strKey, const char* pszValueName, const SRegistryValue& value,
                   bool bLevel, bool bDefaultSettings) {
        if (!value.Exists() || !CheckStorage(strKey, pszValueName, value))
            return;
        const std::string strWord = AnsiToUtf8(value.Text());
        int nValue = 0;
        const bool bKnown =
            bLevel ? ParseLevelWord(strWord, true, nValue) : ParseTypeWord(strWord, true, nValue);
        if (!bKnown)
            Add(strKey + ": " + pszValueName + " holds " + Quoted(strWord) + ", which is not a " +
                (bLevel ? "level" : "type") + ", so the dialog shows \"Default\"");
        else if (bDefaultSettings &&
                 nValue == (bLevel ? static_cast<int>(LOG_LEVEL_DEFAULT) : LOG_TYPE_DEFAULT))
            Add(strKey + ": " + pszValueName +
                " holds \"Default\", which the default settings cannot follow");
    }

    void CheckOneNone(const std::string& strKey, const char* pszLevelName, const char* pszTypeName,
                      const CSubSystemLogSettings& settings) {
        const bool bLevelNone = settings.GetLogLevel() == LOG_LEVEL_NONE;
        const bool bTypeNone = settings.GetLogType() == LOG_TYPE_NONE;
        if (bLevelNone != bTypeNone)
            Add(strKey + ": " + pszLevelName + " " +
                Word(LogLevelToString(settings.GetLogLevel())) + " with " + pszTypeName + " " +
                Word(LogTypeToString(settings.GetLogType())) +
                " logs nothing, but only None and None is switched off");
    }

    template <class T>
    void Differs(const std::string& strKey, const char* pszWhat, const T& machine,
                 const T& expected) {
        if (machine != expected)
            Add(strKey + ": " + pszWhat + " is " + machine + ", expected " + expected);
    }

    void Add(const std::string& strLine) { m_lines.push_back(strLine); }
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    std::vector<std::string> m_lines;
};

void CheckStored(const CStoredConfiguration& stored, CProblemList& problems) {
    if (stored.m_expireLogsAfter.Exists() &&
        problems.CheckStorage(kBaseKeyDisplay, kExpireLogsAfterValueName,
                              stored.m_expireLogsAfter)) {
        int nDays = 0;
        if (!ParseStoredDayCount(stored.m_expireLogsAfter.data.substr(
                                     0, stored.m_expireLogsAfter.Text().GetLength()),
                                 nDays))
            problems.Add(kBaseKeyDisplay + ": " + kExpireLogsAfterValueName + " holds " +
                         Quoted(AnsiToUtf8(stored.m_expireLogsAfter.Text())) +
                         ", not a day count from " + std::to_string(kMinExpireLogsAfterDays) +
                         " to " + std::to_string(kMaxExpireLogsAfterDays) +
                         " in decimal digits (the dialog reads " +
                         std::to_string(stored.m_nExpireLogsAfter) + ")");
    }
    problems.CheckWord(kBaseKeyDisplay, kDefaultLogLevelValueName, stored.m_defaultLevel, true,
                       true);
    problems.CheckWord(kBaseKeyDisplay, kDefaultLogTypeValueName, stored.m_defaultType, false,
                       true);
    problems.CheckOneNone(kBaseKeyDisplay, kDefaultLogLevelValueName, kDefaultLogTypeValueName,
                          stored.m_defaultSettings);
    for (const auto& subSystem : stored.m_subSystems) {
        const std::string strKey = KeyOf(subSystem.pSettings->GetName());
        problems.CheckWord(strKey, kLogLevelValueName, subSystem.level, true, false);
        problems.CheckWord(strKey, kLogTypeValueName, subSystem.type, false, false);
        problems.CheckOneNone(strKey, kLogLevelValueName, kLogTypeValueName, *subSystem.pSettings);
    }
}

SConfigurationDocument ReadDocumentFile(const std::string& strPath) {
    std::string strText;
    if (const DWORD dwError = ReadTextFile(strPath, strText))
        Refuse(kExitBadInput,
               strPath + ": " + AnsiToUtf8(RegistryErrorText(static_cast<LONG>(dwError))));
    SConfigurationDocument document;
    const std::string strError = ReadConfigurationDocument(strText, document);
    if (!strError.empty())
        Refuse(kExitBadInput, strPath + ": " + strError);
    return document;
}

std::string LevelWord(int nLevel) {
    return Word(LogLevelToString(nLevel));
}
std::string TypeWord(int nType) {
    return Word(LogTypeToString(nType));
}

void CompareWithDocument(const CStoredConfiguration& stored, const SConfigurationDocument& document,
                         CProblemList& problems) {
    if (document.nExpireLogsAfter)
        problems.Differs(kBaseKeyDisplay, kExpireLogsAfterValueName,
                         std::to_string(stored.m_nExpireLogsAfter),
                         std::to_string(*document.nExpireLogsAfter));
    const CDefaultLogSettings& defaults = stored.m_defaultSettings;
    if (document.defaults && document.defaults->nLevel)
        problems.Differs(kBaseKeyDisplay, kDefaultLogLevelValueName,
                         LevelWord(defaults.GetLogLevel()), LevelWord(*document.defaults->nLevel));
    if (document.defaults && document.defaults->nType)
        problems.Differs(kBaseKeyDisplay, kDefaultLogTypeValueName, TypeWord(defaults.GetLogType()),
                         TypeWord(*document.defaults->nType));
    for (const SDocumentNode& node : document.subSystems) {
        const CStoredConfiguration::SSubSystem* pSubSystem = stored.Find(node.strName);
        if (!pSubSystem) {
            problems.Add(KeyOf(node.strName) + ": no such subsystem, expected one");
            continue;
        }
        const std::string strKey = KeyOf(pSubSystem->pSettings->GetName());
        const CSubSystemLogSettings& settings = *pSubSystem->pSettings;
        const int nLevel = settings.GetLogLevel();
        const int nType = settings.GetLogType();
        if (node.nLevel)
            problems.Differs(strKey, kLogLevelValueName, LevelWord(nLevel),
                             LevelWord(*node.nLevel));
        if (node.nType)
            problems.Differs(strKey, kLogTypeValueName, TypeWord(nType), TypeWord(*node.nType));
        // What it follows, where the stored word itself was not compared or agrees.
        if (node.nEffectiveLevel && (!node.nLevel || *node.nLevel == nLevel))
            problems.Differs(strKey, "the effective level",
                             LevelWord(EffectiveLogLevel(nLevel, defaults.GetLogLevel())),
                             LevelWord(*node.nEffectiveLevel));
        if (node.nEffectiveType && (!node.nType || *node.nType == nType))
            problems.Differs(strKey, "the effective type",
                             TypeWord(EffectiveLogType(nType, defaults.GetLogType())),
                             TypeWord(*node.nEffectiveType));
    }
}

int Check(const std::string& strExpectFile, COutput& out) {
    std::optional<SConfigurationDocument> document;
    if (!strExpectFile.empty())
        document = ReadDocumentFile(strExpectFile);
    CStoredConfiguration stored;
    ReadMachine(stored);
    CProblemList problems;
    CheckStored(stored, problems);
    if (document)
        CompareWithDocument(stored, *document, problems);
    std::string strText;
    for (const std::string& strLine : problems.Lines())
        strText += strLine + "\n";
    out.WriteText(strText);
    return problems.Lines().empty() ? kExitDone : kExitFound;
}

// ---- set and add --------------------------------------------------------------------------------

// The key of a subsystem that must exist; refused when it does not.
CString ExistingSubSystemKey(const std::string& strName) {
    const CString strAnsi = AnsiName(strName);
    if (strAnsi.IsEmpty() || strAnsi.Find('\\') >= 0)
        Refuse(kExitBadInput, "the name " + Quoted(strName) + " cannot name a subsystem");
    CRegistryT<1> key(HKEY_LOCAL_MACHINE, SubSystemKeyPath(strAnsi));
    if (key.Open() != ERROR_SUCCESS) {
        if (key.m_lSystemResult == ERROR_FILE_NOT_FOUND)
            Refuse(kExitFound, "there is no subsystem " + Quoted(strName));
        RegistryFailure("the subsystem " + Quoted(strName) + " cannot be read",
                        key.m_lSystemResult);
    }
    return SubSystemKeyPath(strAnsi);
}

void WriteValue(const CString& strKeyPath, const char* pszValueName, const CString& strText) {
    CRegistryT<0> key(HKEY_LOCAL_MACHINE, strKeyPath);
    LONG lResult = key.Open();
    if (lResult == ERROR_SUCCESS)
        lResult = WriteRegistryText(key.m_hKey, pszValueName, strText);
    if (lResult != ERROR_SUCCESS)
        RegistryFailure(std::string(pszValueName) + " cannot be written", lResult);
}

struct SSetArguments {
    std::string strName;
    bool bDefault = false;
    std::optional<std::string> level, type, days; // given, if empty
};

int Set(const SSetArguments& args) {
    const bool bTarget = args.bDefault || !args.strName.empty();
    const bool bWord = args.level || args.type;
    if (args.bDefault && !args.strName.empty())
        Refuse(kExitBadInput, "give either a subsystem's NAME or --default, not both");
    if (bTarget != bWord)
        Refuse(kExitBadInput,
               bTarget ? "give --level or --type to set"
                       : "give the subsystem's NAME or --default for --level and --type");
    if (!bWord && !args.days)
        Refuse(kExitBadInput, "nothing to set: give --level, --type or --days");

    // Everything is checked before the first value is written.
    std::optional<int> nLevel, nType, nDays;
    int nValue = 0;
    if (args.level) {
        if (!ParseLevelWord(*args.level, !args.bDefault, nValue))
            Refuse(
                kExitBadInput,
                Quoted(*args.level) + " is not a level: Release, Debug, Trace, None" +
                    (args.bDefault ? " (the default settings cannot be Default)" : " or Default"));
        nLevel = nValue;
    }
    if (args.type) {
        if (!ParseTypeWord(*args.type, !args.bDefault, nValue))
            Refuse(
                kExitBadInput,
                Quoted(*args.type) +
                    " is not a type: FatalError, Error, Warning, Information, None" +
                    (args.bDefault ? " (the default settings cannot be Default)" : " or Default"));
        nType = nValue;
    }
    if (args.days) {
        if (!ParseStoredDayCount(*args.days, nValue))
            Refuse(kExitBadInput, Quoted(*args.days) + " is not a whole number of days from " +
                                      std::to_string(kMinExpireLogsAfterDays) + " to " +
                                      std::to_string(kMaxExpireLogsAfterDays));
        nDays = nValue;
    }
    const CString strKey = args.bDefault || args.strName.empty()
                               ? CString(kLogConfigBaseKey)
                               : ExistingSubSystemKey(args.strName);

    if (nDays)
        WriteValue(kLogConfigBaseKey, kExpireLogsAfterValueName, FormatDayCount(*nDays));
    if (nLevel)
        WriteValue(strKey, args.bDefault ? kDefaultLogLevelValueName : kLogLevelValueName,
                   LogLevelToString(*nLevel));
    if (nType)
        WriteValue(strKey, args.bDefault ? kDefaultLogTypeValueName : kLogTypeValueName,
                   LogTypeToString(*nType));
    return kExitDone;
}

int Add(const std::string& strName) {
    CString strAnsi;
    const std::string strError = CheckNewName(strName, strAnsi);
    if (!strError.empty())
        Refuse(kExitBadInput, strError);
    CRegistryT<1> existing(HKEY_LOCAL_MACHINE, SubSystemKeyPath(strAnsi));
    if (existing.Open() == ERROR_SUCCESS)
        Refuse(kExitFound, "the subsystem " + Quoted(strName) + " exists already");
    if (existing.m_lSystemResult != ERROR_FILE_NOT_FOUND)
        RegistryFailure("the subsystem " + Quoted(strName) + " cannot be read",
                        existing.m_lSystemResult);
    // Saved as the dialog saves a subsystem just added: level and type Default.
    CSubSystemLogSettings settings(strAnsi);
    if (const LONG lResult = settings.Save())
        RegistryFailure("the subsystem " + Quoted(strName) + " cannot be created", lResult);
    return kExitDone;
}

// ---- explain ------------------------------------------------------------------------------------

std::string List(const std::vector<std::string>& words) {
    std::string strList;
    for (size_t i = 0; i < words.size(); ++i)
        strList += (i == 0 ? "" : i + 1 == words.size() ? " and " : ", ") + words[i];
    return strList;
}

// "its level Default, that is the default settings' Trace, logs Release, Debug and Trace events"
std::string Reason(const char* pszWhat, int nOwn, int nEffective, bool bFollows, int nFirst,
                   int nLastReal, std::string (*pfnWord)(int), bool (*pfnLogs)(int, int)) {
    std::string strReason = std::string("its ") + pszWhat + " " + pfnWord(nOwn);
    if (bFollows)
        strReason += ", that is the default settings' " + pfnWord(nEffective) + ",";
    std::vector<std::string> logged;
    for (int n = nFirst; n <= nLastReal; ++n) {
        if (pfnLogs(nEffective, n))
            logged.push_back(pfnWord(n));
    }
    return strReason + " logs " + (logged.empty() ? "no events" : List(logged) + " events");
}

int Explain(const std::string& strName, const std::string& strLevel, const std::string& strType,
            COutput& out) {
    int nEventLevel = 0, nEventType = 0;
    if (!ParseLevelWord(strLevel, false, nEventLevel) || nEventLevel == LOG_LEVEL_NONE)
        Refuse(kExitBadInput,
               Quoted(strLevel) + " is not an event's level: Release, Debug or Trace");
    if (!ParseTypeWord(strType, false, nEventType) || nEventType == LOG_TYPE_NONE)
        Refuse(kExitBadInput,
               Quoted(strType) +
                   " is not an event's type: FatalError, Error, Warning or Information");
    CStoredConfiguration stored;
    ReadMachine(stored);
    const CSubSystemLogSettings& settings = *NamedSubSystems(stored, {strName}).front()->pSettings;
    const CDefaultLogSettings& defaults = stored.m_defaultSettings;
    const int nLevel = EffectiveLogLevel(settings.GetLogLevel(), defaults.GetLogLevel());
    const int nType = EffectiveLogType(settings.GetLogType(), defaults.GetLogType());
    const bool bLogged =
        LogLevelLogsEvent(nLevel, nEventLevel) && LogTypeLogsEvent(nType, nEventType);

    const std::string strSubject = AnsiToUtf8(settings.GetName());
    const std::string strEvent = LevelWord(nEventLevel) + " " + TypeWord(nEventType) + " events";
    std::string strText = strSubject + (bLogged ? " logs " : " does not log ") + strEvent + ".\n";
    if (!settings.IsEnabled()) {
        strText += "It is switched off: its level and type are None and None.\n";
    } else {
        strText +=
            "Because " +
            Reason("level", settings.GetLogLevel(), nLevel,
                   settings.GetLogLevel() == LOG_LEVEL_DEFAULT, LOG_LEVEL_RELEASE, LOG_LEVEL_TRACE,
                   &LevelWord, &LogLevelLogsEvent) +
            ", and " +
            Reason("type", settings.GetLogType(), nType, settings.GetLogType() == LOG_TYPE_DEFAULT,
                   LOG_TYPE_FATAL_ERROR, LOG_TYPE_INFORMATION, &TypeWord, &LogTypeLogsEvent) +
            ".\n";
    }
    out.WriteText(strText);
    return kExitDone;
}

// ---- export and import --------------------------------------------------------------------------

int Export(const std::string& strFile, COutput& out) {
    CStoredConfiguration stored;
    ReadMachine(stored);
    const std::string strDocument =
        ConfigurationDocument(stored, nullptr).dump(2, ' ', false) + "\n";
    if (strFile == "-") {
        out.WriteDocument(strDocument);
        return kExitDone;
    }
    if (const DWORD dwError = WriteTextFile(strFile, strDocument))
        Refuse(kExitBadInput,
               strFile + ": " + AnsiToUtf8(RegistryErrorText(static_cast<LONG>(dwError))));
    return kExitDone;
}

int Import(const std::string& strFile) {
    const SConfigurationDocument document = ReadDocumentFile(strFile);

    // Whether anything can be written at all, before the first value is.
    {
        CRegistryT<0> base(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
        if (const LONG lResult = base.Open())
            RegistryFailure("the configuration cannot be written", lResult);
    }
    if (document.nExpireLogsAfter)
        WriteValue(kLogConfigBaseKey, kExpireLogsAfterValueName,
                   FormatDayCount(*document.nExpireLogsAfter));
    if (document.defaults && document.defaults->nLevel)
        WriteValue(kLogConfigBaseKey, kDefaultLogLevelValueName,
                   LogLevelToString(*document.defaults->nLevel));
    if (document.defaults && document.defaults->nType)
        WriteValue(kLogConfigBaseKey, kDefaultLogTypeValueName,
                   LogTypeToString(*document.defaults->nType));
    for (const SDocumentNode& node : document.subSystems) {
        // Opening for writing creates a missing key, as saving a subsystem does in the dialog.
        CRegistryT<0> key(HKEY_LOCAL_MACHINE, SubSystemKeyPath(node.strName));
        LONG lResult = key.Open();
        if (lResult == ERROR_SUCCESS && node.nLevel)
            lResult =
                WriteRegistryText(key.m_hKey, kLogLevelValueName, LogLevelToString(*node.nLevel));
        if (lResult == ERROR_SUCCESS && node.nType)
            lResult =
                WriteRegistryText(key.m_hKey, kLogTypeValueName, LogTypeToString(*node.nType));
        if (lResult != ERROR_SUCCESS)
            RegistryFailure("the subsystem " + Quoted(AnsiToUtf8(node.strName)) +
                                " cannot be written",
                            lResult);
    }
    return kExitDone;
}

} // namespace

int RunCommandLine(const std::vector<std::string>& args, COutput& out, COutput& err) {
    CLI::App app("Shows, checks and changes the Quarn event-logging configuration in the registry "
                 "(HKLM\\SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging, 32-bit view), as the "
                 "configuration dialog does.",
                 kProgramName);
    // Before the commands are added, which take it over: /level:Trace as well as --level Trace.
    app.allow_windows_style_options();
    app.require_subcommand(1, 1);
    app.footer(kExitCodeHelp);

    std::vector<std::string> names;
    bool bJson = false;
    CLI::App* pShow = app.add_subcommand("show", "The configuration as the dialog loads it, with "
                                                 "what each subsystem follows and whether it logs");
    pShow->add_option("NAME", names, "Only these subsystems");
    pShow->add_flag("--json", bJson, "One JSON document (UTF-8), as export writes it");

    std::string strExpect;
    CLI::App* pCheck = app.add_subcommand(
        "check", "Lists every problem of the stored values, one a line; exit code 1 when any");
    pCheck->add_option("--expect", strExpect,
                       "Also list every difference from this JSON file (as export writes it)");

    SSetArguments setArgs;
    CLI::App* pSet = app.add_subcommand(
        "set", "Writes only the values given: set NAME|--default [--level WORD] [--type WORD], "
               "set --days N");
    pSet->add_option("NAME", setArgs.strName, "The subsystem");
    pSet->add_flag("--default", setArgs.bDefault, "The default settings");
    std::string strLevel, strType, strDays;
    CLI::Option* pLevel =
        pSet->add_option("--level", strLevel, "Release, Debug, Trace, None or Default");
    CLI::Option* pType = pSet->add_option(
        "--type", strType, "FatalError, Error, Warning, Information, None or Default");
    CLI::Option* pDays =
        pSet->add_option("--days", strDays, "Delete logs older than N days (1 to 365)");

    std::string strAddName;
    CLI::App* pAdd = app.add_subcommand(
        "add", "Creates a subsystem with level and type Default (1 to 32 characters, no "
               "backslash, a name not yet used in any letter case)");
    pAdd->add_option("NAME", strAddName, "The new subsystem")->required();

    std::string strExplainName, strExplainLevel, strExplainType;
    CLI::App* pExplain = app.add_subcommand(
        "explain", "Whether a subsystem logs an event of a level and a type, and why");
    pExplain->add_option("NAME", strExplainName, "The subsystem")->required();
    pExplain->add_option("LEVEL", strExplainLevel, "Release, Debug or Trace")->required();
    pExplain->add_option("TYPE", strExplainType, "FatalError, Error, Warning or Information")
        ->required();

    std::string strExportFile;
    CLI::App* pExport =
        app.add_subcommand("export", "Writes the show --json document to FILE (- for the output)");
    pExport->add_option("FILE", strExportFile, "The file to write")->required();

    std::string strImportFile;
    CLI::App* pImport = app.add_subcommand(
        "import", "Checks the whole FILE, then writes every value it holds; on any error writes "
                  "nothing. Nothing is ever deleted");
    pImport->add_option("FILE", strImportFile, "A JSON file as export writes it")->required();

    // The platform's own way to ask for help.
    std::vector<std::string> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(*it == "/?" || *it == "-?" ? "--help" : *it);
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        out.WriteText(app.help());
        return kExitDone;
    } catch (const CLI::ParseError& e) {
        err.WriteText(std::string(kProgramName) + ": " + e.what() + "\nRun \"" + kProgramName +
                      " --help\" for the commands and their options.\n");
        return kExitBadInput;
    }

    try {
        if (*pShow)
            return Show(names, bJson, out);
        if (*pCheck)
            return Check(strExpect, out);
        if (*pSet) {
            // Given, even when empty: an empty word is refused like any other unknown one.
            if (pLevel->count())
                setArgs.level = strLevel;
            if (pType->count())
                setArgs.type = strType;
            if (pDays->count())
                setArgs.days = strDays;
            return Set(setArgs);
        }
        if (*pAdd)
            return Add(strAddName);
        if (*pExplain)
            return Explain(strExplainName, strExplainLevel, strExplainType, out);
        if (*pExport)
            return Export(strExportFile, out);
        return Import(strImportFile);
    } catch (const SCommandFailure& failure) {
        err.WriteText(std::string(kProgramName) + ": " + failure.strMessage + "\n");
        return failure.nExitCode;
    }
}
