#include "framework/CString.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

int CString::Find(char ch, UINT nCodePage) const {
    for (size_t pos = 0; pos < m_str.size(); ++pos) {
        if (m_str[pos] == ch)
            return static_cast<int>(pos);
        // A lead byte and the byte after it are one character, whatever that byte's value.
        if (::IsDBCSLeadByteEx(nCodePage, static_cast<BYTE>(m_str[pos])))
            ++pos;
    }
    return -1;
}

CString& CString::operator+=(const CString& rhs) {
    m_str += rhs.m_str;
    return *this;
}

CString& CString::operator+=(const char* psz) {
    if (psz)
        m_str += psz;
    return *this;
}

CString& CString::operator+=(char ch) {
    m_str += ch;
    return *this;
}

CString operator+(const CString& lhs, const CString& rhs) {
    CString result(lhs);
    result += rhs;
    return result;
}

CString operator+(const CString& lhs, const char* rhs) {
    CString result(lhs);
    result += rhs;
    return result;
}

CString operator+(const char* lhs, const CString& rhs) {
    CString result(lhs);
    result += rhs;
    return result;
}

bool operator==(const CString& lhs, const char* rhs) {
    return lhs.m_str == (rhs ? rhs : "");
}

void CString::Format(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (length < 0) {
        m_str.clear();
    } else {
        m_str.assign(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(&m_str[0], m_str.size(), pszFormat, args);
        m_str.resize(static_cast<size_t>(length));
    }
    va_end(args);
}

BOOL CString::LoadString(UINT nID) {
    // A string table entry is at most 65535 characters; ours are short.
    char buffer[1024];
    const int length = ::LoadStringA(::GetModuleHandleA(nullptr), nID, buffer, sizeof buffer);
    m_str.assign(buffer, static_cast<size_t>(length > 0 ? length : 0));
    return length > 0;
}

char* CString::GetBuffer(int nMinBufLength) {
    const size_t wanted = static_cast<size_t>(nMinBufLength < 0 ? 0 : nMinBufLength);
    if (m_str.size() < wanted)
        m_str.resize(wanted);
    m_str.reserve(m_str.size() + 1);
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0)
        m_str.resize(std::strlen(m_str.c_str()));
    else
        m_str.resize(static_cast<size_t>(nNewLength));
}
