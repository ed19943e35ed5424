// What check finds wrong with the stored configuration: values the dialog and the components
// would misread or that say something other than what they seem to, one problem a line.
#pragma once

#include "framework/CString.h"
#include "logconfig/LogLayout.h"
#include "logconfig/SubSystemLogSettings.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <vector>

struct SProblem {
    std::string strKey; // as messages name it
    std::string strWhat;

    std::string Line() const { return strKey + ": " + strWhat; }
};

// Which value of the configuration a stored value is.
enum EValueKind {
    kDayCountValue,     // "ExpireLogsAfter"
    kDefaultLevelValue, // "DefaultLogLevel"
    kDefaultTypeValue,  // "DefaultLogType"
    kLevelValue,        // a subsystem's "LogLevel"
    kTypeValue,         // a subsystem's "LogType"
};

const char* ValueName(EValueKind kind);

// How a stored value reads in a message: its text in quotes, a number, or its size; "missing".
std::string Holds(const SRegistryValue& value);

// What is wrong with one value as stored, a text each without the key; nothing for a missing
// value. Most values have no problem: the texts are made only for those that have.
std::vector<std::string> ValueProblems(EValueKind kind, const SRegistryValue& value);

// The stored values of one node, the default settings or a subsystem, with what the dialog
// loads from them.
struct SNodeValues {
    CString strName; // the subsystem's; empty for the default settings
    bool bDefaultSettings;
    SRegistryValue level;
    SRegistryValue type;
    boost::shared_ptr<const CSubSystemLogSettings> pSettings;

    // The key as messages name it.
    std::string Key() const;
};

// The problems of a node's values, and of the two together.
void FindNodeProblems(const SNodeValues& node, std::vector<SProblem>& problems);

// A subsystem key whose name the ANSI code page cannot hold, named in UTF-8.
SProblem KeyBeyondCodePageProblem(const std::string& strNameUtf8);
