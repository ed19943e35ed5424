#include "ui/AddSubSystemDlg.h"

#include "framework/WinApp.h"
#include "logconfig/SubSystemName.h"
#include "res/resource.h"
#include "ui/DialogFont.h"

namespace {
constexpr UINT kHelpIdStringSize = 0xF114;
} // namespace

// OK and Cancel are the dialog's own.
BEGIN_MESSAGE_MAP(CAddSubSystemDlg, CDialog)
END_MESSAGE_MAP()

CAddSubSystemDlg::CAddSubSystemDlg(CWnd* pParent)
    : CDialog(IDD_ADD_SUBSYSTEM, pParent), m_strSubSystemName("") {}

CAddSubSystemDlg::~CAddSubSystemDlg() = default;

void CAddSubSystemDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_EDIT_SUBSYSTEM_NAME, m_strSubSystemName);
    // The length first, with the platform's own message and the field's limit.
    DDV_MaxChars(pDX, m_strSubSystemName, kMaxNameLength);
    if (!pDX->m_bSaveAndValidate)
        return;
    switch (CheckSubSystemName(m_strSubSystemName)) {
    case SUBSYSTEM_NAME_EMPTY:
        AfxMessageBox("A name must be given for the sub system", MB_ICONEXCLAMATION,
                      kHelpIdStringSize);
        pDX->Fail();
        break;
    case SUBSYSTEM_NAME_BACKSLASH:
        AfxMessageBox("A sub system name cannot contain a backslash", MB_ICONEXCLAMATION);
        pDX->Fail();
        break;
    case SUBSYSTEM_NAME_CONTROL_CHARACTER:
        // Pasted with the text around it, a tab for instance: unseen in the field.
        AfxMessageBox("A sub system name cannot contain a control character", MB_ICONEXCLAMATION);
        pDX->Fail();
        break;
    case SUBSYSTEM_NAME_OK:
    case SUBSYSTEM_NAME_TOO_LONG: // refused above
        break;
    }
}

BOOL CAddSubSystemDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_fontDialog.Attach(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    ::EnumChildWindows(m_hWnd, &EnumChildProc, reinterpret_cast<LPARAM>(m_fontDialog.m_hObject));
    return TRUE;
}
