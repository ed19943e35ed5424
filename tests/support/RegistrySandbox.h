// RegistrySandbox: for its lifetime, every HKEY_LOCAL_MACHINE access of the process (the
// product's and the helpers' below) goes to a fresh scratch key below
// HKCU\Software\QuarnTests, which the destructor removes again. A test never sees or changes
// the machine's real configuration.
//
// Registry views: the product opens every key with kRegistryViewFlag (KEY_WOW64_32KEY in the
// 64-bit build). Under Wine 8, with HKEY_LOCAL_MACHINE overridden by a key below HKCU\Software,
// that flag (and KEY_WOW64_64KEY) changes nothing: "SOFTWARE\X" opened or created with or
// without it is the same key, <scratch>\SOFTWARE\X, and no Wow6432Node appears. (Without an
// override, a 64-bit process's KEY_WOW64_32KEY access to HKLM\SOFTWARE\X reaches
// HKLM\SOFTWARE\Wow6432Node\X.) Windows documents HKCU\Software outside its Classes key as
// shared between the views, so a scratch key there is not redirected either. The helpers
// nevertheless go through the overridden HKEY_LOCAL_MACHINE with the product's flag, so they see
// exactly what the product sees even where a registry did redirect.
//
// Leaks: a sandbox that cannot set itself up throws before the test body runs, after undoing
// what it did; it checks that HKEY_LOCAL_MACHINE is empty once overridden; sandboxes nest (the
// inner one's destructor brings back the outer one) and must end in reverse order; the helpers
// of a sandbox that is not the innermost refuse to run. The override only ever lives in the
// test process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();

    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // Paths are relative to the sandboxed HKEY_LOCAL_MACHINE. A helper that cannot do its work
    // reports a test failure.
    void SetString(const char* subKey, const char* valueName, const char* text); // REG_SZ + NUL
    void SetRaw(const char* subKey, const char* valueName, DWORD type, const void* data,
                DWORD size);
    bool GetString(const char* subKey, const char* valueName, std::string* out) const;
    // Type and exact bytes of a value; false when missing.
    bool GetRaw(const char* subKey, const char* valueName, DWORD* type,
                std::vector<unsigned char>* data) const;
    bool KeyExists(const char* subKey) const;
    std::vector<std::string> SubKeys(const char* subKey) const; // registry order
    void CreateKey(const char* subKey);
    void DeleteKey(const char* subKey); // with everything below it; a link made here: itself
    // Below a volatile key, creating a non-volatile key fails with ERROR_CHILD_MUST_BE_VOLATILE.
    void CreateVolatileKey(const char* subKey);
    // A key that exists but cannot be opened: a registry link to itself, whose opening fails
    // with ERROR_INVALID_PARAMETER, as a key the user may not read fails with "access denied"
    // (which Wine cannot produce: it does not enforce permissions).
    void CreateUnopenableKey(const char* subKey);
    int ValueCount(const char* subKey) const; // -1 when the key is missing

    // The scratch key, relative to HKEY_CURRENT_USER.
    const std::string& ScratchPath() const { return m_scratchPath; }

private:
    HKEY CreateOrFail(const char* subKey, DWORD options);
    HKEY OpenForReading(const char* subKey) const; // null when missing
    void RequireInnermost() const;

    std::string m_scratchPath;
    HKEY m_hScratch = nullptr;
    RegistrySandbox* m_pOuter = nullptr;
    std::vector<std::string> m_links; // deleted first: a tree deletion stops at a link
};
