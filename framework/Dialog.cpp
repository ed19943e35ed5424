#include "framework/Dialog.h"

#include "framework/WinApp.h"

#include <commctrl.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    // Templates may name any common control; make sure their classes are registered.
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);

    // Without a parent the dialog is owned by the application's main window, unless it is that.
    HWND hOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hOwner) {
        CWnd* pMain = AfxGetMainWnd();
        if (pMain && pMain != this && ::IsWindow(pMain->m_hWnd))
            hOwner = ::GetLastActivePopup(pMain->m_hWnd);
    }
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_nIDTemplate), hOwner,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

namespace {

// A template placed at (0, 0) without DS_CENTER asks for the framework's placement: the dialog
// manager alone would put such a dialog in the corner of its owner's client area, or of the
// screen.
bool TemplateLeavesPlacementOpen(UINT nIDTemplate) {
    const HINSTANCE hInstance = ::GetModuleHandleA(nullptr);
    const HRSRC hResource = ::FindResourceA(hInstance, MAKEINTRESOURCEA(nIDTemplate), RT_DIALOG);
    const HGLOBAL hTemplate = hResource ? ::LoadResource(hInstance, hResource) : nullptr;
    const WORD* pWords = hTemplate ? static_cast<const WORD*>(::LockResource(hTemplate)) : nullptr;
    if (!pWords)
        return false;
    // DLGTEMPLATEEX (signature 0xFFFF in its second word) puts a help id and the extended style
    // before the style; DLGTEMPLATE starts with the style.
    const bool extended = pWords[1] == 0xFFFF;
    const WORD* pStyle = pWords + (extended ? 6 : 0);
    const WORD* pPosition = pWords + (extended ? 9 : 5);
    const DWORD style = MAKELONG(pStyle[0], pStyle[1]);
    return !(style & (DS_CENTER | DS_CENTERMOUSE)) && pPosition[0] == 0 && pPosition[1] == 0;
}

// Centres the window over its owner when the owner is on screen, else over the work area of its
// monitor, and keeps it inside that work area.
void CentreWindow(HWND hWnd) {
    const HWND hOwner = ::GetWindow(hWnd, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(hOwner ? hOwner : hWnd, MONITOR_DEFAULTTONEAREST),
                      &monitor);
    const RECT& area = monitor.rcWork;
    RECT over = area;
    if (hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner))
        ::GetWindowRect(hOwner, &over);

    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = (over.left + over.right - width) / 2;
    int y = (over.top + over.bottom - height) / 2;
    // Too far right or down is mended first, so that a dialog larger than the work area keeps
    // its caption and system menu on screen.
    x = std::max(static_cast<int>(area.left), std::min(x, static_cast<int>(area.right) - width));
    y = std::max(static_cast<int>(area.top), std::min(y, static_cast<int>(area.bottom) - height));
    ::SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    // From WM_INITDIALOG on, every message goes through the object's window procedure first and
    // then, unhandled, to the dialog manager's default processing.
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* pDialog = reinterpret_cast<CDialog*>(lParam);
    pDialog->SubclassWindow(hWnd);
    RECT before;
    ::GetWindowRect(hWnd, &before);
    const BOOL result = pDialog->OnInitDialog();
    // Placed before it is first shown; a dialog that placed or showed itself is left alone.
    RECT after;
    ::GetWindowRect(hWnd, &after);
    if (!::IsWindowVisible(hWnd) && after.left == before.left && after.top == before.top &&
        TemplateLeavesPlacementOpen(pDialog->m_nIDTemplate))
        CentreWindow(hWnd);
    return result;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CDataExchange::Failure&) {
        return FALSE;
    }
    return TRUE;
}

bool CDialog::OnCmdMsg(UINT nID, UINT nCode, LRESULT* pResult) {
    if (CWnd::OnCmdMsg(nID, nCode, pResult))
        return true;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pResult);
}

// ---- data exchange ----------------------------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int nIDC) {
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND hWnd = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWnd;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_idLastControl != 0) {
        HWND hWnd = LastControl();
        ::SetFocus(hWnd);
        if (m_bEditLastControl)
            ::SendMessageA(hWnd, EM_SETSEL, 0, -1);
    }
    throw Failure();
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (!rControl.m_hWnd)
        rControl.SubclassWindow(pDX->PrepareCtrl(nIDC));
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(hWnd, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(hWnd, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

namespace {

CString WindowText(HWND hWnd) {
    CString text;
    const int length = ::GetWindowTextLengthA(hWnd);
    ::GetWindowTextA(hWnd, text.GetBuffer(length), length + 1);
    text.ReleaseBuffer();
    return text;
}

// Setting a control's text repaints it; an unchanged text is left alone so that refreshing a
// dialog does not make its controls flicker.
void SetWindowTextIfChanged(HWND hWnd, const char* text) {
    if (WindowText(hWnd) != text)
        ::SetWindowTextA(hWnd, text);
}

bool IsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

// A whole number, optionally surrounded by blanks, that fits an int.
bool ParseInt(const char* text, int* value) {
    while (IsBlank(*text))
        ++text;
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(text, &end, 10);
    if (end == text || errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return false;
    while (IsBlank(*end))
        ++end;
    if (*end != '\0')
        return false;
    *value = static_cast<int>(number);
    return true;
}

} // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = WindowText(hWnd);
    else
        SetWindowTextIfChanged(hWnd, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    HWND hWnd = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        if (!ParseInt(WindowText(hWnd), &value)) {
            AfxMessageBox("Please enter a whole number.", MB_ICONEXCLAMATION);
            pDX->Fail();
        }
    } else {
        CString text;
        text.Format("%d", value);
        SetWindowTextIfChanged(hWnd, text);
    }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
    if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal))
        return;
    CString prompt;
    prompt.Format("Please enter a whole number from %d to %d.", minVal, maxVal);
    AfxMessageBox(prompt, MB_ICONEXCLAMATION);
    pDX->Fail();
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
    if (!pDX->m_bSaveAndValidate) {
        ::SendMessageA(pDX->LastControl(), EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
        return;
    }
    if (value.GetLength() <= nChars)
        return;
    CString prompt;
    prompt.Format("Please enter no more than %d characters.", nChars);
    AfxMessageBox(prompt, MB_ICONEXCLAMATION);
    pDX->Fail();
}
