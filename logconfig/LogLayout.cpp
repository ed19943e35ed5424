#include "logconfig/LogLayout.h"

#include "logconfig/SubSystemName.h"
#include "registry/Registry.h"

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <string>
#include <unordered_set>

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

bool SRegistryValue::IsReadableAsText() const {
    return Exists() && data.size() <= kRegistryValueBufferSize;
}

CString SRegistryValue::Text() const {
    // The data need not end in a NUL (binary data, a number, a string stored without one):
    // never look past the bytes the registry returned.
    return CString(data.c_str(), static_cast<int>(std::min(data.find('\0'), data.size())));
}

SRegistryValue ReadRegistryValue(HKEY hKey, const char* pszValueName) {
    SRegistryValue value;
    if (hKey == nullptr) {
        value.lStatus = ERROR_INVALID_HANDLE;
        return value;
    }
    // Nearly every value fits the dialog's buffer: one call. A longer one is read again whole.
    value.data.resize(kRegistryValueBufferSize);
    for (;;) {
        DWORD dwSize = static_cast<DWORD>(value.data.size());
        value.lStatus = ::RegQueryValueExA(hKey, pszValueName, nullptr, &value.dwType,
                                           reinterpret_cast<BYTE*>(&value.data[0]), &dwSize);
        if (value.lStatus == ERROR_MORE_DATA && dwSize > value.data.size()) {
            value.data.resize(dwSize);
            continue;
        }
        value.data.resize(
            value.lStatus == ERROR_SUCCESS ? std::min<size_t>(dwSize, value.data.size()) : 0);
        return value;
    }
}

bool ReadRegistryText(HKEY hKey, const char* pszValueName, CString& strText) {
    const SRegistryValue value = ReadRegistryValue(hKey, pszValueName);
    if (!value.IsReadableAsText())
        return false;
    strText = value.Text();
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

int DayCountOf(const SRegistryValue& value) {
    return value.IsReadableAsText() ? ParseDayCount(value.Text()) : kDefaultExpireLogsAfterDays;
}

bool IsStorableDayCount(long long nDays) {
    return nDays >= kMinExpireLogsAfterDays && nDays <= kMaxExpireLogsAfterDays;
}

bool ParseStoredDayCount(const std::string& strText, int& nDays) {
    // Three digits at most: anything longer is out of range, and never overflows.
    if (strText.empty() || strText.size() > 3 ||
        strText.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int nValue = std::atoi(strText.c_str());
    if (!IsStorableDayCount(nValue))
        return false;
    nDays = nValue;
    return true;
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
    CRegistryT<0> reg(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    reg.Open(); // on failure the handle stays null: no names
    return EnumerateSubSystemNames(reg.m_hKey);
}

std::vector<CString> EnumerateSubSystemNames(HKEY hBaseKey, size_t* pnRepeats) {
    std::vector<CString> names;
    if (pnRepeats)
        *pnRepeats = 0;
    if (hBaseKey == nullptr)
        return names;
    std::unordered_set<std::string> seen;
    char szName[kSubSystemNameBufferSize];
    for (DWORD dwIndex = 0;; ++dwIndex) {
        DWORD dwLength = kSubSystemNameBufferSize;
        FILETIME ftLastWrite;
        if (::RegEnumKeyExA(hBaseKey, dwIndex, szName, &dwLength, nullptr, nullptr, nullptr,
                            &ftLastWrite) != ERROR_SUCCESS)
            break;
        CString strName(szName, static_cast<int>(dwLength));
        if (!seen.insert(static_cast<const char*>(SubSystemNameKey(strName))).second) {
            if (pnRepeats)
                ++*pnRepeats;
            continue;
        }
        names.push_back(std::move(strName));
    }
    return names;
}

std::vector<std::wstring> SubSystemNamesBeyondCodePage(HKEY hBaseKey, UINT nCodePage) {
    std::vector<std::wstring> names;
    if (hBaseKey == nullptr)
        return names;
    wchar_t szName[kSubSystemNameBufferSize];
    for (DWORD dwIndex = 0;; ++dwIndex) {
        DWORD dwLength = kSubSystemNameBufferSize;
        if (::RegEnumKeyExW(hBaseKey, dwIndex, szName, &dwLength, nullptr, nullptr, nullptr,
                            nullptr) != ERROR_SUCCESS)
            break;
        const std::wstring strName(szName, dwLength);
        if (!CodePageHolds(strName, nCodePage))
            names.push_back(strName);
    }
    return names;
}

LONG DeleteSubSystemKey(const std::wstring& strName) {
    // The base key's path is ASCII.
    const std::string strBase = kLogConfigBaseKey;
    return DeleteRegistryKeyTree(HKEY_LOCAL_MACHINE,
                                 std::wstring(strBase.begin(), strBase.end()) + L"\\" + strName);
}
