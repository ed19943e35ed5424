#include "logconfig/DefaultLogSettings.h"

#include "logconfig/LogLayout.h"
#include "registry/Registry.h"

CDefaultLogSettings::CDefaultLogSettings() : CSubSystemLogSettings(kDefaultSettingsName) {}

CDefaultLogSettings::~CDefaultLogSettings() = default;

void CDefaultLogSettings::Load() {
    CRegistryT<0> reg(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    reg.Open(); // on failure the handle stays null and the defaults apply
    LoadFromKey(reg.m_hKey, kDefaultLogLevelValueName, kDefaultLogLevelWord,
                kDefaultLogTypeValueName, kDefaultLogTypeWord);
}

LONG CDefaultLogSettings::Save() {
    return SaveToKey(kLogConfigBaseKey, kDefaultLogLevelValueName, kDefaultLogTypeValueName);
}

void CDefaultLogSettings::LoadStoredDefaults(const SRegistryValue& level,
                                             const SRegistryValue& type) {
    LoadFromValues(level, kDefaultLogLevelWord, type, kDefaultLogTypeWord);
}
