// The main dialog at the DPI of the monitor it is on: at start-up, and when Windows moves it to a
// monitor of another DPI (WM_DPICHANGED, which a per-monitor aware program handles itself).
#include "ui/QuarnEventLogConfigurationDlg.h"

#include "ui/DialogFont.h"
#include "ui/Dpi.h"

void CQuarnEventLogConfigurationDlg::ApplyFonts() {
    const HFONT hOldDialog = m_fontDialog.m_hObject;
    const HFONT hOldTitle = m_fontTitle.m_hObject;
    m_fontDialog.Attach(GuiFontForDpi(m_nDpi));
    ::EnumChildWindows(m_hWnd, &EnumChildProc, reinterpret_cast<LPARAM>(m_fontDialog.m_hObject));
    // After the GUI font, so that the title keeps its bold one.
    m_fontTitle.Attach(CreateTitleFont(m_nDpi));
    m_staticTitle.SetFont(m_fontTitle, TRUE);
    // Only now that no control uses them any more.
    if (hOldDialog)
        ::DeleteObject(hOldDialog);
    if (hOldTitle)
        ::DeleteObject(hOldTitle);
}

// The window keeps its place (the dialog is centred once it has its size) and gets the client
// area that the layout needs; at 96 DPI that is the template's.
void CQuarnEventLogConfigurationDlg::ArrangeAtStartUp() {
    RECT window, client;
    ::GetWindowRect(m_hWnd, &window);
    GetClientRect(&client);
    const SIZE needed = m_layout.ClientSize(m_nDpi);
    const int nWidth = window.right - window.left + needed.cx - client.right;
    const int nHeight = window.bottom - window.top + needed.cy - client.bottom;
    if (needed.cx != client.right || needed.cy != client.bottom)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, nWidth, nHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_layout.Arrange(m_nDpi);
}

// Asked before WM_DPICHANGED: the window's size at the new DPI, for the rectangle that that
// message suggests. Left to the system, the size would follow the frame's old proportions.
LRESULT CQuarnEventLogConfigurationDlg::OnGetDpiScaledSize(WPARAM wParam, LPARAM lParam) {
    const UINT nDpi = LOWORD(wParam);
    SIZE* pSize = reinterpret_cast<SIZE*>(lParam);
    SIZE window;
    // Before start-up has measured the layout there is nothing to go by.
    if (m_nDpi == 0 || nDpi == 0 || !pSize ||
        !WindowSizeForClient(m_hWnd, m_layout.ClientSize(nDpi), nDpi, window))
        return FALSE;
    *pSize = window;
    return TRUE;
}

// The suggested rectangle keeps the window where the user put it, at the new size. The dialog
// manager's own handling is not wanted: this layout replaces it.
LRESULT CQuarnEventLogConfigurationDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    const UINT nDpi = LOWORD(wParam);
    const RECT* pSuggested = reinterpret_cast<const RECT*>(lParam);
    if (m_nDpi == 0 || nDpi == 0 || !pSuggested)
        return 0;
    m_nDpi = nDpi;
    // Images before fonts: a new font makes the tree view measure its items again, check boxes
    // included.
    m_tree.SetCheckBoxImagesForDpi(m_nDpi);
    ApplyFonts();
    ::SetWindowPos(m_hWnd, nullptr, pSuggested->left, pSuggested->top,
                   pSuggested->right - pSuggested->left, pSuggested->bottom - pSuggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    m_layout.Arrange(m_nDpi);
    ::RedrawWindow(m_hWnd, nullptr, nullptr,
                   RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    return 0;
}
