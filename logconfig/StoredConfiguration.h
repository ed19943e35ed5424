// The whole logging configuration as it is stored, read without creating or changing anything:
// every value with its registry type, and the settings that the dialog would load from them.
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

    // 0, or the system's code when a key of the configuration exists but cannot be read (for
    // instance ERROR_ACCESS_DENIED). A missing base key is an empty configuration: the dialog's
    // defaults and no subsystem.
    LONG Read();

    // The subsystem of that name, compared as the registry compares key names; null when none.
    const SSubSystem* Find(const CString& strName) const;

    bool m_bBaseKeyExists = false;
    SRegistryValue m_expireLogsAfter;                     // "ExpireLogsAfter"
    SRegistryValue m_defaultLevel;                        // "DefaultLogLevel"
    SRegistryValue m_defaultType;                         // "DefaultLogType"
    int m_nExpireLogsAfter = kDefaultExpireLogsAfterDays; // as the dialog reads it
    CDefaultLogSettings m_defaultSettings;
    std::vector<SSubSystem> m_subSystems; // in the order the dialog shows them

private:
    // Position in m_subSystems by SubSystemNameKey: a baseline of thousands of subsystems is
    // compared name by name.
    std::unordered_map<std::string, size_t> m_positionOfName;
};
