// The configuration as a JSON document, as "show --json" and "export" write it and "import" and
// "check --expect" read it:
//   {"configured": true, "expireLogsAfter": 14, "default": {"level": "Release", "type": "Warning"},
//    "subsystems": [{"name": "Network", "level": "Trace", "type": "Default",
//                    "effectiveLevel": "Trace", "effectiveType": "Warning"}]}
// Words in their stored spelling, names in UTF-8. A value that could not be written back as it
// is stored is left out, and check reports it. Every field may be left out of a file read.
#pragma once

#include "framework/CString.h"
#include "logconfig/StoredConfiguration.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

// The document of a stored configuration, its subsystems limited to those given (all when null).
nlohmann::ordered_json
ConfigurationDocument(const CStoredConfiguration& stored,
                      const std::vector<const CStoredConfiguration::SSubSystem*>* pSubSystems);

struct SDocumentNode {
    std::string strPlace;    // where it stands in the file, for messages
    std::string strNameUtf8; // a subsystem's name as given
    CString strName;         // the same in the ANSI code page
    std::optional<int> nLevel, nType, nEffectiveLevel, nEffectiveType;
};

struct SConfigurationDocument {
    std::optional<int> nExpireLogsAfter;
    bool bDefaults = false;   // "default" is given, even without a value
    SDocumentNode defaults;   // without a name; level and type never Default
    bool bSubSystems = false; // "subsystems" is given, even empty
    std::vector<SDocumentNode> subSystems;
};

// Reads a document and checks all of it: JSON syntax, known fields, words, that names can name
// a key and are given once in any letter case, the day count, and that a given effective field
// agrees with the level or type it follows where the document gives them. Whether a name is new,
// and so has to keep the rules of new names, depends on the machine and is checked where it is
// known. "" when the document is sound, else the first error with its place. pParsed, when
// given: the JSON as parsed, for a caller that repeats the text's own spellings.
std::string ReadConfigurationDocument(const std::string& strText, SConfigurationDocument& document,
                                      nlohmann::json* pParsed = nullptr);

// A level or type word in any letter case, as the registry's words are matched; false for
// another word and, unless bAllowDefault, for "Default".
bool ParseLevelWord(const std::string& strWord, bool bAllowDefault, int& nLevel);
bool ParseTypeWord(const std::string& strWord, bool bAllowDefault, int& nType);

// What the words and rules are, for messages.
std::string LevelWordsText(bool bAllowDefault);
std::string TypeWordsText(bool bAllowDefault);
std::string DayCountText();

// A subsystem's name given in UTF-8 (in a file or on the command line) as strName in the ANSI
// code page: "" when it can name a key, else why not. That is all an existing subsystem's name
// has to do: names found in the registry are taken as they are.
std::string ConvertSubSystemName(const std::string& strNameUtf8, CString& strName);
// Why a new subsystem cannot have this name (CheckSubSystemName, the Add dialog's rules), or "".
std::string NewSubSystemNameProblem(const std::string& strNameUtf8, const CString& strName);
