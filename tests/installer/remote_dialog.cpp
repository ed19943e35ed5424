// Works the dialog of a running QuarnEventLogConfiguration from another process, as an
// administrator would by hand: the installer tests start the installed program, which nothing
// can call into.
//   remote_dialog show                 prints each node's settings and the day count, then Cancel
//   remote_dialog edit LEVEL TYPE DAYS sets the default settings to rows LEVEL and TYPE of the
//                                      lists and the day count to DAYS, then OK
// Exit code 0 once the dialog has closed again.
#include "res/resource.h"
#include "tests/support/ModalDriver.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace testing_support;

namespace {

constexpr int kPolls = 300; // of 100 ms

HWND AwaitDialog() {
    for (int i = 0; i < kPolls; ++i, ::Sleep(100)) {
        HWND hDlg = ::FindWindowA(nullptr, "QuarnEventLogConfiguration");
        if (hDlg && ::IsWindowVisible(hDlg))
            return hDlg;
    }
    return nullptr;
}

bool AwaitClosed(HWND hDlg) {
    for (int i = 0; i < kPolls; ++i, ::Sleep(100)) {
        if (!::IsWindow(hDlg))
            return true;
    }
    return false;
}

// Text of a control of the other process: GetWindowText would only return the caption that
// window keeps, not what an edit or list shows.
std::string Text(HWND hDlg, int nID) {
    char buffer[256] = {};
    ::SendDlgItemMessageA(hDlg, nID, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

HTREEITEM Next(HWND hTree, HTREEITEM hItem, UINT code) {
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageA(hTree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(hItem)));
}

// Selects the node as a click would and prints what the dialog then shows for it.
void PrintNode(HWND hDlg, HTREEITEM hItem) {
    HWND hTree = ::GetDlgItem(hDlg, IDC_TREE);
    ::SendMessageA(hTree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem));
    const LRESULT image = ::SendMessageA(hTree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem),
                                         TVIS_STATEIMAGEMASK) >>
                          12;
    auto value = [hDlg](int nBox, int nList) {
        return ::IsDlgButtonChecked(hDlg, nBox) ? std::string("Default") : Text(hDlg, nList);
    };
    std::printf("%s: %s, level %s, type %s\n", Text(hDlg, IDC_STATIC_TITLE).c_str(),
                image == 2 ? "on" : "off", value(IDC_USE_DEFAULT_LEVEL, IDC_COMBO_LEVEL).c_str(),
                value(IDC_USE_DEFAULT_TYPE, IDC_COMBO_TYPE).c_str());
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (!(command == "show" && argc == 2) && !(command == "edit" && argc == 5)) {
        std::fprintf(stderr, "usage: remote_dialog show | edit LEVEL TYPE DAYS\n");
        return 2;
    }
    HWND hDlg = AwaitDialog();
    if (!hDlg) {
        std::fprintf(stderr, "remote_dialog: the dialog did not appear\n");
        return 1;
    }
    if (command == "edit") {
        PickComboRow(hDlg, IDC_COMBO_LEVEL, std::atoi(argv[2]));
        PickComboRow(hDlg, IDC_COMBO_TYPE, std::atoi(argv[3]));
        ::SendDlgItemMessageA(hDlg, IDC_EDIT_EXPIRE_DAYS, WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(argv[4]));
        ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
    } else {
        HWND hTree = ::GetDlgItem(hDlg, IDC_TREE);
        const HTREEITEM hDefault = Next(hTree, nullptr, TVGN_ROOT);
        PrintNode(hDlg, hDefault);
        const HTREEITEM hSubSystems = Next(hTree, hDefault, TVGN_NEXT);
        for (HTREEITEM hItem = Next(hTree, hSubSystems, TVGN_CHILD); hItem;
             hItem = Next(hTree, hItem, TVGN_NEXT))
            PrintNode(hDlg, hItem);
        std::printf("days %s\n", Text(hDlg, IDC_EDIT_EXPIRE_DAYS).c_str());
        ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    }
    if (!AwaitClosed(hDlg)) {
        std::fprintf(stderr, "remote_dialog: the dialog did not close\n");
        return 1;
    }
    return 0;
}
