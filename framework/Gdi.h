// GDI wrappers: a font handle owned by its object, and painting scoped to an object's life.
#pragma once

#include "framework/Wnd.h"

class CFont {
public:
    HFONT m_hObject = nullptr;

    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;
    // Deleting a stock font is a harmless no-op, so a wrapper of one needs no special case.
    ~CFont() { DeleteObject(); }

    operator HFONT() const { return m_hObject; }

    BOOL Attach(HFONT hFont) {
        m_hObject = hFont;
        return hFont != nullptr;
    }
    BOOL DeleteObject() {
        if (!m_hObject)
            return FALSE;
        const BOOL deleted = ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return deleted;
    }
};

class CPaintDC {
public:
    HDC m_hDC;
    PAINTSTRUCT m_ps;

    explicit CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd) { m_hDC = ::BeginPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }

    operator HDC() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }

private:
    HWND m_hWnd;
};
