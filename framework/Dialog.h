// CDialog over the dialog manager's modal loop, and dialog data exchange (DDX_/DDV_).
#pragma once

#include "framework/CString.h"
#include "framework/Wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog modally; IDOK, IDCANCEL or the value given to EndDialog, -1 on failure.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

    // TRUE: controls to members, with validation; FALSE: members to controls. FALSE when a
    // validation failed (the user has been told and the focus is on the failing control).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Unhandled commands go on to the application object.
    bool OnCmdMsg(UINT nID, UINT nCode, LRESULT* pResult) override;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CWnd* m_pDlgWnd;

    // Records the control that a following validation refers to; returns its window.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    HWND LastControl() const { return ::GetDlgItem(m_pDlgWnd->m_hWnd, m_idLastControl); }

    // Puts the focus on the last prepared control (selecting an edit's text) and abandons the
    // exchange; UpdateData then reports failure.
    [[noreturn]] void Fail();

    struct Failure {};

private:
    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
