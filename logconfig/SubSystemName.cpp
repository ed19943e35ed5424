#include "logconfig/SubSystemName.h"

#include <cstring>

namespace {

// Control characters are single bytes in every ANSI code page, never the second byte of a
// double-byte character.
bool HasControlCharacter(const CString& strName) {
    for (int i = 0; i < strName.GetLength(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(strName.GetAt(i));
        if (ch < 0x20 || ch == 0x7F)
            return true;
    }
    return false;
}

} // namespace

ESubSystemNameRule CheckExistingSubSystemName(const CString& strName) {
    if (strName.IsEmpty())
        return SUBSYSTEM_NAME_EMPTY;
    if (strName.Find('\\') >= 0)
        return SUBSYSTEM_NAME_BACKSLASH;
    if (static_cast<size_t>(strName.GetLength()) != std::strlen(strName))
        return SUBSYSTEM_NAME_CONTROL_CHARACTER; // a NUL
    return SUBSYSTEM_NAME_OK;
}

ESubSystemNameRule CheckSubSystemName(const CString& strName) {
    if (strName.GetLength() > kMaxSubSystemNameLength)
        return SUBSYSTEM_NAME_TOO_LONG;
    const ESubSystemNameRule rule = CheckExistingSubSystemName(strName);
    if (rule == SUBSYSTEM_NAME_OK && HasControlCharacter(strName))
        return SUBSYSTEM_NAME_CONTROL_CHARACTER;
    return rule;
}

bool HasSurroundingBlank(const CString& strName) {
    return !strName.IsEmpty() &&
           (strName.GetAt(0) == ' ' || strName.GetAt(strName.GetLength() - 1) == ' ');
}

CString SubSystemNameKey(const CString& strName) {
    CString strKey(strName);
    if (strKey.IsEmpty())
        return strKey;
    char* pszKey = strKey.GetBuffer(strKey.GetLength());
    // Most names are ASCII, which needs no call into the system: thousands are compared at once.
    bool bAscii = true;
    for (int i = 0; i < strName.GetLength() && bAscii; ++i)
        bAscii = static_cast<unsigned char>(pszKey[i]) < 0x80;
    if (bAscii) {
        for (int i = 0; i < strName.GetLength(); ++i) {
            if (pszKey[i] >= 'a' && pszKey[i] <= 'z')
                pszKey[i] = static_cast<char>(pszKey[i] - 'a' + 'A');
        }
    } else {
        ::CharUpperBuffA(pszKey, static_cast<DWORD>(strKey.GetLength()));
    }
    strKey.ReleaseBuffer(strName.GetLength());
    return strKey;
}

bool SameSubSystemKeyName(const std::wstring& strLeft, const std::wstring& strRight) {
    return ::CompareStringOrdinal(strLeft.data(), static_cast<int>(strLeft.size()), strRight.data(),
                                  static_cast<int>(strRight.size()), TRUE) == CSTR_EQUAL;
}

bool SubSystemDisplayOrderLess(const CString& strLeft, const CString& strRight) {
    return ::lstrcmpiA(strLeft, strRight) < 0;
}

bool WideToCodePage(const std::wstring& strWide, UINT nCodePage, CString& strName) {
    if (strWide.empty()) {
        strName.Empty();
        return true;
    }
    if (nCodePage == CP_ACP)
        nCodePage = ::GetACP();
    const int nWide = static_cast<int>(strWide.size());
    // UTF-8 takes neither flags nor a default character: it holds everything but a broken
    // surrogate, which the round trip below finds.
    const bool bUtf = nCodePage == CP_UTF8 || nCodePage == CP_UTF7;
    const DWORD dwFlags = bUtf ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL bUsedDefault = FALSE;
    BOOL* pbUsedDefault = bUtf ? nullptr : &bUsedDefault;
    const int nLength = ::WideCharToMultiByte(nCodePage, dwFlags, strWide.data(), nWide, nullptr, 0,
                                              nullptr, pbUsedDefault);
    if (nLength <= 0 || bUsedDefault)
        return false;
    std::string strBytes(static_cast<size_t>(nLength), '\0');
    ::WideCharToMultiByte(nCodePage, dwFlags, strWide.data(), nWide, &strBytes[0], nLength, nullptr,
                          pbUsedDefault);
    // Whatever the code page does with a character it lacks, reading the bytes back tells.
    const int nBack = ::MultiByteToWideChar(nCodePage, 0, strBytes.data(), nLength, nullptr, 0);
    std::wstring strBack(static_cast<size_t>(nBack > 0 ? nBack : 0), L'\0');
    if (nBack > 0)
        ::MultiByteToWideChar(nCodePage, 0, strBytes.data(), nLength, &strBack[0], nBack);
    if (bUsedDefault || strBack != strWide)
        return false;
    strName = CString(strBytes.data(), nLength);
    return true;
}

bool CodePageHolds(const std::wstring& strWide, UINT nCodePage) {
    CString strName;
    return WideToCodePage(strWide, nCodePage, strName);
}
