#include "logconfig/LogLayout.h"

#include "registry/Registry.h"

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <string>

namespace {

// Switches the C run-time to the "C" locale for its lifetime, so that numbers are read and
// written alike under every user locale.
class CCLocaleScope {
public:
    CCLocaleScope() {
        // setlocale's result lives in a buffer that the next call overwrites: keep a copy.
        const char* pszCurrent = std::setlocale(LC_ALL, nullptr);
        if (pszCurrent != nullptr) {
            m_strSaved = pszCurrent;
            m_bSaved = true;
        }
        std::setlocale(LC_ALL, "C");
    }
    ~CCLocaleScope() {
        if (m_bSaved)
            std::setlocale(LC_ALL, m_strSaved.c_str());
    }
    CCLocaleScope(const CCLocaleScope&) = delete;
    CCLocaleScope& operator=(const CCLocaleScope&) = delete;

private:
    std::string m_strSaved;
    bool m_bSaved = false;
};

} // namespace

CString SubSystemKeyPath(const CString& strName) {
    return CString(kLogConfigBaseKey) + "\\" + strName;
}

bool ReadRegistryText(HKEY hKey, const char* pszValueName, CString& strText) {
    if (hKey == nullptr)
        return false;
    char buffer[kRegistryValueBufferSize];
    DWORD dwType = 0;
    DWORD dwSize = sizeof buffer;
    if (::RegQueryValueExA(hKey, pszValueName, nullptr, &dwType, reinterpret_cast<BYTE*>(buffer),
                           &dwSize) != ERROR_SUCCESS)
        return false;
    // The data need not end in a NUL (binary data, a number, a string stored without one):
    // never look past the bytes the registry returned.
    const char* pEnd = buffer + std::min<DWORD>(dwSize, sizeof buffer);
    strText =
        CString(buffer, static_cast<int>(std::find<const char*>(buffer, pEnd, '\0') - buffer));
    return true;
}

LONG WriteRegistryText(HKEY hKey, const char* pszValueName, const CString& strText) {
    return ::RegSetValueExA(hKey, pszValueName, 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(static_cast<const char*>(strText)),
                            static_cast<DWORD>(strText.GetLength()) + 1);
}

int ParseDayCount(const char* pszText) {
    if (pszText == nullptr)
        return 0;
    long lValue;
    {
        CCLocaleScope cLocale;
        // strtol reads what atol reads, but saturates instead of overflowing.
        lValue = std::strtol(pszText, nullptr, 10);
    }
    return static_cast<int>(std::clamp<long>(lValue, INT_MIN, INT_MAX));
}

CString FormatDayCount(int nDays) {
    CCLocaleScope cLocale;
    CString strText;
    strText.Format("%d", nDays);
    return strText;
}

bool ReadExpireLogsAfter(HKEY hKey, int& nDays) {
    CString strText;
    if (!ReadRegistryText(hKey, kExpireLogsAfterValueName, strText))
        return false;
    nDays = ParseDayCount(strText);
    return true;
}

LONG WriteExpireLogsAfter(HKEY hKey, int nDays) {
    return WriteRegistryText(hKey, kExpireLogsAfterValueName, FormatDayCount(nDays));
}

std::vector<CString> EnumerateSubSystemNames() {
    std::vector<CString> names;
    CRegistryT<0> reg(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    if (reg.Open() != ERROR_SUCCESS)
        return names;
    char szName[kSubSystemNameBufferSize];
    for (DWORD dwIndex = 0;; ++dwIndex) {
        DWORD dwLength = kSubSystemNameBufferSize;
        FILETIME ftLastWrite;
        if (::RegEnumKeyExA(reg.m_hKey, dwIndex, szName, &dwLength, nullptr, nullptr, nullptr,
                            &ftLastWrite) != ERROR_SUCCESS)
            break;
        names.emplace_back(szName, static_cast<int>(dwLength));
    }
    return names;
}
