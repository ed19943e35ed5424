// CRegistryT: one registry key, held open for the length of one operation and closed by the
// destructor. CRegistryT<0> opens for reading and writing and creates a missing key together with
// any missing keys above it; CRegistryT<1> opens for reading only and never creates anything.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <string>

// The logging configuration and the components that read it are 32-bit programs, so their keys
// live in the 32-bit view of the registry. A 64-bit build has to ask for that view on every open
// and create, or it would read and write a configuration that nobody else sees. A 32-bit build
// is in that view already.
#ifdef _WIN64
constexpr REGSAM kRegistryViewFlag = KEY_WOW64_32KEY;
#else
constexpr REGSAM kRegistryViewFlag = 0;
#endif

constexpr REGSAM kRegistryReadWriteAccess = KEY_READ | KEY_WRITE;
constexpr REGSAM kRegistryReadOnlyAccess = KEY_READ;
static_assert(kRegistryReadWriteAccess == 0x2001F, "read/write access mask");
static_assert(kRegistryReadOnlyAccess == 0x20019, "read-only access mask");

// Open results besides 0 (open) and the system's own error codes.
constexpr LONG kRegistryNoKeyGiven = -1;                      // no root key or an empty path
constexpr LONG kRegistryReadOnlyOpenFailed = ERROR_CANTWRITE; // any failure of the read-only form
static_assert(kRegistryReadOnlyOpenFailed == 1013, "read-only open failure code");

template <int bReadOnly> class CRegistryT {
public:
    static constexpr REGSAM kAccessMask =
        (bReadOnly ? kRegistryReadOnlyAccess : kRegistryReadWriteAccess) | kRegistryViewFlag;

    CRegistryT(HKEY hRootKey, const CString& strSubKey)
        : m_hRootKey(hRootKey), m_strSubKey(strSubKey), m_hKey(nullptr),
          m_lSystemResult(ERROR_SUCCESS) {}

    virtual ~CRegistryT() {
        Close();
        m_strSubKey.Empty();
    }

    CRegistryT(const CRegistryT&) = delete;
    CRegistryT& operator=(const CRegistryT&) = delete;

    // Opens the key, never creating it: 0 when m_hKey now holds an open key, else the system's
    // code (also m_lSystemResult), or kRegistryNoKeyGiven.
    LONG OpenExisting() {
        Close();
        if (m_hRootKey == nullptr || m_strSubKey.IsEmpty())
            return kRegistryNoKeyGiven;
        m_lSystemResult = ::RegOpenKeyExA(m_hRootKey, m_strSubKey, 0, kAccessMask, &m_hKey);
        if (m_lSystemResult != ERROR_SUCCESS)
            m_hKey = nullptr;
        return m_lSystemResult;
    }

    // 0 when m_hKey now holds an open key. Otherwise m_hKey stays null and the result is
    // kRegistryNoKeyGiven, the system's code (read/write form) or kRegistryReadOnlyOpenFailed.
    LONG Open() {
        const LONG lResult = OpenExisting();
        if (lResult == ERROR_SUCCESS || lResult == kRegistryNoKeyGiven)
            return lResult;
        if constexpr (bReadOnly) {
            return kRegistryReadOnlyOpenFailed;
        } else {
            // A missing key is created. Never fall back to reading only: a caller that cannot
            // write gets the create's code.
            DWORD dwDisposition = 0;
            m_lSystemResult =
                ::RegCreateKeyExA(m_hRootKey, m_strSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  kAccessMask, nullptr, &m_hKey, &dwDisposition);
            if (m_lSystemResult != ERROR_SUCCESS)
                m_hKey = nullptr;
            return m_lSystemResult;
        }
    }

    HKEY m_hRootKey;
    CString m_strSubKey;
    HKEY m_hKey;
    // The system's own result of the last open or create: the read-only form's Open reports
    // every failure alike, and a reader that must tell a missing key (ERROR_FILE_NOT_FOUND) from
    // one it may not read looks here.
    LONG m_lSystemResult;

private:
    void Close() {
        if (m_hKey != nullptr) {
            ::RegCloseKey(m_hKey);
            m_hKey = nullptr;
        }
    }
};

// Deletes a key with everything below it, in the view the wrapper opens keys in: 0, or the
// system's code. The path is UTF-16, so that every key can be deleted, also one whose name the
// ANSI code page cannot hold. Only the command line's remove deletes anything; the dialog never
// does.
inline LONG DeleteRegistryKeyTree(HKEY hRootKey, const std::wstring& strSubKey) {
    HKEY hKey = nullptr;
    // Deleting what is below needs the right to delete its values as well as its keys.
    LONG lResult = ::RegOpenKeyExW(hRootKey, strSubKey.c_str(), 0,
                                   KEY_READ | KEY_WRITE | DELETE | kRegistryViewFlag, &hKey);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    lResult = ::RegDeleteTreeW(hKey, nullptr); // what is below; the key itself stays
    ::RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    return ::RegDeleteKeyExW(hRootKey, strSubKey.c_str(), kRegistryViewFlag, 0);
}
