// dsc get, set, test and export: the configuration as one instance of a Desired State
// Configuration (v3) command resource, which quarnlogcfg.dsc.resource.json describes. Each takes
// the instance on the standard input, as DSC passes it, and prints exactly one JSON line; what
// it has to tell besides goes to the standard error, where DSC reads messages. The properties
// are the document's; those an instance leaves out are not managed, and its state is told in
// its own shape.
#include "cli/Changes.h"
#include "cli/Command.h"
#include "cli/ConfigurationSchema.h"
#include "cli/ConfigurationValues.h"
#include "cli/Document.h"
#include "cli/Text.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"

#include <nlohmann/json.hpp>

namespace {

using nlohmann::ordered_json;

// The instance DSC gives; nothing (as for an operation without input) is an empty one.
SConfigurationDocument ReadInstance(SConsole& console) {
    std::string strText = ReadInput(console, "-");
    if (strText.find_first_not_of(" \t\r\n") == std::string::npos)
        strText = "{}";
    SConfigurationDocument instance;
    const std::string strError = ReadConfigurationDocument(strText, instance);
    if (!strError.empty())
        Refuse(kExitBadInput, "the instance: " + strError);
    return instance;
}

bool ManagesNothing(const SConfigurationDocument& instance) {
    return !instance.nExpireLogsAfter && !instance.bDefaults && !instance.bSubSystems;
}

// A level and a type of a node, as the instance asks for them: those it gives, or both when it
// gives neither. Default has no word in the default settings, so it is left out there.
void AddWords(ordered_json& node, const SDocumentNode& asked, const CSubSystemLogSettings& settings,
              bool bDefaultSettings) {
    const bool bBoth = !asked.nLevel && !asked.nType;
    if ((bBoth || asked.nLevel) &&
        !(bDefaultSettings && settings.GetLogLevel() == LOG_LEVEL_DEFAULT))
        node["level"] = LevelWord(settings.GetLogLevel());
    if ((bBoth || asked.nType) && !(bDefaultSettings && settings.GetLogType() == LOG_TYPE_DEFAULT))
        node["type"] = TypeWord(settings.GetLogType());
}

// The state that the values make, in the shape of the instance.
ordered_json State(const CStoredConfiguration& stored, const CConfigurationValues& values,
                   const SConfigurationDocument& instance, bool bConfigured) {
    if (ManagesNothing(instance)) {
        ordered_json state = ConfigurationDocument(stored, nullptr);
        state["configured"] = bConfigured;
        return state;
    }
    ordered_json state;
    state["configured"] = bConfigured;
    if (instance.nExpireLogsAfter && IsStorableDayCount(values.ExpireLogsAfter()))
        state["expireLogsAfter"] = values.ExpireLogsAfter();
    const CSubSystemLogSettings& defaults = values.DefaultSettings();
    if (instance.bDefaults) {
        ordered_json node = ordered_json::object();
        AddWords(node, instance.defaults, defaults, true);
        state["default"] = std::move(node);
    }
    if (instance.bSubSystems) {
        ordered_json subSystems = ordered_json::array();
        for (const SDocumentNode& asked : instance.subSystems) {
            ordered_json node;
            const CSubSystemLogSettings* pSettings = values.SubSystem(asked.strName);
            // A subsystem that does not exist is told by its name alone.
            node["name"] = pSettings ? AnsiToUtf8(pSettings->GetName()) : asked.strNameUtf8;
            if (pSettings) {
                AddWords(node, asked, *pSettings, false);
                const int nLevel =
                    EffectiveLogLevel(pSettings->GetLogLevel(), defaults.GetLogLevel());
                const int nType = EffectiveLogType(pSettings->GetLogType(), defaults.GetLogType());
                if (asked.nEffectiveLevel && nLevel != LOG_LEVEL_DEFAULT)
                    node["effectiveLevel"] = LevelWord(nLevel);
                if (asked.nEffectiveType && nType != LOG_TYPE_DEFAULT)
                    node["effectiveType"] = TypeWord(nType);
            }
            subSystems.push_back(std::move(node));
        }
        state["subsystems"] = std::move(subSystems);
    }
    return state;
}

void PrintLine(SConsole& console, const ordered_json& state) {
    PrintDocument(console, state.dump(-1, ' ', false) + "\n");
}

} // namespace

int Dsc(const std::string& strOperation, bool bWhatIf, SConsole& console) {
    // Export tells the whole configuration, whatever instance it is given.
    SConfigurationDocument instance = ReadInstance(console);
    if (strOperation == "export")
        instance = SConfigurationDocument();
    CStoredConfiguration stored;
    ReadMachine(stored);
    NoteKeysLeftOut(stored, console);
    const std::vector<std::string> none;
    if (strOperation == "get" || strOperation == "export") {
        PrintLine(console, State(stored, CConfigurationValues(stored, nullptr, none), instance,
                                 stored.m_bBaseKeyExists));
        return kExitDone;
    }
    const SChanges changes = PlanChanges(stored, instance, true);
    if (strOperation == "test") {
        // In the desired state exactly when check --expect of the instance would pass: when
        // setting it would change nothing.
        ordered_json state = State(stored, CConfigurationValues(stored, nullptr, none), instance,
                                   stored.m_bBaseKeyExists);
        state["_inDesiredState"] = changes.IsEmpty();
        PrintLine(console, state);
        return kExitDone;
    }
    // set: only what differs is written; what if: nothing, and the state it would leave.
    MakeChanges(changes, bWhatIf, console, true);
    if (bWhatIf) {
        PrintLine(console, State(stored, CConfigurationValues(stored, &changes, none), instance,
                                 stored.m_bBaseKeyExists || !changes.IsEmpty()));
        return kExitDone;
    }
    CStoredConfiguration after;
    ReadMachine(after);
    PrintLine(console, State(after, CConfigurationValues(after, nullptr, none), instance,
                             after.m_bBaseKeyExists));
    return kExitDone;
}

int Schema(SConsole& console) {
    PrintDocument(console, kConfigurationSchema);
    return kExitDone;
}
