#include "logconfig/ConfigurationWatch.h"

#include "logconfig/DefaultLogSettings.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "logconfig/StoredConfiguration.h"

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
    CStoredConfiguration stored;
    stored.Read();
    m_nExpireDays = stored.m_nExpireLogsAfter;
    m_defaultSettings = NodeOf(stored.m_defaultSettings);
    m_subSystems.clear();
    for (const boost::shared_ptr<CSubSystemLogSettings>& pSettings : subSystems) {
        if (const CStoredConfiguration::SSubSystem* pStored = stored.Find(pSettings->GetName()))
            m_subSystems.push_back(NodeOf(*pStored->pSettings));
    }
}

SConfigurationChanges CConfigurationWatch::FindChanges() const {
    SConfigurationChanges changes;
    if (!m_watch.HasChanged())
        return changes;

    // Read as loading reads it, but without creating anything: a key that is gone stays gone.
    CStoredConfiguration stored;
    stored.Read();
    changes.bExpireDays = stored.m_nExpireLogsAfter != m_nExpireDays;
    changes.bDefaultSettings = !SameValues(NodeOf(stored.m_defaultSettings), m_defaultSettings);
    for (const SStoredNode& node : m_subSystems) {
        const CStoredConfiguration::SSubSystem* pStored = stored.Find(node.strName);
        if (!pStored || !SameValues(NodeOf(*pStored->pSettings), node))
            changes.subSystems.push_back({node.strName, pStored == nullptr});
    }
    return changes;
}
