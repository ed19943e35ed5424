// dsc get, set, test and export: the configuration as one instance of a Desired State
// Configuration (v3) command resource, which quarnlogcfg.dsc.resource.json describes. Each takes
// the instance on the standard input, as DSC passes it (get and export may have none), and
// prints exactly one JSON line. What they have to tell besides goes to the standard error, where
// DSC reads messages. The properties are the document's; those an instance leaves out are not
// managed, and its state is told in its own shape and spelling.
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

using nlohmann::json;
using nlohmann::ordered_json;

// The instance DSC gives, with its JSON as given: the state repeats its spellings.
struct SInstance {
    SConfigurationDocument document;
    json given = json::object();
};

// Nothing (as for an operation without input) is an empty instance.
SInstance ReadInstance(const std::string& strBytes) {
    std::string strText = DecodeText(strBytes);
    if (strText.find_first_not_of(" \t\r\n") == std::string::npos)
        strText = "{}";
    SInstance instance;
    const std::string strError =
        ReadConfigurationDocument(strText, instance.document, &instance.given);
    if (!strError.empty())
        Refuse(kExitBadInput, "the instance: " + strError);
    return instance;
}

bool ManagesNothing(const SConfigurationDocument& instance) {
    return !instance.nExpireLogsAfter && !instance.bDefaults && !instance.bSubSystems;
}

// A field of the instance's JSON, or null.
const json& Given(const json& object, const char* pszField) {
    static const json kNull;
    if (!object.is_object())
        return kNull;
    const auto it = object.find(pszField);
    return it == object.end() ? kNull : *it;
}

// A value of the state: as the instance gives it where the instance asks for this very value,
// otherwise in the stored spelling. DSC compares instance and state text for text, so a word or
// a number that differs in its writing alone ("trace", 14.0) would count as a difference.
ordered_json Spelled(const json& given, const std::optional<int>& nAsked, int nValue,
                     const ordered_json& stored) {
    if (nAsked && *nAsked == nValue && !given.is_null())
        return ordered_json(given);
    return stored;
}

// A level and a type of a node, as the instance asks for them: those it gives, or both when it
// gives neither. Default has no word in the default settings, so it is left out there.
void AddWords(ordered_json& node, const SDocumentNode& asked, const json& given,
              const CSubSystemLogSettings& settings, bool bDefaultSettings) {
    const bool bBoth = !asked.nLevel && !asked.nType;
    const int nLevel = settings.GetLogLevel(), nType = settings.GetLogType();
    if ((bBoth || asked.nLevel) && !(bDefaultSettings && nLevel == LOG_LEVEL_DEFAULT))
        node["level"] = Spelled(Given(given, "level"), asked.nLevel, nLevel, LevelWord(nLevel));
    if ((bBoth || asked.nType) && !(bDefaultSettings && nType == LOG_TYPE_DEFAULT))
        node["type"] = Spelled(Given(given, "type"), asked.nType, nType, TypeWord(nType));
}

// The state that the values make, in the shape of the instance.
ordered_json State(const CStoredConfiguration& stored, const CConfigurationValues& values,
                   const SInstance& instance, bool bConfigured) {
    const SConfigurationDocument& asked = instance.document;
    if (ManagesNothing(asked)) {
        ordered_json state = ConfigurationDocument(stored, nullptr);
        state["configured"] = bConfigured;
        return state;
    }
    ordered_json state;
    state["configured"] = bConfigured;
    const int nDays = values.ExpireLogsAfter();
    if (asked.nExpireLogsAfter && IsStorableDayCount(nDays))
        state["expireLogsAfter"] =
            Spelled(Given(instance.given, "expireLogsAfter"), asked.nExpireLogsAfter, nDays, nDays);
    const CSubSystemLogSettings& defaults = values.DefaultSettings();
    if (asked.bDefaults) {
        ordered_json node = ordered_json::object();
        AddWords(node, asked.defaults, Given(instance.given, "default"), defaults, true);
        state["default"] = std::move(node);
    }
    if (asked.bSubSystems) {
        const json& givenSubSystems = Given(instance.given, "subsystems");
        ordered_json subSystems = ordered_json::array();
        for (size_t i = 0; i < asked.subSystems.size(); ++i) {
            const SDocumentNode& node = asked.subSystems[i];
            const json& given = givenSubSystems.is_array() && i < givenSubSystems.size()
                                    ? givenSubSystems[i]
                                    : json::object();
            // The instance's name names the key in any letter case: it is the key's name there.
            // A subsystem that does not exist is told by its name alone.
            ordered_json state;
            state["name"] = node.strNameUtf8;
            const CSubSystemLogSettings* pSettings = values.SubSystem(node.strName);
            if (pSettings) {
                AddWords(state, node, given, *pSettings, false);
                const int nLevel =
                    EffectiveLogLevel(pSettings->GetLogLevel(), defaults.GetLogLevel());
                const int nType = EffectiveLogType(pSettings->GetLogType(), defaults.GetLogType());
                if (node.nEffectiveLevel && nLevel != LOG_LEVEL_DEFAULT)
                    state["effectiveLevel"] =
                        Spelled(Given(given, "effectiveLevel"), node.nEffectiveLevel, nLevel,
                                LevelWord(nLevel));
                if (node.nEffectiveType && nType != LOG_TYPE_DEFAULT)
                    state["effectiveType"] = Spelled(Given(given, "effectiveType"),
                                                     node.nEffectiveType, nType, TypeWord(nType));
            }
            subSystems.push_back(std::move(state));
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
    // Get and export may come with an instance or without one; test and set always have one.
    const bool bOptional = strOperation == "get" || strOperation == "export";
    std::string strBytes;
    if (const DWORD dwError =
            bOptional ? console.in.ReadIfGiven(strBytes) : console.in.ReadAll(strBytes))
        SystemFailure("the standard input cannot be read", dwError);
    SInstance instance = ReadInstance(strBytes);
    // Export tells the whole configuration, whatever instance it is given.
    if (strOperation == "export")
        instance = SInstance();
    CStoredConfiguration stored;
    ReadMachine(stored);
    NoteKeysLeftOut(stored, console);
    const std::vector<std::string> none;
    if (strOperation == "get" || strOperation == "export") {
        PrintLine(console, State(stored, CConfigurationValues(stored, nullptr, none), instance,
                                 stored.m_bBaseKeyExists));
        return kExitDone;
    }
    const SChanges changes = PlanChanges(stored, instance.document, true);
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
