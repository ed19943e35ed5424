// Confirms the dialog of a running QuarnEventLogConfiguration from another process, as an
// administrator would by hand: the installer tests start the installed program, which nothing
// can call into. With LEVEL, TYPE and DAYS, the default settings first get rows LEVEL and TYPE
// of the lists and the day count DAYS; OK then saves the whole configuration as shown.
//   remote_dialog [LEVEL TYPE DAYS]
// Exit code 0 once the dialog has appeared and closed again.
#include "res/resource.h"
#include "tests/support/ModalDriver.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 1 && argc != 4) {
        std::fprintf(stderr, "usage: remote_dialog [LEVEL TYPE DAYS]\n");
        return 2;
    }
    HWND hDlg = nullptr;
    for (int i = 0; i < 300 && !(hDlg && ::IsWindowVisible(hDlg)); ++i, ::Sleep(100))
        hDlg = ::FindWindowA(nullptr, "QuarnEventLogConfiguration");
    if (!hDlg || !::IsWindowVisible(hDlg)) {
        std::fprintf(stderr, "remote_dialog: the dialog did not appear\n");
        return 1;
    }
    if (argc == 4) {
        testing_support::PickComboRow(hDlg, IDC_COMBO_LEVEL, std::atoi(argv[1]));
        testing_support::PickComboRow(hDlg, IDC_COMBO_TYPE, std::atoi(argv[2]));
        // WM_SETTEXT itself: SetWindowText does not change another process's controls.
        ::SendDlgItemMessageA(hDlg, IDC_EDIT_EXPIRE_DAYS, WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(argv[3]));
    }
    ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 300 && ::IsWindow(hDlg); ++i)
        ::Sleep(100);
    if (::IsWindow(hDlg)) {
        std::fprintf(stderr, "remote_dialog: the dialog did not close\n");
        return 1;
    }
    return 0;
}
