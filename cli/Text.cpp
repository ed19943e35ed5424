#include "cli/Text.h"

namespace {

std::wstring ToWide(const char* pch, int nLength, UINT nCodePage, DWORD dwFlags) {
    if (nLength == 0)
        return std::wstring();
    const int nWide = ::MultiByteToWideChar(nCodePage, dwFlags, pch, nLength, nullptr, 0);
    if (nWide <= 0)
        return std::wstring();
    std::wstring strWide(static_cast<size_t>(nWide), L'\0');
    ::MultiByteToWideChar(nCodePage, dwFlags, pch, nLength, &strWide[0], nWide);
    return strWide;
}

std::string FromWide(const std::wstring& strWide, UINT nCodePage, DWORD dwFlags,
                     BOOL* pbUsedDefault) {
    if (strWide.empty())
        return std::string();
    const int nWide = static_cast<int>(strWide.size());
    const int nLength = ::WideCharToMultiByte(nCodePage, dwFlags, strWide.data(), nWide, nullptr, 0,
                                              nullptr, pbUsedDefault);
    if (nLength <= 0)
        return std::string();
    std::string str(static_cast<size_t>(nLength), '\0');
    ::WideCharToMultiByte(nCodePage, dwFlags, strWide.data(), nWide, &str[0], nLength, nullptr,
                          pbUsedDefault);
    return str;
}

// A file handle closed by its destructor.
struct CFileHandle {
    explicit CFileHandle(HANDLE h) : m_h(h) {}
    ~CFileHandle() {
        if (m_h != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_h);
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    HANDLE m_h;
};

} // namespace

std::wstring Utf8ToWide(const std::string& strUtf8) {
    return ToWide(strUtf8.data(), static_cast<int>(strUtf8.size()), CP_UTF8, 0);
}

std::string WideToUtf8(const std::wstring& strWide) {
    return FromWide(strWide, CP_UTF8, 0, nullptr);
}

std::string AnsiToUtf8(const CString& strAnsi) {
    return WideToUtf8(ToWide(strAnsi, strAnsi.GetLength(), CP_ACP, 0));
}

bool Utf8ToAnsi(const std::string& strUtf8, CString& strAnsi) {
    const std::wstring strWide =
        ToWide(strUtf8.data(), static_cast<int>(strUtf8.size()), CP_UTF8, MB_ERR_INVALID_CHARS);
    if (strWide.empty() != strUtf8.empty())
        return false; // not UTF-8
    BOOL bUsedDefault = FALSE;
    const std::string strAnsiBytes = FromWide(strWide, CP_ACP, WC_NO_BEST_FIT_CHARS, &bUsedDefault);
    if (bUsedDefault)
        return false;
    // A round trip that does not give the same text back lost a character on the way.
    if (ToWide(strAnsiBytes.data(), static_cast<int>(strAnsiBytes.size()), CP_ACP, 0) != strWide)
        return false;
    strAnsi = CString(strAnsiBytes.data(), static_cast<int>(strAnsiBytes.size()));
    return true;
}

std::string Utf8ToCodePage(const std::string& strUtf8, UINT nCodePage) {
    return FromWide(Utf8ToWide(strUtf8), nCodePage, 0, nullptr);
}

DWORD ReadTextFile(const std::string& strPath, std::string& strUtf8) {
    CFileHandle file(::CreateFileW(Utf8ToWide(strPath).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.m_h == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    std::string strBytes;
    char buffer[65536];
    DWORD dwRead = 0;
    while (::ReadFile(file.m_h, buffer, sizeof buffer, &dwRead, nullptr) && dwRead > 0)
        strBytes.append(buffer, dwRead);

    if (strBytes.size() >= 2 && static_cast<unsigned char>(strBytes[0]) == 0xFF &&
        static_cast<unsigned char>(strBytes[1]) == 0xFE) {
        std::wstring strWide((strBytes.size() - 2) / 2, L'\0');
        if (!strWide.empty())
            memcpy(&strWide[0], strBytes.data() + 2, strWide.size() * 2);
        strUtf8 = WideToUtf8(strWide);
    } else if (strBytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        strUtf8 = strBytes.substr(3);
    } else {
        strUtf8 = strBytes;
    }
    return ERROR_SUCCESS;
}

DWORD WriteTextFile(const std::string& strPath, const std::string& strUtf8) {
    CFileHandle file(::CreateFileW(Utf8ToWide(strPath).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.m_h == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    DWORD dwWritten = 0;
    if (!::WriteFile(file.m_h, strUtf8.data(), static_cast<DWORD>(strUtf8.size()), &dwWritten,
                     nullptr) ||
        dwWritten != strUtf8.size())
        return ::GetLastError();
    return ERROR_SUCCESS;
}
