// CSubSystemLogSettings: the logging settings of one subsystem while the dialog is open, loaded
// from and saved to the subsystem's own registry key.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <commctrl.h>

struct SRegistryValue;

class CSubSystemLogSettings {
public:
    class CSubSystemLogSettingsData {
    public:
        explicit CSubSystemLogSettingsData(const CString& strName);
        virtual ~CSubSystemLogSettingsData();

        int m_nLogLevel;
        int m_nLogType;
        CString m_strName;
        bool m_bEnabled;
        HTREEITEM m_hTreeItem;
    };

    // Level and type Default, switched on, no tree item; nothing is read until Load.
    explicit CSubSystemLogSettings(const CString& strName);
    virtual ~CSubSystemLogSettings();

    CSubSystemLogSettings(const CSubSystemLogSettings&) = delete;
    CSubSystemLogSettings& operator=(const CSubSystemLogSettings&) = delete;

    // Reads level and type (a missing key or value means Default; the key is not created) and
    // switches the object off when both are None. Every value goes through the virtual setters.
    virtual void Load();
    // Load, telling whether there was a key of that name to load from: false when no key has
    // it, as with an enumerated name that the ANSI code page could not hold (the object then
    // holds Default and Default). A key that exists but cannot be opened counts as there.
    bool LoadExisting();
    // Writes level and type, None and None while switched off, creating the key when missing.
    // Returns the first registry failure, or 0 when everything was stored.
    virtual LONG Save();
    virtual void SetLogLevel(int nLogLevel);
    virtual void SetLogType(int nLogType);
    virtual void SetEnabled(bool bEnabled);
    virtual void SetTreeItem(HTREEITEM hTreeItem);

    int GetLogLevel() const;
    int GetLogType() const;
    bool IsEnabled() const;
    CString GetName() const;
    HTREEITEM GetTreeItem() const;

    void SetLogLevelFromString(const CString& strLogLevel);
    void SetLogTypeFromString(const CString& strLogType);

    // What Load makes of "LogLevel" and "LogType" when they have been read already.
    void LoadStoredValues(const SRegistryValue& level, const SRegistryValue& type);

protected:
    // Shared by the subsystem and the default settings, which differ only in key, value names
    // and the words assumed for missing values. hKey may be null: nothing is read then.
    void LoadFromKey(HKEY hKey, const char* pszLevelValueName, const char* pszMissingLevelWord,
                     const char* pszTypeValueName, const char* pszMissingTypeWord);
    void LoadFromValues(const SRegistryValue& level, const char* pszMissingLevelWord,
                        const SRegistryValue& type, const char* pszMissingTypeWord);
    LONG SaveToKey(const CString& strKeyPath, const char* pszLevelValueName,
                   const char* pszTypeValueName) const;

private:
    CSubSystemLogSettingsData* m_pData;
};
