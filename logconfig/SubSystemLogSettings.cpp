#include "logconfig/SubSystemLogSettings.h"

#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "registry/Registry.h"

CSubSystemLogSettings::CSubSystemLogSettingsData::CSubSystemLogSettingsData(const CString& strName)
    : m_nLogLevel(LOG_LEVEL_DEFAULT), m_nLogType(LOG_TYPE_DEFAULT), m_strName(strName),
      m_bEnabled(true), m_hTreeItem(nullptr) {}

CSubSystemLogSettings::CSubSystemLogSettingsData::~CSubSystemLogSettingsData() = default;

CSubSystemLogSettings::CSubSystemLogSettings(const CString& strName)
    : m_pData(new CSubSystemLogSettingsData(strName)) {}

CSubSystemLogSettings::~CSubSystemLogSettings() {
    delete m_pData;
    m_pData = nullptr;
}

void CSubSystemLogSettings::Load() {
    LoadExisting();
}

bool CSubSystemLogSettings::LoadExisting() {
    CRegistryT<1> reg(HKEY_LOCAL_MACHINE, SubSystemKeyPath(GetName()));
    reg.Open(); // a missing key leaves the handle null: the values are then Default
    LoadFromKey(reg.m_hKey, kLogLevelValueName, "", kLogTypeValueName, "");
    return reg.m_lSystemResult != ERROR_FILE_NOT_FOUND;
}

LONG CSubSystemLogSettings::Save() {
    return SaveToKey(SubSystemKeyPath(GetName()), kLogLevelValueName, kLogTypeValueName);
}

void CSubSystemLogSettings::SetLogLevel(int nLogLevel) {
    m_pData->m_nLogLevel = nLogLevel;
}
void CSubSystemLogSettings::SetLogType(int nLogType) {
    m_pData->m_nLogType = nLogType;
}
void CSubSystemLogSettings::SetEnabled(bool bEnabled) {
    m_pData->m_bEnabled = bEnabled;
}
void CSubSystemLogSettings::SetTreeItem(HTREEITEM hTreeItem) {
    m_pData->m_hTreeItem = hTreeItem;
}

int CSubSystemLogSettings::GetLogLevel() const {
    return m_pData->m_nLogLevel;
}
int CSubSystemLogSettings::GetLogType() const {
    return m_pData->m_nLogType;
}
bool CSubSystemLogSettings::IsEnabled() const {
    return m_pData->m_bEnabled;
}
CString CSubSystemLogSettings::GetName() const {
    return m_pData->m_strName;
}
HTREEITEM CSubSystemLogSettings::GetTreeItem() const {
    return m_pData->m_hTreeItem;
}

void CSubSystemLogSettings::SetLogLevelFromString(const CString& strLogLevel) {
    SetLogLevel(StringToLogLevel(strLogLevel));
}

void CSubSystemLogSettings::SetLogTypeFromString(const CString& strLogType) {
    SetLogType(StringToLogType(strLogType));
}

void CSubSystemLogSettings::LoadStoredValues(const SRegistryValue& level,
                                             const SRegistryValue& type) {
    LoadFromValues(level, "", type, "");
}

void CSubSystemLogSettings::LoadFromKey(HKEY hKey, const char* pszLevelValueName,
                                        const char* pszMissingLevelWord,
                                        const char* pszTypeValueName,
                                        const char* pszMissingTypeWord) {
    LoadFromValues(ReadRegistryValue(hKey, pszLevelValueName), pszMissingLevelWord,
                   ReadRegistryValue(hKey, pszTypeValueName), pszMissingTypeWord);
}

void CSubSystemLogSettings::LoadFromValues(const SRegistryValue& level,
                                           const char* pszMissingLevelWord,
                                           const SRegistryValue& type,
                                           const char* pszMissingTypeWord) {
    // A value that cannot be read as text leaves the word assumed for a missing one.
    SetLogLevelFromString(level.IsReadableAsText() ? level.Text() : CString(pszMissingLevelWord));
    SetLogTypeFromString(type.IsReadableAsText() ? type.Text() : CString(pszMissingTypeWord));

    // A stored None and None is how a switched-off node is kept.
    SetEnabled(true);
    if (GetLogLevel() == LOG_LEVEL_NONE && GetLogType() == LOG_TYPE_NONE)
        SetEnabled(false);
}

LONG CSubSystemLogSettings::SaveToKey(const CString& strKeyPath, const char* pszLevelValueName,
                                      const char* pszTypeValueName) const {
    CRegistryT<0> reg(HKEY_LOCAL_MACHINE, strKeyPath);
    const LONG lOpen = reg.Open();
    if (lOpen != ERROR_SUCCESS)
        return lOpen; // nothing can be stored without the key

    // Switched off is stored as None and None; the values in memory stay as they are.
    const int nLogLevel = IsEnabled() ? GetLogLevel() : LOG_LEVEL_NONE;
    const int nLogType = IsEnabled() ? GetLogType() : LOG_TYPE_NONE;
    const LONG lLevel =
        WriteRegistryText(reg.m_hKey, pszLevelValueName, LogLevelToString(nLogLevel));
    const LONG lType = WriteRegistryText(reg.m_hKey, pszTypeValueName, LogTypeToString(nLogType));
    return lLevel != ERROR_SUCCESS ? lLevel : lType;
}
