#include "logconfig/ConfigurationWatch.h"

#include "logconfig/DefaultLogSettings.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "registry/Registry.h"

namespace {

// Stored values read exactly as loading reads them, but through keys opened for reading only:
// looking must not create anything.
class CStoredSettings : public CSubSystemLogSettings {
public:
    explicit CStoredSettings(const CString& strName) : CSubSystemLogSettings(strName) {}

    // hBaseKey may be null: the values are then those of a missing base key.
    void ReadDefaultSettings(HKEY hBaseKey) {
        LoadFromKey(hBaseKey, kDefaultLogLevelValueName, kDefaultLogLevelWord,
                    kDefaultLogTypeValueName, kDefaultLogTypeWord);
    }

    // false when the subsystem's key does not exist.
    bool ReadSubSystem() {
        CRegistryT<1> reg(HKEY_LOCAL_MACHINE, SubSystemKeyPath(GetName()));
        if (reg.Open() != ERROR_SUCCESS)
            return false;
        LoadFromKey(reg.m_hKey, kLogLevelValueName, "", kLogTypeValueName, "");
        return true;
    }
};

int ReadStoredExpireDays(HKEY hBaseKey) {
    int nDays = kDefaultExpireLogsAfterDays; // what loading keeps when the value cannot be read
    ReadExpireLogsAfter(hBaseKey, nDays);
    return nDays;
}

} // namespace

CConfigurationWatch::CConfigurationWatch()
    : m_watch(HKEY_LOCAL_MACHINE, kLogConfigBaseKey),
      m_nExpireDays(kDefaultExpireLogsAfterDays), m_defaultSettings{kDefaultSettingsName,
                                                                    LOG_LEVEL_DEFAULT,
                                                                    LOG_TYPE_DEFAULT} {}

void CConfigurationWatch::Start() {
    // A watch that cannot start reports a change at every question: FindChanges then always
    // compares, which is slower but never misses anything.
    m_watch.Start();
}

CConfigurationWatch::SStoredNode
CConfigurationWatch::NodeOf(const CSubSystemLogSettings& settings) {
    if (!settings.IsEnabled())
        return {settings.GetName(), LOG_LEVEL_NONE, LOG_TYPE_NONE};
    return {settings.GetName(), settings.GetLogLevel(), settings.GetLogType()};
}

bool CConfigurationWatch::SameValues(const SStoredNode& a, const SStoredNode& b) {
    return a.nLogLevel == b.nLogLevel && a.nLogType == b.nLogType;
}

void CConfigurationWatch::Remember(int nExpireDays, const CSubSystemLogSettings& defaultSettings,
                                   const SubSystemList& subSystems) {
    m_nExpireDays = nExpireDays;
    m_defaultSettings = NodeOf(defaultSettings);
    m_subSystems.clear();
    m_subSystems.reserve(subSystems.size());
    for (const boost::shared_ptr<CSubSystemLogSettings>& pSettings : subSystems)
        m_subSystems.push_back(NodeOf(*pSettings));
}

void CConfigurationWatch::RememberStored(const SubSystemList& subSystems) {
    CRegistryT<1> baseKey(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    baseKey.Open();
    m_nExpireDays = ReadStoredExpireDays(baseKey.m_hKey);
    CStoredSettings defaults(kDefaultSettingsName);
    defaults.ReadDefaultSettings(baseKey.m_hKey);
    m_defaultSettings = NodeOf(defaults);
    m_subSystems.clear();
    for (const boost::shared_ptr<CSubSystemLogSettings>& pSettings : subSystems) {
        CStoredSettings stored(pSettings->GetName());
        if (stored.ReadSubSystem())
            m_subSystems.push_back(NodeOf(stored));
    }
}

SConfigurationChanges CConfigurationWatch::FindChanges() const {
    SConfigurationChanges changes;
    if (!m_watch.HasChanged())
        return changes;

    CRegistryT<1> baseKey(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    baseKey.Open(); // when the base key is gone, so is every subsystem
    changes.bExpireDays = ReadStoredExpireDays(baseKey.m_hKey) != m_nExpireDays;
    CStoredSettings defaults(kDefaultSettingsName);
    defaults.ReadDefaultSettings(baseKey.m_hKey);
    changes.bDefaultSettings = !SameValues(NodeOf(defaults), m_defaultSettings);

    for (const SStoredNode& node : m_subSystems) {
        CStoredSettings stored(node.strName);
        const bool bExists = stored.ReadSubSystem();
        if (!bExists || !SameValues(NodeOf(stored), node))
            changes.subSystems.push_back({node.strName, !bExists});
    }
    return changes;
}
