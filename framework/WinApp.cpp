#include "framework/WinApp.h"

namespace {

CWinApp* g_pApp = nullptr;

CString ModuleBaseName() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* base = path;
    const char* dot = nullptr;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/') {
            base = p + 1;
            dot = nullptr;
        } else if (*p == '.') {
            dot = p;
        }
    }
    return dot ? CString(base, static_cast<int>(dot - base)) : CString(base);
}

} // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* lpszAppName) : m_pszAppName(lpszAppName) {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

CWnd* AfxGetMainWnd() {
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

const char* AfxGetAppName() {
    if (g_pApp && g_pApp->m_pszAppName)
        return g_pApp->m_pszAppName;
    static const CString moduleName = ModuleBaseName();
    return moduleName;
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT) {
    HWND hOwner = ::GetActiveWindow();
    CWnd* pMain = AfxGetMainWnd();
    if (pMain && ::IsWindow(pMain->m_hWnd))
        hOwner = ::GetLastActivePopup(pMain->m_hWnd);
    return ::MessageBoxA(hOwner, lpszText, AfxGetAppName(), nType);
}

int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    if (!pApp->m_pszAppName) {
        pApp->m_strAppName = ModuleBaseName();
        pApp->m_pszAppName = pApp->m_strAppName;
    }
    pApp->InitInstance();
    return pApp->ExitInstance();
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
