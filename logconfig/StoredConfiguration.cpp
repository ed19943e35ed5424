#include "logconfig/StoredConfiguration.h"

#include "logconfig/SubSystemName.h"
#include "registry/Registry.h"

#include <algorithm>

LONG CStoredConfiguration::Read() {
    CRegistryT<1> base(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    if (base.Open() != ERROR_SUCCESS) {
        if (base.m_lSystemResult != ERROR_FILE_NOT_FOUND)
            return base.m_lSystemResult;
        m_defaultSettings.LoadStoredDefaults(m_defaultLevel, m_defaultType);
        return ERROR_SUCCESS;
    }
    m_bBaseKeyExists = true;
    m_expireLogsAfter = ReadRegistryValue(base.m_hKey, kExpireLogsAfterValueName);
    if (m_expireLogsAfter.IsReadableAsText())
        m_nExpireLogsAfter = ParseDayCount(m_expireLogsAfter.Text());
    m_defaultLevel = ReadRegistryValue(base.m_hKey, kDefaultLogLevelValueName);
    m_defaultType = ReadRegistryValue(base.m_hKey, kDefaultLogTypeValueName);
    m_defaultSettings.LoadStoredDefaults(m_defaultLevel, m_defaultType);

    const std::vector<CString> names = EnumerateSubSystemNames(base.m_hKey);
    m_subSystems.reserve(names.size());
    for (const CString& strName : names) {
        SSubSystem subSystem;
        subSystem.pSettings.reset(new CSubSystemLogSettings(strName));
        CRegistryT<1> key(HKEY_LOCAL_MACHINE, SubSystemKeyPath(strName));
        // A key removed since the enumeration reads as one without values, as in the dialog.
        if (key.Open() != ERROR_SUCCESS && key.m_lSystemResult != ERROR_FILE_NOT_FOUND)
            return key.m_lSystemResult;
        subSystem.level = ReadRegistryValue(key.m_hKey, kLogLevelValueName);
        subSystem.type = ReadRegistryValue(key.m_hKey, kLogTypeValueName);
        subSystem.pSettings->LoadStoredValues(subSystem.level, subSystem.type);
        m_subSystems.push_back(std::move(subSystem));
    }
    std::stable_sort(m_subSystems.begin(), m_subSystems.end(),
                     [](const SSubSystem& left, const SSubSystem& right) {
                         return SubSystemDisplayOrderLess(left.pSettings->GetName(),
                                                          right.pSettings->GetName());
                     });
    for (size_t i = 0; i < m_subSystems.size(); ++i)
        m_positionOfName.emplace(
            static_cast<const char*>(SubSystemNameKey(m_subSystems[i].pSettings->GetName())), i);
    return ERROR_SUCCESS;
}

const CStoredConfiguration::SSubSystem* CStoredConfiguration::Find(const CString& strName) const {
    const auto it = m_positionOfName.find(static_cast<const char*>(SubSystemNameKey(strName)));
    return it == m_positionOfName.end() ? nullptr : &m_subSystems[it->second];
}
