// Drives real modal loops from inside: a thread timer runs the test's script once the dialog is
// up, and popups (message boxes, nested dialogs) that open meanwhile are handed to a handler.
#pragma once

#include "framework/Dialog.h"

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Runs dlg.DoModal(); once its window exists, script(hDlg) runs inside the dialog's modal loop.
// A dialog the script leaves open is then cancelled. Returns DoModal's result.
INT_PTR RunModal(CDialog& dlg, const std::function<void(HWND)>& script);

struct Popup {
    HWND hWnd;
    std::string caption;
    std::string text; // a message box's text
};

// Runs action(); every popup window of this thread that opens while it runs (besides the
// dialogs run by RunModal) is recorded and handed to handler, which must close it. Without a
// handler, popups are closed with their OK button. Returns the popups in the order they opened.
std::vector<Popup> WithPopups(const std::function<void()>& action,
                              const std::function<void(const Popup&)>& handler = nullptr);

// Dispatches everything queued for this thread.
void PumpMessages();

// A click at a point in a window's client area: the cursor moves there, a button-down and a
// button-up are posted and processed, as the mouse would.
void ClickAt(HWND hWnd, POINT ptClient);
void DoubleClickAt(HWND hWnd, POINT ptClient);
// A key press on a window: WM_KEYDOWN then WM_KEYUP, processed.
void PressKey(HWND hWnd, UINT vk);

// A push button or check box clicked as the user would (BM_CLICK).
void ClickButton(HWND hDlg, int nID);
// A list row picked as the user would: the selection changes and the owner hears CBN_SELCHANGE.
void PickComboRow(HWND hDlg, int nID, int nRow);
void SetText(HWND hDlg, int nID, const char* text);
// The rectangle of a tree item's label (TVM_GETITEMRECT), empty when it is scrolled out of view.
RECT LabelRect(HWND hTree, HTREEITEM hItem);
std::string GetText(HWND hWnd);
std::string GetText(HWND hDlg, int nID);

// A control's notification as the control itself sends it: WM_COMMAND with the control's id,
// the code and its window, processed. Works for hidden controls too.
void SendCommand(HWND hDlg, int nID, UINT code);
// Text typed into a window byte by byte (WM_CHAR each), as from the keyboard.
void TypeText(HWND hWnd, const std::string& text);

// While it lives, records the window of this thread that last received the keyboard focus
// (WM_SETFOCUS). Unlike GetFocus, the record survives another process taking the activation
// away from this thread, as other programs on the same display may at any time.
class FocusTracker {
public:
    FocusTracker();
    ~FocusTracker();
    FocusTracker(const FocusTracker&) = delete;
    FocusTracker& operator=(const FocusTracker&) = delete;

    HWND LastFocused() const;

private:
    HHOOK m_hHook;
    FocusTracker* m_pOuter;
    HWND m_hLast = nullptr;
    static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam);
};

} // namespace testing_support
