#include "cli/Text.h"

#include "logconfig/SubSystemName.h"

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

std::string FromWide(const std::wstring& strWide, UINT nCodePage) {
    if (strWide.empty())
        return std::string();
    const int nWide = static_cast<int>(strWide.size());
    const int nLength =
        ::WideCharToMultiByte(nCodePage, 0, strWide.data(), nWide, nullptr, 0, nullptr, nullptr);
    if (nLength <= 0)
        return std::string();
    std::string str(static_cast<size_t>(nLength), '\0');
    ::WideCharToMultiByte(nCodePage, 0, strWide.data(), nWide, &str[0], nLength, nullptr, nullptr);
    return str;
}

// ASCII is the same in UTF-8 and in every ANSI code page: nothing to convert.
bool IsAscii(const std::string& str) {
    for (char ch : str) {
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    }
    return true;
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
    return FromWide(strWide, CP_UTF8);
}

std::string AnsiToUtf8(const CString& strAnsi) {
    const std::string strBytes(strAnsi, static_cast<size_t>(strAnsi.GetLength()));
    if (IsAscii(strBytes))
        return strBytes;
    return WideToUtf8(ToWide(strAnsi, strAnsi.GetLength(), CP_ACP, 0));
}

bool Utf8ToAnsi(const std::string& strUtf8, CString& strAnsi) {
    if (IsAscii(strUtf8)) {
        strAnsi = CString(strUtf8.data(), static_cast<int>(strUtf8.size()));
        return true;
    }
    const std::wstring strWide =
        ToWide(strUtf8.data(), static_cast<int>(strUtf8.size()), CP_UTF8, MB_ERR_INVALID_CHARS);
    if (strWide.empty() != strUtf8.empty())
        return false; // not UTF-8
    return WideToCodePage(strWide, CP_ACP, strAnsi);
}

std::string Utf8ToCodePage(const std::string& strUtf8, UINT nCodePage) {
    return FromWide(Utf8ToWide(strUtf8), nCodePage);
}

std::string Excerpt(const std::string& strUtf8, size_t nMaxCharacters) {
    static const char kHex[] = "0123456789abcdef";
    std::string strExcerpt;
    size_t nCharacters = 0;
    for (size_t i = 0; i < strUtf8.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(strUtf8[i]);
        // The bytes after the first of a UTF-8 sequence do not count as characters of their own.
        const bool bContinuation = (ch & 0xC0) == 0x80;
        if (!bContinuation && nCharacters++ == nMaxCharacters)
            return strExcerpt + "...";
        if (ch == '\n')
            strExcerpt += "\\n";
        else if (ch == '\r')
            strExcerpt += "\\r";
        else if (ch == '\t')
            strExcerpt += "\\t";
        else if (ch < 0x20 || ch == 0x7F)
            strExcerpt += std::string("\\x") + kHex[ch >> 4] + kHex[ch & 0xF];
        else
            strExcerpt += static_cast<char>(ch);
    }
    return strExcerpt;
}

std::string SystemErrorText(DWORD dwError) {
    wchar_t buffer[512] = {};
    const DWORD dwLength =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                         dwError, 0, buffer, sizeof buffer / sizeof *buffer, nullptr);
    std::string strText = WideToUtf8(std::wstring(buffer, dwLength));
    while (!strText.empty() && (strText.back() == '\n' || strText.back() == '\r'))
        strText.pop_back();
    return strText.empty() ? "error " + std::to_string(dwError) : strText;
}

std::string DecodeText(const std::string& strBytes) {
    if (strBytes.size() >= 2 && static_cast<unsigned char>(strBytes[0]) == 0xFF &&
        static_cast<unsigned char>(strBytes[1]) == 0xFE) {
        std::wstring strWide((strBytes.size() - 2) / 2, L'\0');
        if (!strWide.empty())
            memcpy(&strWide[0], strBytes.data() + 2, strWide.size() * 2);
        return WideToUtf8(strWide);
    }
    if (strBytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return strBytes.substr(3);
    return strBytes;
}

DWORD ReadTextFile(const std::string& strPath, std::string& strBytes) {
    CFileHandle file(::CreateFileW(Utf8ToWide(strPath).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.m_h == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    strBytes.clear();
    char buffer[65536];
    for (;;) {
        DWORD dwRead = 0;
        if (!::ReadFile(file.m_h, buffer, sizeof buffer, &dwRead, nullptr))
            return ::GetLastError();
        if (dwRead == 0)
            return ERROR_SUCCESS;
        strBytes.append(buffer, dwRead);
    }
}

DWORD WriteTextFile(const std::string& strPath, const std::string& strUtf8) {
    CFileHandle file(::CreateFileW(Utf8ToWide(strPath).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.m_h == INVALID_HANDLE_VALUE)
        return ::GetLastError();
    DWORD dwWritten = 0;
    if (!::WriteFile(file.m_h, strUtf8.data(), static_cast<DWORD>(strUtf8.size()), &dwWritten,
                     nullptr))
        return ::GetLastError();
    if (dwWritten != strUtf8.size())
        return ERROR_WRITE_FAULT;
    // A full disk may tell only when the data leaves the cache.
    if (!::FlushFileBuffers(file.m_h))
        return ::GetLastError();
    return ERROR_SUCCESS;
}
