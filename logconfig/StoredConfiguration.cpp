#include "logconfig/StoredConfiguration.h"

#include "logconfig/SubSystemName.h"
#include "registry/Registry.h"

#include <algorithm>

LONG CStoredConfiguration::Read() {
    return ReadSubSystems(nullptr);
}

LONG CStoredConfiguration::ReadOnly(const std::vector<CString>& names) {
    return ReadSubSystems(&names);
}

LONG CStoredConfiguration::ReadSubSystems(const std::vector<CString>* pNames) {
    CRegistryT<1> base(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    base.Open();
    m_bBaseKeyExists = base.m_hKey != nullptr;
    // A missing key is an empty configuration.
    const LONG lBase = m_bBaseKeyExists || base.m_lSystemResult == ERROR_FILE_NOT_FOUND
                           ? ERROR_SUCCESS
                           : base.m_lSystemResult;
    const HKEY hBase = base.m_hKey;
    m_expireLogsAfter = ReadRegistryValue(hBase, kExpireLogsAfterValueName);
    m_nExpireLogsAfter = DayCountOf(m_expireLogsAfter);
    m_defaultLevel = ReadRegistryValue(hBase, kDefaultLogLevelValueName);
    m_defaultType = ReadRegistryValue(hBase, kDefaultLogTypeValueName);
    m_defaultSettings.LoadStoredDefaults(m_defaultLevel, m_defaultType);

    LONG lResult = lBase;
    const std::vector<CString> names =
        pNames ? *pNames : EnumerateSubSystemNames(hBase, &m_nKeysBeyondCodePage);
    m_subSystems.reserve(names.size());
    for (const CString& strName : names) {
        CRegistryT<1> key(HKEY_LOCAL_MACHINE, SubSystemKeyPath(strName));
        if (key.Open() != ERROR_SUCCESS) {
            // A name that opens no key is one the code page could not hold (or a key deleted
            // since the enumeration): reading or writing it would reach another key.
            if (key.m_lSystemResult == ERROR_FILE_NOT_FOUND) {
                if (!pNames)
                    ++m_nKeysBeyondCodePage;
            } else {
                m_unreadable.push_back({strName, key.m_lSystemResult});
                if (lResult == ERROR_SUCCESS)
                    lResult = key.m_lSystemResult;
            }
            continue;
        }
        SSubSystem subSystem;
        subSystem.pSettings.reset(new CSubSystemLogSettings(strName));
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
    return lResult;
}

const CStoredConfiguration::SSubSystem* CStoredConfiguration::Find(const CString& strName) const {
    const auto it = m_positionOfName.find(static_cast<const char*>(SubSystemNameKey(strName)));
    return it == m_positionOfName.end() ? nullptr : &m_subSystems[it->second];
}
