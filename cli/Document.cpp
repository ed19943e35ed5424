#include "cli/Document.h"

#include "cli/Json.h"
#include "cli/Text.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "logconfig/SubSystemName.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

std::string Word(const CString& strWord) {
    return static_cast<const char*>(strWord);
}

// What a level or type resolves to, when the document gives enough to tell.
std::optional<int> Resolve(const std::optional<int>& nOwn, int nDefault,
                           const std::optional<int>& nOfDefaults) {
    if (!nOwn)
        return std::nullopt;
    return *nOwn == nDefault ? nOfDefaults : nOwn;
}

// One object of the document: its fields are checked as they are taken, the unknown ones last.
// The first fault found is the one reported.
class CObjectReader {
public:
    CObjectReader(const json& object, std::string strPlace, std::string& strError)
        : m_object(object), m_strPlace(std::move(strPlace)), m_strError(strError) {
        if (!m_object.is_object())
            Fail(m_strPlace, "an object ({...}) is expected");
    }

    const json* Take(const char* pszField) {
        m_taken.push_back(pszField);
        if (!m_strError.empty() || !m_object.is_object())
            return nullptr;
        const auto it = m_object.find(pszField);
        return it == m_object.end() ? nullptr : &*it;
    }

    std::optional<int> TakeWord(const char* pszField, bool bLevel, bool bAllowDefault) {
        const json* pValue = Take(pszField);
        if (!pValue)
            return std::nullopt;
        int nValue = 0;
        const bool bKnown =
            pValue->is_string() &&
            (bLevel ? ParseLevelWord(pValue->get<std::string>(), bAllowDefault, nValue)
                    : ParseTypeWord(pValue->get<std::string>(), bAllowDefault, nValue));
        if (!bKnown) {
            Fail(Place(pszField),
                 Excerpt(pValue->dump()) + " is not " +
                     (bLevel ? LevelWordsText(bAllowDefault) : TypeWordsText(bAllowDefault)));
            return std::nullopt;
        }
        return nValue;
    }

    // Any field not taken is unknown.
    void Finish() {
        if (!m_strError.empty() || !m_object.is_object())
            return;
        for (const auto& item : m_object.items()) {
            if (std::none_of(m_taken.begin(), m_taken.end(),
                             [&](const char* pszTaken) { return item.key() == pszTaken; })) {
                Fail(Place(item.key()), "unknown field \"" + Excerpt(item.key()) + "\"");
                return;
            }
        }
    }

    std::string Place(const std::string& strField) const { return JsonPlace(m_strPlace, strField); }

    void Fail(const std::string& strPlace, const std::string& strWhat) {
        if (m_strError.empty())
            m_strError = (strPlace.empty() ? std::string("/") : strPlace) + ": " + strWhat;
    }

private:
    const json& m_object;
    std::string m_strPlace;
    std::string& m_strError;
    std::vector<const char*> m_taken;
};

void ReadSubSystem(const json& value, const std::string& strPlace,
                   std::unordered_map<std::string, std::string>& placeOfName, std::string& strError,
                   SDocumentNode& node) {
    node.strPlace = strPlace;
    CObjectReader reader(value, strPlace, strError);
    const json* pName = reader.Take("name");
    if (!strError.empty())
        return;
    if (!pName || !pName->is_string())
        return reader.Fail(reader.Place("name"), "every subsystem needs a name (text)");
    node.strNameUtf8 = pName->get<std::string>();
    const std::string strNameProblem = ConvertSubSystemName(node.strNameUtf8, node.strName);
    if (!strNameProblem.empty())
        return reader.Fail(reader.Place("name"), strNameProblem);
    const auto itEarlier =
        placeOfName.emplace(static_cast<const char*>(SubSystemNameKey(node.strName)), strPlace);
    if (!itEarlier.second)
        return reader.Fail(reader.Place("name"), "\"" + Excerpt(node.strNameUtf8) +
                                                     "\" is given before, at " +
                                                     itEarlier.first->second);
    node.nLevel = reader.TakeWord("level", true, true);
    node.nType = reader.TakeWord("type", false, true);
    node.nEffectiveLevel = reader.TakeWord("effectiveLevel", true, true);
    node.nEffectiveType = reader.TakeWord("effectiveType", false, true);
    reader.Finish();
}

// An effective field contradicts the document only where the document gives what it follows;
// otherwise it is an expectation of its own, which check compares.
std::string Contradiction(const SDocumentNode& node, const SDocumentNode& defaults) {
    const std::optional<int> nEffectiveLevel =
        Resolve(node.nLevel, LOG_LEVEL_DEFAULT, defaults.nLevel);
    const std::optional<int> nEffectiveType = Resolve(node.nType, LOG_TYPE_DEFAULT, defaults.nType);
    if (node.nEffectiveLevel && nEffectiveLevel && *node.nEffectiveLevel != *nEffectiveLevel)
        return JsonPlace(node.strPlace, "effectiveLevel") + ": \"" +
               Word(LogLevelToString(*node.nEffectiveLevel)) +
               "\" contradicts the level, which gives \"" +
               Word(LogLevelToString(*nEffectiveLevel)) + "\"";
    if (node.nEffectiveType && nEffectiveType && *node.nEffectiveType != *nEffectiveType)
        return JsonPlace(node.strPlace, "effectiveType") + ": \"" +
               Word(LogTypeToString(*node.nEffectiveType)) +
               "\" contradicts the type, which gives \"" + Word(LogTypeToString(*nEffectiveType)) +
               "\"";
    return std::string();
}

bool ParseWord(const std::string& strWord, int nDefault, bool bAllowDefault,
               int (*pfnFind)(const CString&), int& nValue) {
    CString strAnsi;
    if (!Utf8ToAnsi(strWord, strAnsi))
        return false;
    const int nFound = pfnFind(strAnsi);
    if (nFound < 0 || (nFound == nDefault && !bAllowDefault))
        return false;
    nValue = nFound;
    return true;
}

std::string WordList(const char* const* ppszWords, int nCount) {
    std::string strList;
    for (int i = 0; i < nCount; ++i)
        strList += std::string(i == 0 ? "" : i + 1 == nCount ? " or " : ", ") + ppszWords[i];
    return strList;
}

std::string NameText(const std::string& strNameUtf8) {
    return "the name \"" + Excerpt(strNameUtf8) + "\"";
}

std::string RuleProblem(const std::string& strNameUtf8, ESubSystemNameRule rule) {
    switch (rule) {
    case SUBSYSTEM_NAME_OK:
        break;
    case SUBSYSTEM_NAME_TOO_LONG:
        return NameText(strNameUtf8) + " is longer than " +
               std::to_string(kMaxSubSystemNameLength) + " characters";
    case SUBSYSTEM_NAME_EMPTY:
        return "a name must be given for the subsystem";
    case SUBSYSTEM_NAME_BACKSLASH:
        return NameText(strNameUtf8) + " contains a backslash";
    case SUBSYSTEM_NAME_CONTROL_CHARACTER:
        return NameText(strNameUtf8) + " contains a control character";
    }
    return std::string();
}

} // namespace

bool ParseLevelWord(const std::string& strWord, bool bAllowDefault, int& nLevel) {
    return ParseWord(strWord, LOG_LEVEL_DEFAULT, bAllowDefault, &FindLogLevelWord, nLevel);
}

bool ParseTypeWord(const std::string& strWord, bool bAllowDefault, int& nType) {
    return ParseWord(strWord, LOG_TYPE_DEFAULT, bAllowDefault, &FindLogTypeWord, nType);
}

std::string LevelWordsText(bool bAllowDefault) {
    static const char* const kWords[] = {"Release", "Debug", "Trace", "None", "Default"};
    return "a level: " + WordList(kWords, bAllowDefault ? 5 : 4) +
           (bAllowDefault ? "" : " (the default settings cannot be Default)");
}

std::string TypeWordsText(bool bAllowDefault) {
    static const char* const kWords[] = {"FatalError",  "Error", "Warning",
                                         "Information", "None",  "Default"};
    return "a type: " + WordList(kWords, bAllowDefault ? 6 : 5) +
           (bAllowDefault ? "" : " (the default settings cannot be Default)");
}

std::string DayCountText() {
    return "a whole number of days from " + std::to_string(kMinExpireLogsAfterDays) + " to " +
           std::to_string(kMaxExpireLogsAfterDays);
}

std::string ConvertSubSystemName(const std::string& strNameUtf8, CString& strName) {
    if (!Utf8ToAnsi(strNameUtf8, strName))
        return NameText(strNameUtf8) + " has characters that the ANSI code page cannot hold";
    return RuleProblem(strNameUtf8, CheckExistingSubSystemName(strName));
}

std::string NewSubSystemNameProblem(const std::string& strNameUtf8, const CString& strName) {
    return RuleProblem(strNameUtf8, CheckSubSystemName(strName));
}

ordered_json
ConfigurationDocument(const CStoredConfiguration& stored,
                      const std::vector<const CStoredConfiguration::SSubSystem*>* pSubSystems) {
    const CDefaultLogSettings& defaults = stored.m_defaultSettings;
    const int nDefaultLevel = defaults.GetLogLevel();
    const int nDefaultType = defaults.GetLogType();
    ordered_json document;
    document["configured"] = stored.m_bBaseKeyExists;
    // What import cannot write back is left out: a day count out of range, and a default level
    // or type that reads as Default (a word not in the vocabulary); check reports them.
    if (IsStorableDayCount(stored.m_nExpireLogsAfter))
        document["expireLogsAfter"] = stored.m_nExpireLogsAfter;
    ordered_json defaultNode = ordered_json::object();
    if (nDefaultLevel != LOG_LEVEL_DEFAULT)
        defaultNode["level"] = Word(LogLevelToString(nDefaultLevel));
    if (nDefaultType != LOG_TYPE_DEFAULT)
        defaultNode["type"] = Word(LogTypeToString(nDefaultType));
    document["default"] = std::move(defaultNode);
    ordered_json subSystems = ordered_json::array();
    auto add = [&](const CStoredConfiguration::SSubSystem& subSystem) {
        const CSubSystemLogSettings& settings = *subSystem.pSettings;
        ordered_json node;
        node["name"] = AnsiToUtf8(settings.GetName());
        node["level"] = Word(LogLevelToString(settings.GetLogLevel()));
        node["type"] = Word(LogTypeToString(settings.GetLogType()));
        // What it follows, where that is a level or type at all.
        const int nLevel = EffectiveLogLevel(settings.GetLogLevel(), nDefaultLevel);
        const int nType = EffectiveLogType(settings.GetLogType(), nDefaultType);
        if (nLevel != LOG_LEVEL_DEFAULT)
            node["effectiveLevel"] = Word(LogLevelToString(nLevel));
        if (nType != LOG_TYPE_DEFAULT)
            node["effectiveType"] = Word(LogTypeToString(nType));
        subSystems.push_back(std::move(node));
    };
    if (pSubSystems) {
        for (const CStoredConfiguration::SSubSystem* pSubSystem : *pSubSystems)
            add(*pSubSystem);
    } else {
        for (const CStoredConfiguration::SSubSystem& subSystem : stored.m_subSystems)
            add(subSystem);
    }
    document["subsystems"] = std::move(subSystems);
    return document;
}

std::string ReadConfigurationDocument(const std::string& strText, SConfigurationDocument& document,
                                      json* pParsed) {
    json parsed;
    json& root = pParsed ? *pParsed : parsed;
    std::string strError = ParseJson(strText, root);
    if (!strError.empty())
        return strError;

    CObjectReader top(root, "", strError);
    // Accepted and ignored: an editor's pointer to the schema, and what show says of the machine.
    if (const json* pSchema = top.Take("$schema"); pSchema && !pSchema->is_string())
        top.Fail("/$schema", "a text is expected");
    if (const json* pConfigured = top.Take("configured"); pConfigured && !pConfigured->is_boolean())
        top.Fail("/configured", "true or false is expected");
    // What the DSC resource's test adds to the state.
    if (const json* pInDesiredState = top.Take("_inDesiredState");
        pInDesiredState && !pInDesiredState->is_boolean() && !pInDesiredState->is_null())
        top.Fail("/_inDesiredState", "true, false or null is expected");
    if (const json* pDays = top.Take("expireLogsAfter")) {
        // A whole number, also when written with a fraction of zero (14.0), as JSON Schema counts.
        // Compared as a double first: converting a huge one would overflow.
        const double dDays = pDays->is_number() ? pDays->get<double>() : 0;
        if (dDays >= kMinExpireLogsAfterDays && dDays <= kMaxExpireLogsAfterDays &&
            dDays == std::floor(dDays))
            document.nExpireLogsAfter = static_cast<int>(dDays);
        else
            top.Fail("/expireLogsAfter", Excerpt(pDays->dump()) + " is not " + DayCountText());
    }
    if (const json* pDefault = top.Take("default")) {
        document.bDefaults = true;
        CObjectReader reader(*pDefault, "/default", strError);
        document.defaults.nLevel = reader.TakeWord("level", true, false);
        document.defaults.nType = reader.TakeWord("type", false, false);
        reader.Finish();
    }
    const json* pSubSystems = top.Take("subsystems");
    document.bSubSystems = pSubSystems != nullptr;
    if (pSubSystems && !pSubSystems->is_array())
        top.Fail("/subsystems", "a list ([...]) is expected");
    top.Finish();

    std::unordered_map<std::string, std::string> placeOfName;
    for (size_t i = 0; pSubSystems && strError.empty() && i < pSubSystems->size(); ++i) {
        SDocumentNode node;
        ReadSubSystem((*pSubSystems)[i], "/subsystems/" + std::to_string(i), placeOfName, strError,
                      node);
        if (strError.empty())
            strError = Contradiction(node, document.defaults);
        document.subSystems.push_back(std::move(node));
    }
    return strError;
}
