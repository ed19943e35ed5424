#include "app/QuarnEventLogConfigurationApp.h"

#include "ui/QuarnEventLogConfigurationDlg.h"

BEGIN_MESSAGE_MAP(CQuarnEventLogConfigurationApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

// The application name comes from the program file's name.
CQuarnEventLogConfigurationApp::CQuarnEventLogConfigurationApp() : CWinApp(nullptr) {}

CQuarnEventLogConfigurationApp::~CQuarnEventLogConfigurationApp() = default;

BOOL CQuarnEventLogConfigurationApp::InitInstance() {
    AfxEnableControlContainer();
    Enable3dControls();

    CQuarnEventLogConfigurationDlg dlg;
    m_pMainWnd = &dlg;
    // Everything the user confirmed has been saved inside the dialog; its result changes nothing.
    dlg.DoModal();
    m_pMainWnd = nullptr;

    // No message loop follows: the program ends here.
    return FALSE;
}

CQuarnEventLogConfigurationApp theApp;
