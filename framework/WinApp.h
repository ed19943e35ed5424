// CWinApp: the one application object, the program's entry, and message boxes captioned with the
// application name.
#pragma once

#include "framework/CString.h"
#include "framework/Wnd.h"

// The framework's help command.
constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget {
public:
    // A null name means: the program file's name without its extension.
    explicit CWinApp(const char* lpszAppName = nullptr);
    ~CWinApp() override;

    const char* m_pszAppName;
    CWnd* m_pMainWnd = nullptr;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    // Current Windows versions draw three-dimensional controls themselves; kept for callers.
    BOOL Enable3dControls() { return TRUE; }

    // The program ships no help file, so the help command has nothing to show.
    void OnHelp() {}

    DECLARE_MESSAGE_MAP()

private:
    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int);
    CString m_strAppName;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The application's name; without an application object, the program file's name.
const char* AfxGetAppName();

// No dialog of ours hosts ActiveX controls; kept for callers.
inline void AfxEnableControlContainer() {}

// A message box owned by the active window of the application, captioned with its name.
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// Initialises the application object and runs it. A dialog-based program runs all its loops
// inside InitInstance, so nothing runs after it but ExitInstance.
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
