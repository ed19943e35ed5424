#include "logconfig/ConfigurationWatch.h"

#include "logconfig/DefaultLogSettings.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "logconfig/StoredConfiguration.h"
#include "logconfig/SubSystemName.h"

#include <unordered_set>

namespace {

std::string KeyOf(const CString& strName) {
    return static_cast<const char*>(SubSystemNameKey(strName));
}

// The subsystem keys that exist but could not be read back: what they hold is not known.
std::unordered_set<std::string> UnreadableKeys(const CStoredConfiguration& stored) {
    std::unordered_set<std::string> keys;
    for (const CStoredConfiguration::SUnreadableKey& key : stored.m_unreadable)
        keys.insert(KeyOf(key.strName));
    return keys;
}

// Read back as the dialog loads it, so that only what differs in the registry differs here. A
// base key that could be opened before and cannot now would read as the defaults and no
// subsystem, which tells nothing of what it holds: false then.
bool ReadBack(CStoredConfiguration& stored, bool bBaseKeyOpenedBefore) {
    stored.Read(CStoredConfiguration::kAsTheDialogLoads);
    return stored.m_bBaseKeyExists || !bBaseKeyOpenedBefore;
}

} // namespace

CConfigurationWatch::CConfigurationWatch()
    : m_watch(HKEY_LOCAL_MACHINE, kLogConfigBaseKey), m_bBaseKeyOpened(true),
      m_nExpireDays(kDefaultExpireLogsAfterDays), m_defaultSettings{kDefaultSettingsName, true,
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
        return {settings.GetName(), true, LOG_LEVEL_NONE, LOG_TYPE_NONE};
    return {settings.GetName(), true, settings.GetLogLevel(), settings.GetLogType()};
}

CConfigurationWatch::SStoredNode
CConfigurationWatch::StoredNodeOf(const CStoredConfiguration& stored, const CString& strName) {
    const CStoredConfiguration::SSubSystem* pStored = stored.Find(strName);
    if (pStored == nullptr)
        return {strName, false, LOG_LEVEL_DEFAULT, LOG_TYPE_DEFAULT};
    return NodeOf(*pStored->pSettings);
}

bool CConfigurationWatch::SameValues(const SStoredNode& a, const SStoredNode& b) {
    if (a.bExists != b.bExists)
        return false;
    return !a.bExists || (a.nLogLevel == b.nLogLevel && a.nLogType == b.nLogType);
}

void CConfigurationWatch::RememberSubSystem(const SStoredNode& node) {
    const auto inserted = m_positionOfName.emplace(KeyOf(node.strName), m_subSystems.size());
    if (inserted.second) {
        m_subSystems.push_back(node);
        return;
    }
    SStoredNode& remembered = m_subSystems[inserted.first->second];
    remembered.bExists = node.bExists;
    remembered.nLogLevel = node.nLogLevel;
    remembered.nLogType = node.nLogType;
}

void CConfigurationWatch::Remember(bool bBaseKeyOpened, int nExpireDays,
                                   const CSubSystemLogSettings& defaultSettings,
                                   const SubSystemList& subSystems) {
    m_bBaseKeyOpened = bBaseKeyOpened;
    m_nExpireDays = nExpireDays;
    m_defaultSettings = NodeOf(defaultSettings);
    m_subSystems.clear();
    m_positionOfName.clear();
    m_subSystems.reserve(subSystems.size());
    // In the order a save writes them, so that the last one of a key name is what it holds.
    for (const boost::shared_ptr<CSubSystemLogSettings>& pSettings : subSystems)
        RememberSubSystem(NodeOf(*pSettings));
}

void CConfigurationWatch::RememberAdded(const CString& strName) {
    if (m_positionOfName.count(KeyOf(strName)) == 0)
        RememberSubSystem({strName, false, LOG_LEVEL_DEFAULT, LOG_TYPE_DEFAULT});
}

void CConfigurationWatch::RememberStored(const SubSystemList& subSystems) {
    CStoredConfiguration stored;
    if (!ReadBack(stored, m_bBaseKeyOpened))
        return;
    m_bBaseKeyOpened = stored.m_bBaseKeyExists;
    m_nExpireDays = stored.m_nExpireLogsAfter;
    m_defaultSettings = NodeOf(stored.m_defaultSettings);
    const std::unordered_set<std::string> unreadable = UnreadableKeys(stored);
    for (const boost::shared_ptr<CSubSystemLogSettings>& pSettings : subSystems) {
        const CString strName = pSettings->GetName();
        if (unreadable.count(KeyOf(strName)) != 0)
            continue;
        RememberSubSystem(StoredNodeOf(stored, strName));
    }
}

SConfigurationChanges CConfigurationWatch::FindChanges() const {
    SConfigurationChanges changes;
    if (!m_watch.HasChanged())
        return changes;

    CStoredConfiguration stored;
    if (!ReadBack(stored, m_bBaseKeyOpened)) {
        changes.bReadBackIncomplete = true;
        return changes;
    }
    changes.bExpireDays = stored.m_nExpireLogsAfter != m_nExpireDays;
    changes.bDefaultSettings = !SameValues(NodeOf(stored.m_defaultSettings), m_defaultSettings);
    const std::unordered_set<std::string> unreadable = UnreadableKeys(stored);
    for (const SStoredNode& node : m_subSystems) {
        if (!unreadable.empty() && unreadable.count(KeyOf(node.strName)) != 0) {
            changes.unread.push_back(node.strName);
            continue;
        }
        const SStoredNode now = StoredNodeOf(stored, node.strName);
        if (!SameValues(now, node))
            changes.subSystems.push_back({node.strName, node.bExists && !now.bExists});
    }
    changes.bReadBackIncomplete = !changes.unread.empty();
    return changes;
}
