#include "tests/support/ModalDriver.h"

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

void CALLBACK PopupTimer(HWND, UINT, UINT_PTR, DWORD) {
    PopupWatch* watch = g_watch;
    if (!watch || watch->busy)
        return;
    for (HWND hWnd : ThreadWindows()) {
        if (!::IsWindowVisible(hWnd) || watch->known.count(hWnd) || g_driven.count(hWnd))
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

} // namespace testing_support
