#include "cli/Changes.h"

#include "cli/Problems.h"
#include "cli/Text.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "registry/Registry.h"

namespace {

SRegistryValue StoredText(const CString& strText) {
    SRegistryValue value;
    value.lStatus = ERROR_SUCCESS;
    value.dwType = REG_SZ;
    value.data.assign(strText, static_cast<size_t>(strText.GetLength()) + 1);
    return value;
}

// A change of one value, when the document gives one and the stored value differs from it or
// is stored badly.
std::optional<SValueChange> ValueChange(EValueKind kind, const SRegistryValue& stored,
                                        const std::string& strRead, const CString& strWanted,
                                        bool bDiffers) {
    if (!bDiffers && ValueProblems(kind, stored).empty())
        return std::nullopt;
    return SValueChange{strWanted, Holds(stored), strRead, bDiffers, StoredText(strWanted)};
}

std::optional<SValueChange> NewValue(const CString& strWanted) {
    return SValueChange{strWanted, "missing", std::string(), true, StoredText(strWanted)};
}

std::string Plural(size_t n, const char* pszOne, const char* pszMany) {
    return std::to_string(n) + " " + (n == 1 ? pszOne : pszMany);
}

// One line of what is (or would be) done.
std::string ValueLine(const std::string& strKey, EValueKind kind, const SValueChange& change,
                      bool bWhatIf) {
    return strKey + ": " + ValueName(kind) + (bWhatIf ? " would be set to " : " set to ") +
           std::string(change.strText) + " (" + (bWhatIf ? "is " : "was ") + change.strWas + ")\n";
}

class CWriter {
public:
    CWriter(bool bWhatIf, SConsole& console, bool bToErrorOutput)
        : m_bWhatIf(bWhatIf), m_console(console), m_bToErrorOutput(bToErrorOutput) {}

    void Report(const std::string& strLine) {
        if (m_bToErrorOutput)
            m_console.err.WriteMessage(EMessageKind::kProgress,
                                       strLine.substr(0, strLine.find_last_not_of('\n') + 1));
        else
            Print(m_console, strLine);
    }

    void SubSystem(const SNodeChange& node) {
        const std::string strKey = SubSystemKeyDisplay(node.strName);
        CRegistryT<0> key(HKEY_LOCAL_MACHINE, SubSystemKeyPath(node.strName));
        if (!m_bWhatIf) {
            // Opening for writing creates a missing key, as the dialog's saving does.
            if (const LONG lResult = key.Open())
                SystemFailure(strKey + (node.bNew ? " cannot be created" : " cannot be opened"),
                              static_cast<DWORD>(lResult));
        }
        if (node.bNew) {
            ++m_nCreated;
            Report(strKey + (m_bWhatIf ? ": would be created\n" : ": created\n"));
        }
        Value(key.m_hKey, strKey, kLevelValue, node.level);
        Value(key.m_hKey, strKey, kTypeValue, node.type);
    }

    void Value(HKEY hKey, const std::string& strKey, EValueKind kind,
               const std::optional<SValueChange>& change) {
        if (!change)
            return;
        if (!m_bWhatIf) {
            if (const LONG lResult = WriteRegistryText(hKey, ValueName(kind), change->strText))
                SystemFailure(strKey + ": " + ValueName(kind) + " cannot be written",
                              static_cast<DWORD>(lResult));
        }
        ++m_nWritten;
        Report(ValueLine(strKey, kind, *change, m_bWhatIf));
    }

    void Summary() {
        const std::string strValues = Plural(m_nWritten, "value", "values");
        const std::string strCreated =
            m_nCreated ? ", " + Plural(m_nCreated, "subsystem", "subsystems") : std::string();
        if (m_bWhatIf)
            Report("what if: " + strValues + " would be written" +
                   (m_nCreated ? strCreated + " created" : std::string()) +
                   "; nothing was written\n");
        else
            Report(strValues + " written" + (m_nCreated ? strCreated + " created" : "") + "\n");
    }

private:
    bool m_bWhatIf;
    SConsole& m_console;
    bool m_bToErrorOutput;
    size_t m_nWritten = 0;
    size_t m_nCreated = 0;
};

} // namespace

bool SChanges::IsEmpty() const {
    return !expireLogsAfter && !defaults.level && !defaults.type && subSystems.empty();
}

SChanges PlanChanges(const CStoredConfiguration& stored, const SConfigurationDocument& document,
                     bool bCreate) {
    SChanges changes;
    if (document.nExpireLogsAfter) {
        const int nDays = *document.nExpireLogsAfter;
        changes.expireLogsAfter = ValueChange(
            kDayCountValue, stored.m_expireLogsAfter, std::to_string(stored.m_nExpireLogsAfter),
            FormatDayCount(nDays), stored.m_nExpireLogsAfter != nDays);
    }
    const CDefaultLogSettings& defaults = stored.m_defaultSettings;
    if (document.defaults.nLevel)
        changes.defaults.level = ValueChange(kDefaultLevelValue, stored.m_defaultLevel,
                                             LevelWord(defaults.GetLogLevel()),
                                             LogLevelToString(*document.defaults.nLevel),
                                             defaults.GetLogLevel() != *document.defaults.nLevel);
    if (document.defaults.nType)
        changes.defaults.type =
            ValueChange(kDefaultTypeValue, stored.m_defaultType, TypeWord(defaults.GetLogType()),
                        LogTypeToString(*document.defaults.nType),
                        defaults.GetLogType() != *document.defaults.nType);

    for (const SDocumentNode& node : document.subSystems) {
        SNodeChange change;
        const CStoredConfiguration::SSubSystem* pStored = stored.Find(node.strName);
        if (!pStored) {
            if (!bCreate)
                Refuse(kExitFound, "there is no subsystem " + Quoted(node.strNameUtf8));
            const std::string strProblem = NewSubSystemNameProblem(node.strNameUtf8, node.strName);
            if (!strProblem.empty())
                Refuse(kExitBadInput, node.strPlace + ": " + strProblem);
            // Created as the dialog saves a subsystem it added: both values written, Default
            // where the document gives none.
            change.strName = node.strName;
            change.bNew = true;
            change.level = NewValue(LogLevelToString(node.nLevel.value_or(LOG_LEVEL_DEFAULT)));
            change.type = NewValue(LogTypeToString(node.nType.value_or(LOG_TYPE_DEFAULT)));
            changes.subSystems.push_back(std::move(change));
            continue;
        }
        const CSubSystemLogSettings& settings = *pStored->pSettings;
        // The key's own spelling: the document's may differ in letter case.
        change.strName = settings.GetName();
        if (node.nLevel)
            change.level =
                ValueChange(kLevelValue, pStored->level, LevelWord(settings.GetLogLevel()),
                            LogLevelToString(*node.nLevel), settings.GetLogLevel() != *node.nLevel);
        if (node.nType)
            change.type =
                ValueChange(kTypeValue, pStored->type, TypeWord(settings.GetLogType()),
                            LogTypeToString(*node.nType), settings.GetLogType() != *node.nType);
        if (change.level || change.type)
            changes.subSystems.push_back(std::move(change));
    }
    return changes;
}

void MakeChanges(const SChanges& changes, bool bWhatIf, SConsole& console, bool bToErrorOutput) {
    CWriter writer(bWhatIf, console, bToErrorOutput);
    if (changes.IsEmpty()) {
        writer.Report(bWhatIf ? "what if: nothing to change\n" : "nothing to change\n");
        return;
    }
    if (changes.expireLogsAfter || changes.defaults.level || changes.defaults.type) {
        CRegistryT<0> key(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
        if (!bWhatIf) {
            if (const LONG lResult = key.Open())
                SystemFailure(kBaseKeyDisplay + " cannot be opened", static_cast<DWORD>(lResult));
        }
        writer.Value(key.m_hKey, kBaseKeyDisplay, kDayCountValue, changes.expireLogsAfter);
        writer.Value(key.m_hKey, kBaseKeyDisplay, kDefaultLevelValue, changes.defaults.level);
        writer.Value(key.m_hKey, kBaseKeyDisplay, kDefaultTypeValue, changes.defaults.type);
    }
    for (const SNodeChange& node : changes.subSystems)
        writer.SubSystem(node);
    writer.Summary();
}
