#include "cli/Document.h"

#include "cli/Text.h"
#include "logconfig/LogOptions.h"
#include "logconfig/SubSystemName.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <unordered_map>

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

bool EqualIgnoringCase(const std::string& strLeft, const char* pszRight) {
    const std::string strRight(pszRight);
    return strLeft.size() == strRight.size() &&
           std::equal(strLeft.begin(), strLeft.end(), strRight.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

bool ParseWord(const std::string& strWord, int nCount, int nDefault, bool bAllowDefault,
               CString (*pfnWord)(int), int& nValue) {
    for (int n = 0; n < nCount; ++n) {
        if (n == nDefault && !bAllowDefault)
            continue;
        if (EqualIgnoringCase(strWord, pfnWord(n))) {
            nValue = n;
            return true;
        }
    }
    return false;
}

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

ordered_json NodeDocument(const CSubSystemLogSettings& settings) {
    ordered_json node;
    node["level"] = static_cast<const char*>(LogLevelToString(settings.GetLogLevel()));
    node["type"] = static_cast<const char*>(LogTypeToString(settings.GetLogType()));
    return node;
}

// One object of the document: its fields are checked as they are taken, the unknown ones last.
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
                 std::string(pValue->dump()) + " is not " +
                     (bLevel ? "a level: Release, Debug, Trace, None"
                             : "a type: FatalError, "
                               "Error, Warning, "
                               "Information, None") +
                     (bAllowDefault ? " or Default" : " (the default settings cannot be Default)"));
            return std::nullopt;
        }
        return nValue;
    }

    // Any field not taken is unknown.
    void Finish() {
        if (!m_strError.empty() || !m_object.is_object())
            return;
        for (const auto& item : m_object.items()) {
            if (std::find(m_taken.begin(), m_taken.end(), item.key()) == m_taken.end()) {
                Fail(Place(item.key()), "unknown field \"" + item.key() + "\"");
                return;
            }
        }
    }

    std::string Place(const std::string& strField) const { return m_strPlace + "/" + strField; }

    void Fail(const std::string& strPlace, const std::string& strWhat) {
        if (m_strError.empty())
            m_strError = (strPlace.empty() ? std::string("/") : strPlace) + ": " + strWhat;
    }

private:
    const json& m_object;
    std::string m_strPlace;
    std::string& m_strError;
    std::vector<std::string> m_taken;
};

} // namespace

bool ParseLevelWord(const std::string& strWord, bool bAllowDefault, int& nLevel) {
    return ParseWord(strWord, LOG_LEVEL_DEFAULT + 1, LOG_LEVEL_DEFAULT, bAllowDefault,
                     &LogLevelToString, nLevel);
}

bool ParseTypeWord(const std::string& strWord, bool bAllowDefault, int& nType) {
    return ParseWord(strWord, LOG_TYPE_DEFAULT + 1, LOG_TYPE_DEFAULT, bAllowDefault,
                     &LogTypeToString, nType);
}

std::string CheckNewName(const std::string& strUtf8, CString& strAnsi) {
    if (!Utf8ToAnsi(strUtf8, strAnsi))
        return "the name \"" + strUtf8 + "\" has characters that the ANSI code page cannot hold";
    switch (CheckSubSystemName(strAnsi)) {
    case SUBSYSTEM_NAME_TOO_LONG:
        return "the name \"" + strUtf8 + "\" is longer than " +
               std::to_string(kMaxSubSystemNameLength) + " characters";
    case SUBSYSTEM_NAME_EMPTY:
        return "a name must be given for the sub system";
    case SUBSYSTEM_NAME_BACKSLASH:
        return "the name \"" + strUtf8 + "\" contains a backslash";
    case SUBSYSTEM_NAME_OK:
        break;
    }
    return std::string();
}

ordered_json
ConfigurationDocument(const CStoredConfiguration& stored,
                      const std::vector<const CStoredConfiguration::SSubSystem*>* pSubSystems) {
    const CDefaultLogSettings& defaults = stored.m_defaultSettings;
    ordered_json document;
    document["expireLogsAfter"] = stored.m_nExpireLogsAfter;
    document["default"] = NodeDocument(defaults);
    ordered_json subSystems = ordered_json::array();
    auto add = [&](const CStoredConfiguration::SSubSystem& subSystem) {
        const CSubSystemLogSettings& settings = *subSystem.pSettings;
        ordered_json node;
        node["name"] = AnsiToUtf8(settings.GetName());
        node.update(NodeDocument(settings));
        node["effectiveLevel"] = static_cast<const char*>(
            LogLevelToString(EffectiveLogLevel(settings.GetLogLevel(), defaults.GetLogLevel())));
        node["effectiveType"] = static_cast<const char*>(
            LogTypeToString(EffectiveLogType(settings.GetLogType(), defaults.GetLogType())));
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

std::string ReadConfigurationDocument(const std::string& strText,
                                      SConfigurationDocument& document) {
    json root;
    try {
        root = json::parse(strText);
    } catch (const json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
        std::string strWhat = e.what();
        const size_t nAt = strWhat.find("] ");
        return "not JSON: " + (nAt == std::string::npos ? strWhat : strWhat.substr(nAt + 2));
    }

    std::string strError;
    CObjectReader top(root, "", strError);
    if (const json* pDays = top.Take("expireLogsAfter")) {
        int nDays = 0;
        if (pDays->is_number_integer() && pDays->get<long long>() >= kMinExpireLogsAfterDays &&
            pDays->get<long long>() <= kMaxExpireLogsAfterDays)
            nDays = static_cast<int>(pDays->get<long long>());
        if (nDays == 0)
            top.Fail("/expireLogsAfter", pDays->dump() + " is not a whole number of days from " +
                                             std::to_string(kMinExpireLogsAfterDays) + " to " +
                                             std::to_string(kMaxExpireLogsAfterDays));
        else
            document.nExpireLogsAfter = nDays;
    }
    if (const json* pDefault = top.Take("default")) {
        CObjectReader reader(*pDefault, "/default", strError);
        SDocumentNode node;
        node.strPlace = "/default";
        node.nLevel = reader.TakeWord("level", true, false);
        node.nType = reader.TakeWord("type", false, false);
        reader.Finish();
        document.defaults = node;
    }
    const json* pSubSystems = top.Take("subsystems");
    if (pSubSystems && !pSubSystems->is_array())
        top.Fail("/subsystems", "a list ([...]) is expected");
    top.Finish();
    if (!strError.empty())
        return strError;

    // What "Default" resolves to, where the document says.
    const std::optional<int> nDefaultLevel =
        document.defaults ? document.defaults->nLevel : std::nullopt;
    const std::optional<int> nDefaultType =
        document.defaults ? document.defaults->nType : std::nullopt;
    std::unordered_map<std::string, size_t> positionOfName;
    for (size_t i = 0; pSubSystems && i < pSubSystems->size() && strError.empty(); ++i) {
        SDocumentNode node;
        node.strPlace = "/subsystems/" + std::to_string(i);
        CObjectReader reader((*pSubSystems)[i], node.strPlace, strError);
        const json* pName = reader.Take("name");
        if (!strError.empty())
            break;
        if (!pName || !pName->is_string()) {
            reader.Fail(reader.Place("name"), "every subsystem needs a name (text)");
            break;
        }
        const std::string strNameUtf8 = pName->get<std::string>();
        node.strPlace += " (\"" + strNameUtf8 + "\")";
        const std::string strNameError = CheckNewName(strNameUtf8, node.strName);
        if (!strNameError.empty()) {
            reader.Fail(reader.Place("name"), strNameError);
            break;
        }
        const auto itEarlier = positionOfName.emplace(
            static_cast<const char*>(SubSystemNameKey(node.strName)), document.subSystems.size());
        if (!itEarlier.second)
            reader.Fail(reader.Place("name"),
                        "\"" + strNameUtf8 + "\" is given before, at " +
                            document.subSystems[itEarlier.first->second].strPlace);
        node.nLevel = reader.TakeWord("level", true, true);
        node.nType = reader.TakeWord("type", false, true);
        node.nEffectiveLevel = reader.TakeWord("effectiveLevel", true, true);
        node.nEffectiveType = reader.TakeWord("effectiveType", false, true);
        reader.Finish();
        if (!strError.empty())
            break;

        // An effective field contradicts the document only where the document gives what it
        // follows; otherwise it is an expectation of its own, which check compares.
        const std::optional<int> nEffectiveLevel =
            Resolve(node.nLevel, LOG_LEVEL_DEFAULT, nDefaultLevel);
        const std::optional<int> nEffectiveType =
            Resolve(node.nType, LOG_TYPE_DEFAULT, nDefaultType);
        if (node.nEffectiveLevel && nEffectiveLevel && *node.nEffectiveLevel != *nEffectiveLevel)
            reader.Fail(reader.Place("effectiveLevel"),
                        "\"" + Word(LogLevelToString(*node.nEffectiveLevel)) +
                            "\" contradicts the level, which gives \"" +
                            Word(LogLevelToString(*nEffectiveLevel)) + "\"");
        if (node.nEffectiveType && nEffectiveType && *node.nEffectiveType != *nEffectiveType)
            reader.Fail(reader.Place("effectiveType"),
                        "\"" + Word(LogTypeToString(*node.nEffectiveType)) +
                            "\" contradicts the type, which gives \"" +
                            Word(LogTypeToString(*nEffectiveType)) + "\"");
        document.subSystems.push_back(node);
    }
    return strError;
}
