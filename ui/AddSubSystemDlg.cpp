#include "ui/AddSubSystemDlg.h"

#include "framework/WinApp.h"
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
    DDV_MaxChars(pDX, m_strSubSystemName, kMaxNameLength);
    if (!pDX->m_bSaveAndValidate)
        return;
    if (m_strSubSystemName.IsEmpty()) {
        AfxMessageBox("A name must be given for the sub system", MB_ICONEXCLAMATION,
                      kHelpIdStringSize);
        pDX->Fail();
    }
    // The name becomes a registry key below the configuration: a backslash would make it a path
    // of nested keys, and the subsystem would not be found under its name again.
    if (m_strSubSystemName.Find('\\') >= 0) {
        AfxMessageBox("A sub system name cannot contain a backslash", MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

BOOL CAddSubSystemDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_fontDialog.Attach(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    ::EnumChildWindows(m_hWnd, &EnumChildProc, reinterpret_cast<LPARAM>(m_fontDialog.m_hObject));
    return TRUE;
}
