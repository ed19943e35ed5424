#include "logconfig/ConfigurationWatch.h"

#include "logconfig/DefaultLogSettings.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "logconfig/StoredConfiguration.h"
#include "logconfig/SubSystemName.h"
#include "registry/Registry.h"

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

// Read back as the dialog loads it, so that only what differs in the registry differs here, but
// without creating or changing anything: a base key that another program deleted stays deleted
// until the user says Yes. A missing base key reads as the empty configuration it is. False when
// the base key, which the dialog could open before, exists and cannot be read now: that tells
// nothing of what it holds.
bool ReadBack(CStoredConfiguration& stored, bool bBaseKeyOpenedBefore) {
    // A dialog that could not open the base key for editing shows the defaults and no
    // subsystem; so the configuration reads as that for as long as the key still does not open
    // so. Opening an existing key for writing creates nothing and writes nothing.
    if (!bBaseKeyOpenedBefore) {
        CRegistryT<0> base(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
        if (base.OpenExisting() != ERROR_SUCCESS)
            return true;
    }
    const LONG lResult = stored.Read();
    return stored.m_bBaseKeyExists || lResult == ERROR_SUCCESS;
}

} // namespace

CConfigurationWatch::CConfigurationWatch()
    : m_watch(HKEY_LOCAL_MACHINE, kLogConfigBaseKey),
      m_bBaseKeyOpened(true), m_remembered{
                                  true,
                                  kDefaultExpireLogsAfterDays,
                                  {kDefaultSettingsName, true, LOG_LEVEL_DEFAULT, LOG_TYPE_DEFAULT},
                                  {}} {}

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
    const auto inserted =
        m_positionOfName.emplace(KeyOf(node.strName), m_remembered.subSystems.size());
    if (inserted.second) {
        m_remembered.subSystems.push_back(node);
        m_bLastLookIncomplete = m_lastLook.has_value();
        return;
    }
    SStoredNode& remembered = m_remembered.subSystems[inserted.first->second];
    remembered.bExists = node.bExists;
    remembered.nLogLevel = node.nLogLevel;
    remembered.nLogType = node.nLogType;
}

void CConfigurationWatch::ForgetLastLook() {
    m_lastLook.reset();
    m_bLastLookIncomplete = false;
}

void CConfigurationWatch::Remember(bool bBaseKeyOpened, int nExpireDays,
                                   const CSubSystemLogSettings& defaultSettings,
                                   const SubSystemList& subSystems) {
    ForgetLastLook();
    m_bBaseKeyOpened = bBaseKeyOpened;
    m_remembered.nExpireDays = nExpireDays;
    m_remembered.defaultSettings = NodeOf(defaultSettings);
    m_remembered.subSystems.clear();
    m_positionOfName.clear();
    m_remembered.subSystems.reserve(subSystems.size());
    // In the order a save writes them, so that the last one of a key name is what it holds.
    for (const boost::shared_ptr<CSubSystemLogSettings>& pSettings : subSystems)
        RememberSubSystem(NodeOf(*pSettings));
}

void CConfigurationWatch::RememberAdded(const CString& strName) {
    if (m_positionOfName.count(KeyOf(strName)) == 0)
        RememberSubSystem({strName, false, LOG_LEVEL_DEFAULT, LOG_TYPE_DEFAULT});
}

void CConfigurationWatch::RememberStored(const SubSystemList& subSystems) {
    ForgetLastLook();
    CStoredConfiguration stored;
    if (!ReadBack(stored, m_bBaseKeyOpened))
        return;
    m_bBaseKeyOpened = stored.m_bBaseKeyExists;
    m_remembered.nExpireDays = stored.m_nExpireLogsAfter;
    m_remembered.defaultSettings = NodeOf(stored.m_defaultSettings);
    const std::unordered_set<std::string> unreadable = UnreadableKeys(stored);
    for (const boost::shared_ptr<CSubSystemLogSettings>& pSettings : subSystems) {
        const CString strName = pSettings->GetName();
        if (unreadable.count(KeyOf(strName)) != 0)
            continue;
        RememberSubSystem(StoredNodeOf(stored, strName));
    }
}

CConfigurationWatch::SState CConfigurationWatch::Look() {
    // Whatever is written from now on is news for the next look.
    m_watch.Start();
    SState look;
    CStoredConfiguration stored;
    look.bBaseKeyRead = ReadBack(stored, m_bBaseKeyOpened);
    if (!look.bBaseKeyRead)
        return look;
    look.nExpireDays = stored.m_nExpireLogsAfter;
    look.defaultSettings = NodeOf(stored.m_defaultSettings);
    const std::unordered_set<std::string> unreadable = UnreadableKeys(stored);
    look.subSystems.reserve(m_remembered.subSystems.size());
    for (const SStoredNode& node : m_remembered.subSystems) {
        if (!unreadable.empty() && unreadable.count(KeyOf(node.strName)) != 0)
            look.subSystems.push_back(
                {node.strName, true, LOG_LEVEL_DEFAULT, LOG_TYPE_DEFAULT, true});
        else
            look.subSystems.push_back(StoredNodeOf(stored, node.strName));
    }
    return look;
}

SConfigurationChanges CConfigurationWatch::Differences(const SState& now,
                                                       const SState* pBefore) const {
    SConfigurationChanges changes;
    if (!now.bBaseKeyRead) {
        changes.bReadBackIncomplete = pBefore == nullptr || pBefore->bBaseKeyRead;
        return changes;
    }
    const SState& before = pBefore && pBefore->bBaseKeyRead ? *pBefore : m_remembered;
    changes.bExpireDays = now.nExpireDays != before.nExpireDays;
    changes.bDefaultSettings = !SameValues(now.defaultSettings, before.defaultSettings);
    for (size_t i = 0; i < now.subSystems.size(); ++i) {
        const SStoredNode& node = now.subSystems[i];
        const SStoredNode& remembered = m_remembered.subSystems[i];
        const SStoredNode& was = i < before.subSystems.size() ? before.subSystems[i] : remembered;
        if (node.bUnread) {
            if (!was.bUnread)
                changes.unread.push_back(remembered.strName);
            continue;
        }
        const SStoredNode& known = was.bUnread ? remembered : was;
        if (!SameValues(node, known))
            changes.subSystems.push_back({remembered.strName, known.bExists && !node.bExists});
    }
    changes.bReadBackIncomplete = !changes.unread.empty();
    return changes;
}

SConfigurationChanges CConfigurationWatch::FindChanges() {
    if (m_watch.HasChanged() || m_bLastLookIncomplete) {
        m_lastLook = Look();
        m_bLastLookIncomplete = false;
    }
    if (!m_lastLook)
        return {};
    return Differences(*m_lastLook, nullptr);
}

SConfigurationChanges CConfigurationWatch::FindChangesSinceLastLook() {
    if (!m_lastLook || !m_watch.HasChanged())
        return {};
    const SState before = std::move(*m_lastLook);
    m_lastLook = Look();
    return Differences(*m_lastLook, &before);
}
