#include "ui/DialogLayout.h"

#include "framework/CString.h"
#include "ui/Dpi.h"

#include <algorithm>

namespace {

RECT ScaleRect(const RECT& rect, UINT nDpi) {
    // Edges, not sizes, so that controls that touch at 96 DPI touch at every DPI.
    return {ScaleForDpi(rect.left, nDpi), ScaleForDpi(rect.top, nDpi),
            ScaleForDpi(rect.right, nDpi), ScaleForDpi(rect.bottom, nDpi)};
}

RECT RectInParent(HWND hWnd, HWND hParent) {
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Shown with the dialog; the dialog itself may not be on screen yet.
bool IsShown(HWND hWnd) {
    return (::GetWindowLongA(hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Whether a control is of this window class (a name of up to 15 characters).
bool IsOfClass(HWND hWnd, const char* pszClass) {
    char szClass[16] = {};
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    return lstrcmpiA(szClass, pszClass) == 0;
}

bool IsTextLabel(HWND hWnd) {
    if (!IsOfClass(hWnd, "Static") || !IsShown(hWnd))
        return false;
    const LONG lType = ::GetWindowLongA(hWnd, GWL_STYLE) & SS_TYPEMASK;
    return lType == SS_LEFT || lType == SS_CENTER || lType == SS_RIGHT;
}

bool IsGroupBox(HWND hWnd) {
    return IsOfClass(hWnd, "Button") &&
           (::GetWindowLongA(hWnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Whether a label may take this place: it overlaps no other shown control of the dialog. A group
// box is only a frame around its controls.
bool IsFree(HWND hDlg, HWND hLabel, const RECT& place) {
    for (HWND hOther = ::GetWindow(hDlg, GW_CHILD); hOther;
         hOther = ::GetWindow(hOther, GW_HWNDNEXT)) {
        if (hOther == hLabel || !IsShown(hOther) || IsGroupBox(hOther))
            continue;
        RECT other = RectInParent(hOther, hDlg), overlap;
        if (::IntersectRect(&overlap, &other, &place))
            return false;
    }
    return true;
}

// The room a label's text needs as its font draws it: on one line, and wrapped at nWidth.
void MeasureText(HWND hLabel, int nWidth, SIZE& line, int& nWrappedHeight) {
    CString strText;
    const int nLength = ::GetWindowTextLengthA(hLabel);
    ::GetWindowTextA(hLabel, strText.GetBuffer(nLength), nLength + 1);
    strText.ReleaseBuffer();
    const HDC hDC = ::GetDC(hLabel);
    const HGDIOBJ hOld =
        ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageA(hLabel, WM_GETFONT, 0, 0)));
    const UINT nFormat = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
    RECT one = {0, 0, 0, 0};
    ::DrawTextA(hDC, strText, -1, &one, nFormat | DT_SINGLELINE);
    RECT wrapped = {0, 0, nWidth, 0};
    ::DrawTextA(hDC, strText, -1, &wrapped, nFormat | DT_WORDBREAK);
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hLabel, hDC);
    line = {one.right, one.bottom};
    nWrappedHeight = wrapped.bottom;
}

// A label that has room for one line gets the width of its text, growing away from whatever
// would be in the way (the field it names); one with room for more lines gets the height of its
// wrapped text, growing down. Both keep at least the place the template gives them.
void FitLabel(HWND hDlg, HWND hLabel) {
    RECT rect = RectInParent(hLabel, hDlg);
    const int nWidth = rect.right - rect.left;
    SIZE line;
    int nWrappedHeight = 0;
    MeasureText(hLabel, nWidth, line, nWrappedHeight);
    if (line.cy <= 0)
        return;
    RECT place = rect;
    if (rect.bottom - rect.top < 2 * line.cy) {
        place.bottom = std::max(place.bottom, place.top + line.cy);
        const int nMore = line.cx - nWidth;
        if (nMore > 0) {
            const LONG lType = ::GetWindowLongA(hLabel, GWL_STYLE) & SS_TYPEMASK;
            RECT right = place, left = place, both = place;
            right.right += nMore;
            left.left -= nMore;
            both.left -= nMore / 2;
            both.right += nMore - nMore / 2;
            const RECT* pFirst = lType == SS_CENTER ? &both : lType == SS_RIGHT ? &left : &right;
            const RECT* pSecond = pFirst == &left ? &right : &left;
            place = IsFree(hDlg, hLabel, *pFirst) || !IsFree(hDlg, hLabel, *pSecond) ? *pFirst
                                                                                     : *pSecond;
            // Never past the edge of the dialog: a label that long stays as it was.
            RECT client;
            ::GetClientRect(hDlg, &client);
            if (place.left < client.left || place.right > client.right) {
                place.left = rect.left;
                place.right = rect.right;
            }
        }
    } else {
        place.bottom = std::max(place.bottom, place.top + nWrappedHeight);
    }
    if (!::EqualRect(&place, &rect))
        ::SetWindowPos(hLabel, nullptr, place.left, place.top, place.right - place.left,
                       place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

} // namespace

void CDialogLayout::Capture(HWND hDlg, UINT nDpi, SIZE designUnits) {
    m_hDlg = hDlg;
    m_controls.clear();
    // The dialog units as the dialog manager converted them now. At 96 DPI they are the design
    // units themselves, whatever the font.
    RECT units = {0, 0, 4, 8};
    ::MapDialogRect(hDlg, &units);
    SIZE design = nDpi == kDesignDpi ? SIZE{units.right, units.bottom} : designUnits;
    if (design.cx <= 0 || design.cy <= 0 || units.right <= 0 || units.bottom <= 0) {
        // Nothing to go by: in proportion to the DPI alone.
        design = {static_cast<LONG>(kDesignDpi), static_cast<LONG>(kDesignDpi)};
        units = {0, 0, static_cast<LONG>(nDpi), static_cast<LONG>(nDpi)};
    }
    const auto toDesign = [&](const RECT& rect) {
        return RECT{::MulDiv(rect.left, design.cx, units.right),
                    ::MulDiv(rect.top, design.cy, units.bottom),
                    ::MulDiv(rect.right, design.cx, units.right),
                    ::MulDiv(rect.bottom, design.cy, units.bottom)};
    };
    for (HWND hControl = ::GetWindow(hDlg, GW_CHILD); hControl;
         hControl = ::GetWindow(hControl, GW_HWNDNEXT)) {
        RECT rect = RectInParent(hControl, hDlg);
        // A combo box's window is as high as its closed field; the template gives the height
        // with the list dropped, which is what moving it takes.
        RECT dropped;
        if (IsOfClass(hControl, "ComboBox") && ::SendMessageA(hControl, CB_GETDROPPEDCONTROLRECT, 0,
                                                              reinterpret_cast<LPARAM>(&dropped))) {
            ::MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&dropped), 2);
            rect = dropped;
        }
        m_controls.push_back({hControl, toDesign(rect)});
    }
    RECT client;
    ::GetClientRect(hDlg, &client);
    const RECT clientDesign = toDesign(client);
    m_client = {clientDesign.right, clientDesign.bottom};
}

SIZE CDialogLayout::ClientSize(UINT nDpi) const {
    return {ScaleForDpi(m_client.cx, nDpi), ScaleForDpi(m_client.cy, nDpi)};
}

void CDialogLayout::Arrange(UINT nDpi) const {
    for (const SControl& control : m_controls) {
        const RECT rect = ScaleRect(control.rect, nDpi);
        ::SetWindowPos(control.hWnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    for (const SControl& control : m_controls) {
        if (IsTextLabel(control.hWnd))
            FitLabel(m_hDlg, control.hWnd);
    }
}
