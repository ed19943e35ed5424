// The whole logging configuration as it is stored: every value with its registry type, and the
// settings that the dialog would load from them.
#pragma once

#include "framework/CString.h"
#include "logconfig/DefaultLogSettings.h"
#include "logconfig/LogLayout.h"
#include "logconfig/SubSystemLogSettings.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <unordered_map>
#include <vector>

class CStoredConfiguration {
public:
    struct SSubSystem {
        SRegistryValue level; // "LogLevel"
        SRegistryValue type;  // "LogType"
        boost::shared_ptr<CSubSystemLogSettings> pSettings;
    };

    // Every key is opened for reading only: reading creates and changes nothing, and a missing
    // base key reads as an empty configuration. 0, or the first system code of a key that exists
    // but cannot be read (for instance ERROR_ACCESS_DENIED). Such a subsystem key is listed in
    // m_unreadable and left out of m_subSystems; everything else is read all the same.
    LONG Read();
    // The base key's values and only the subsystems of these names, each opened by its name
    // without enumerating the others: what a change of one subsystem needs, at the same cost
    // with ten subsystems as with ten thousand. A name that opens no key is left out; a found
    // one keeps the spelling given.
    LONG ReadOnly(const std::vector<CString>& names);

    // The subsystem of that name, compared as the registry compares key names; null when none.
    const SSubSystem* Find(const CString& strName) const;

    struct SUnreadableKey {
        CString strName;
        LONG lError;
    };

    bool m_bBaseKeyExists = false;
    SRegistryValue m_expireLogsAfter;                     // "ExpireLogsAfter"
    SRegistryValue m_defaultLevel;                        // "DefaultLogLevel"
    SRegistryValue m_defaultType;                         // "DefaultLogType"
    int m_nExpireLogsAfter = kDefaultExpireLogsAfterDays; // as the dialog reads it
    CDefaultLogSettings m_defaultSettings;
    std::vector<SSubSystem> m_subSystems; // in the order the dialog shows them
    std::vector<SUnreadableKey> m_unreadable;
    // Subsystem keys whose names the ANSI code page cannot hold: enumerated as names that open
    // no key, or that repeat another's. Left out of m_subSystems; SubSystemNamesBeyondCodePage
    // names them.
    size_t m_nKeysBeyondCodePage = 0;

private:
    LONG ReadSubSystems(const std::vector<CString>* pNames);

    // Position in m_subSystems by SubSystemNameKey: a baseline of thousands of subsystems is
    // compared name by name.
    std::unordered_map<std::string, size_t> m_positionOfName;
};
