#include "framework/Dialog.h"

#include "framework/WinApp.h"

#include <commctrl.h>

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

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    // From WM_INITDIALOG on, every message goes through the object's window procedure first and
    // then, unhandled, to the dialog manager's default processing.
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* pDialog = reinterpret_cast<CDialog*>(lParam);
    pDialog->SubclassWindow(hWnd);
    return pDialog->OnInitDialog();
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
