// CString: 8-bit text in the ANSI code page. Lengths count bytes.
#pragma once

#include <windows.h>

#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* pch, int nLength) : m_str(pch, static_cast<size_t>(nLength)) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int nIndex) const { return m_str[static_cast<size_t>(nIndex)]; }
    // The position of the first character ch, stepping over the double-byte characters of the
    // ANSI code page (whose second byte may have ch's value); -1 when there is none.
    int Find(char ch) const { return Find(ch, CP_ACP); }
    // The same in the given code page.
    int Find(char ch, UINT nCodePage) const;

    operator const char*() const { return m_str.c_str(); }

    CString& operator+=(const CString& rhs);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);
    friend CString operator+(const CString& lhs, const CString& rhs);
    friend CString operator+(const CString& lhs, const char* rhs);
    friend CString operator+(const char* lhs, const CString& rhs);

    // Exact, case-sensitive byte comparison.
    friend bool operator==(const CString& lhs, const CString& rhs) {
        return lhs.m_str == rhs.m_str;
    }
    friend bool operator==(const CString& lhs, const char* rhs);
    friend bool operator!=(const CString& lhs, const CString& rhs) { return !(lhs == rhs); }
    friend bool operator!=(const CString& lhs, const char* rhs) { return !(lhs == rhs); }

    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

    // Loads a string resource of the executable; FALSE when it does not exist.
    BOOL LoadString(UINT nID);

    // Direct access for Win32 calls that fill a buffer: GetBuffer(n) gives room for n bytes plus
    // a NUL, ReleaseBuffer(-1) takes the text up to the first NUL, ReleaseBuffer(n) exactly n
    // bytes.
    char* GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);

private:
    std::string m_str;
};
