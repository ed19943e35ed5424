#include "tests/support/ModalDriver.h"

#include <commctrl.h>

#include <cstring>
#include <set>

namespace testing_support {

namespace {

constexpr UINT kTimerPeriodMs = 5;

struct ModalRun {
    CDialog* pDlg;
    const std::function<void(HWND)>* pScript;
    UINT_PTR timer;
};
std::vector<ModalRun> g_runs; // nested runs, innermost last
std::set<HWND> g_driven;      // dialogs under RunModal: not popups

void CALLBACK ScriptTimer(HWND, UINT, UINT_PTR idEvent, DWORD) {
    for (ModalRun& run : g_runs) {
        if (run.timer != idEvent || !run.pDlg->m_hWnd)
            continue;
        ::KillTimer(nullptr, run.timer);
        run.timer = 0;
        HWND hDlg = run.pDlg->m_hWnd;
        g_driven.insert(hDlg);
        (*run.pScript)(hDlg);
        if (::IsWindow(hDlg))
            ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
        return;
    }
}

struct PopupWatch {
    std::set<HWND> known;
    std::vector<Popup> seen;
    const std::function<void(const Popup&)>* pHandler;
    UINT_PTR timer;
    bool busy;
};
PopupWatch* g_watch = nullptr;

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A dialog under RunModal is not a popup, also before its script has started.
bool IsDriven(HWND hWnd) {
    if (g_driven.count(hWnd))
        return true;
    for (const ModalRun& run : g_runs)
        if (run.pDlg->m_hWnd == hWnd)
            return true;
    return false;
}

void CALLBACK PopupTimer(HWND, UINT, UINT_PTR, DWORD) {
    PopupWatch* watch = g_watch;
    if (!watch || watch->busy)
        return;
    for (HWND hWnd : ThreadWindows()) {
        if (!::IsWindowVisible(hWnd) || watch->known.count(hWnd) || IsDriven(hWnd))
            continue;
        watch->known.insert(hWnd);
        Popup popup{hWnd, GetText(hWnd), GetText(hWnd, 0xFFFF)};
        watch->seen.push_back(popup);
        watch->busy = true;
        if (*watch->pHandler)
            (*watch->pHandler)(popup);
        else
            ::SendMessageA(hWnd, WM_COMMAND, IDOK, 0);
        watch->busy = false;
        return;
    }
}

} // namespace

INT_PTR RunModal(CDialog& dlg, const std::function<void(HWND)>& script) {
    g_runs.push_back({&dlg, &script, 0});
    g_runs.back().timer = ::SetTimer(nullptr, 0, kTimerPeriodMs, &ScriptTimer);
    const UINT_PTR timer = g_runs.back().timer;
    const INT_PTR result = dlg.DoModal();
    ::KillTimer(nullptr, timer);
    g_runs.pop_back();
    return result;
}

std::vector<Popup> WithPopups(const std::function<void()>& action,
                              const std::function<void(const Popup&)>& handler) {
    PopupWatch watch;
    for (HWND hWnd : ThreadWindows())
        watch.known.insert(hWnd);
    watch.pHandler = &handler;
    watch.busy = false;
    PopupWatch* outer = g_watch;
    g_watch = &watch;
    watch.timer = ::SetTimer(nullptr, 0, kTimerPeriodMs, &PopupTimer);
    action();
    ::KillTimer(nullptr, watch.timer);
    g_watch = outer;
    return watch.seen;
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

namespace {
void PostMouse(HWND hWnd, UINT message, WPARAM wParam, POINT pt) {
    ::PostMessageA(hWnd, message, wParam, MAKELPARAM(pt.x, pt.y));
}
} // namespace

void ClickAt(HWND hWnd, POINT ptClient) {
    POINT ptScreen = ptClient;
    ::ClientToScreen(hWnd, &ptScreen);
    ::SetCursorPos(ptScreen.x, ptScreen.y);
    // The button-up is queued first: a tree view may track the mouse until it sees one.
    PostMouse(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, ptClient);
    PostMouse(hWnd, WM_LBUTTONUP, 0, ptClient);
    PumpMessages();
}

void DoubleClickAt(HWND hWnd, POINT ptClient) {
    ClickAt(hWnd, ptClient);
    PostMouse(hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, ptClient);
    PostMouse(hWnd, WM_LBUTTONUP, 0, ptClient);
    PumpMessages();
}

void PressKey(HWND hWnd, UINT vk) {
    const UINT scan = ::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
    ::SendMessageA(hWnd, WM_KEYDOWN, vk, MAKELPARAM(1, scan));
    ::SendMessageA(hWnd, WM_KEYUP, vk, MAKELPARAM(1, scan | KF_REPEAT | KF_UP));
    PumpMessages();
}

void ClickButton(HWND hDlg, int nID) {
    ::SendMessageA(::GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
    PumpMessages();
}

void PickComboRow(HWND hDlg, int nID, int nRow) {
    HWND hCombo = ::GetDlgItem(hDlg, nID);
    ::SendMessageA(hCombo, CB_SETCURSEL, static_cast<WPARAM>(nRow), 0);
    ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(hCombo));
    PumpMessages();
}

RECT LabelRect(HWND hTree, HTREEITEM hItem) {
    RECT rect = {};
    std::memcpy(&rect, &hItem, sizeof hItem); // the message takes the item in the rectangle
    if (!::SendMessageA(hTree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)))
        return RECT{};
    return rect;
}

void SetText(HWND hDlg, int nID, const char* text) {
    ::SetWindowTextA(::GetDlgItem(hDlg, nID), text);
}

std::string GetText(HWND hWnd) {
    char buffer[1024] = {};
    ::GetWindowTextA(hWnd, buffer, sizeof buffer);
    return buffer;
}

std::string GetText(HWND hDlg, int nID) {
    return GetText(::GetDlgItem(hDlg, nID));
}

void SendCommand(HWND hDlg, int nID, UINT code) {
    ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, code),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
    PumpMessages();
}

void TypeText(HWND hWnd, const std::string& text) {
    for (char ch : text)
        ::SendMessageA(hWnd, WM_CHAR, static_cast<unsigned char>(ch), 1);
    PumpMessages();
}

namespace {
FocusTracker* g_pFocusTracker = nullptr; // innermost
} // namespace

FocusTracker::FocusTracker()
    : m_hHook(::SetWindowsHookExA(WH_CALLWNDPROC, &HookProc, nullptr, ::GetCurrentThreadId())),
      m_pOuter(g_pFocusTracker), m_hLast(::GetFocus()) {
    g_pFocusTracker = this;
}

FocusTracker::~FocusTracker() {
    g_pFocusTracker = m_pOuter;
    if (m_hHook)
        ::UnhookWindowsHookEx(m_hHook);
}

HWND FocusTracker::LastFocused() const {
    return m_hLast;
}

LRESULT CALLBACK FocusTracker::HookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (nCode == HC_ACTION && pMsg->message == WM_SETFOCUS) {
        for (FocusTracker* pTracker = g_pFocusTracker; pTracker; pTracker = pTracker->m_pOuter)
            pTracker->m_hLast = pMsg->hwnd;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

} // namespace testing_support
