// CDefaultLogSettings: the default log level and type, which every subsystem set to Default
// follows. Kept in the base key itself, which loading creates when it does not exist.
#pragma once

#include "logconfig/SubSystemLogSettings.h"

// Name of the default settings' tree item; not part of any registry path.
inline constexpr char kDefaultSettingsName[] = "Default Settings";

class CDefaultLogSettings : public CSubSystemLogSettings {
public:
    // Level and type Default, switched on, until Load.
    CDefaultLogSettings();
    ~CDefaultLogSettings() override;

    // Missing values read as "Release" and "Error"; None and None switch the object off.
    void Load() override;
    // Returns the first registry failure, or 0 when everything was stored.
    LONG Save() override;

    // What Load makes of "DefaultLogLevel" and "DefaultLogType" when they have been read already.
    void LoadStoredDefaults(const SRegistryValue& level, const SRegistryValue& type);
};
