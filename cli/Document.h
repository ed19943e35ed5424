// The configuration as a JSON document, as "show --json" and "export" write it and "import" and
// "check --expect" read it:
//   {"expireLogsAfter": 14, "default": {"level": "Release", "type": "Warning"},
//    "subsystems": [{"name": "Network", "level": "Trace", "type": "Default",
//                    "effectiveLevel": "Trace", "effectiveType": "Warning"}]}
// Words in their stored spelling, names in UTF-8. Every field may be left out of a file read.
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
    std::string strPlace; // where it stands in the file, for messages
    CString strName;      // a subsystem's, in the ANSI code page
    std::optional<int> nLevel, nType, nEffectiveLevel, nEffectiveType;
};

struct SConfigurationDocument {
    std::optional<int> nExpireLogsAfter;
    std::optional<SDocumentNode> defaults;
    std::vector<SDocumentNode> subSystems;
};

// Reads a document and checks all of it: JSON syntax, known fields, words, names, the day count,
// and that a given effective field agrees with the level or type it follows where the document
// gives them. "" when the document is sound, else the first error with its place.
std::string ReadConfigurationDocument(const std::string& strText, SConfigurationDocument& document);

// A level or type word in any letter case; false for an unknown word and, unless bAllowDefault,
// for "Default".
bool ParseLevelWord(const std::string& strWord, bool bAllowDefault, int& nLevel);
bool ParseTypeWord(const std::string& strWord, bool bAllowDefault, int& nType);
// The name rules of a new subsystem, and that the ANSI code page can hold it: "" when it may
// be used, else why not.
std::string CheckNewName(const std::string& strUtf8, CString& strAnsi);
