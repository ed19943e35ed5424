// Measures how the configuration dialog scales with the number of subsystems: start-up, clearing
// and ticking "SubSystems" with a real click (ticking from every other subsystem switched off,
// from all clear, and from one switched off at the first, middle or last place), selecting a
// subsystem, changing its level, "Use Default Value", Apply (also once another program has
// changed a value) and adding a subsystem, each as the median of several runs, with the number
// of tree-view messages each sends. Start-up and Apply are compared with the bare registry and
// tree work they cannot avoid, ticking and clearing with the check-box tree alone from the same
// starting state.
#include "bench/BenchClock.h"
#include "bench/DialogFloors.h"
#include "bench/DialogScenario.h"
#include "logconfig/LogLayout.h"
#include "registry/Registry.h"
#include "res/resource.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/RegistrySandbox.h"
#include "ui/QuarnEventLogConfigurationDlg.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace testing_support;

using namespace bench;

namespace {

// ---- one dialog session -----------------------------------------------------------------------

struct Sample {
    std::vector<double> ms[kOperationCount];
    long messages[kOperationCount] = {};
};

struct Figures {
    double ms[kOperationCount];
    long messages[kOperationCount];
};

// A message posted before DoModal is the first one its modal loop takes: the dialog is ready.
const std::function<void(HWND)>* g_session = nullptr;
CQuarnEventLogConfigurationDlg* g_dialog = nullptr;

LRESULT CALLBACK ReadyWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP && g_dialog && g_dialog->m_hWnd) {
        (*g_session)(g_dialog->m_hWnd);
        ::PostMessageA(g_dialog->m_hWnd, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

HWND ReadyWindow() {
    static HWND hWnd = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &ReadyWindowProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "QuarnBenchReady";
        ::RegisterClassA(&wc);
        return ::CreateWindowA("QuarnBenchReady", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    }();
    return hWnd;
}

Sample RunSession(int n, bool countMessages) {
    Sample sample;
    HHOOK hook = nullptr;
    auto measure = [&](Operation op, const std::function<void()>& action) {
        // What the previous action left to paint is painted first, not counted here.
        PumpMessages();
        g_treeMessages = 0;
        const double start = NowMs();
        action();
        sample.ms[op].push_back(NowMs() - start);
        sample.messages[op] = g_treeMessages;
    };

    double startTime = 0;
    const std::function<void(HWND)> session = [&](HWND hDlg) {
        sample.ms[kStartUp].push_back(NowMs() - startTime);
        sample.messages[kStartUp] = g_treeMessages;
        const HTREEITEM hSubSystems = FindItem(hDlg, "SubSystems");
        const auto toggle = [&](Operation op) {
            // In view before the click, as for a user: the click alone is measured.
            ::SendMessageA(Tree(hDlg), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hSubSystems));
            PumpMessages();
            measure(op, [&] { ClickItemCheckBox(hDlg, hSubSystems); });
        };
        // As loaded: every other subsystem switched off.
        if (CaptureState(hDlg).tree[1].checked)
            std::printf("  (\"SubSystems\" ticked at start-up: the configuration was not reset)\n");
        toggle(kTickEveryOtherOff);
        for (int pair = 0; pair < kTogglePairs; ++pair) {
            toggle(kClear);
            toggle(kTick);
        }
        // All ticked: one subsystem switched off by its own check box, then all ticked again.
        for (Operation op : kTicksOneOff) {
            const HTREEITEM hOff = FindItem(hDlg, SubSystemName(OneOffPosition(op, n)));
            for (int pair = 0; pair < kTogglePairs; ++pair) {
                ClickItemCheckBox(hDlg, hOff);
                toggle(op);
            }
        }
        // Found and scrolled to first, as a user would before clicking; the search is the
        // benchmark's, not the dialog's.
        const HTREEITEM hMiddle = FindItem(hDlg, SubSystemName(n / 2));
        ::SendMessageA(Tree(hDlg), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hMiddle));
        PumpMessages();
        const RECT label = LabelRect(Tree(hDlg), hMiddle);
        const POINT onLabel = {label.left + 4, (label.top + label.bottom) / 2};
        measure(kSelect, [&] { ClickAt(Tree(hDlg), onLabel); });
        measure(kLevel, [&] { PickComboRow(hDlg, IDC_COMBO_LEVEL, 2); });
        measure(kUseDefault, [&] { ClickButton(hDlg, IDC_USE_DEFAULT_LEVEL); });
        measure(kApply, [&] { ClickButton(hDlg, IDC_APPLY); });
        // Another program's change: Apply compares everything and asks; answered Yes at once.
        {
            CRegistryT<0> key(HKEY_LOCAL_MACHINE, SubSystemKeyPath(SubSystemName(0).c_str()));
            key.Open();
            WriteRegistryText(key.m_hKey, kLogTypeValueName, "Information");
        }
        measure(kApplyChanged, [&] {
            WithPopups([&] { ClickButton(hDlg, IDC_APPLY); },
                       [](const Popup& popup) { ClickButton(popup.hWnd, IDYES); });
        });
        // Timed from the Add dialog's OK, which ends its own work: the dialog's part is inserting
        // the new item and sorting it in among all the others.
        g_treeMessages = 0;
        double okAt = 0;
        WithPopups([&] { SendCommand(hDlg, IDC_ADD_SUBSYSTEM, BN_CLICKED); },
                   [&](const Popup& popup) {
                       ::SetDlgItemTextA(popup.hWnd, IDC_EDIT_SUBSYSTEM_NAME, "Added");
                       okAt = NowMs();
                       ClickButton(popup.hWnd, IDOK);
                   });
        sample.ms[kAdd].push_back(NowMs() - okAt);
        sample.messages[kAdd] = g_treeMessages;
    };

    if (countMessages) {
        hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &CountTreeMessages, nullptr,
                                   ::GetCurrentThreadId());
    }
    CQuarnEventLogConfigurationDlg dlg;
    g_dialog = &dlg;
    g_session = &session;
    g_treeMessages = 0;
    ::PostMessageA(ReadyWindow(), WM_APP, 0, 0);
    startTime = NowMs();
    dlg.DoModal();
    g_dialog = nullptr;
    if (hook)
        ::UnhookWindowsHookEx(hook);
    return sample;
}

} // namespace

// Arguments: the numbers of subsystems to measure (default 10 100 300 1000 3000 10000).
int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);

    std::vector<int> sizes = {10, 100, 300, 1000, 3000, 10000};
    if (argc > 1)
        sizes.assign(argc - 1, 0);
    for (int i = 1; i < argc; ++i)
        sizes[static_cast<size_t>(i - 1)] = std::atoi(argv[i]);
    std::map<int, Figures> medians;
    int previous = 0;
    for (int n : sizes) {
        RegistrySandbox sandbox;
        // Fewer runs where one takes seconds: the whole benchmark stays within minutes.
        const int runs = n >= 3000 ? 3 : n >= 1000 ? 5 : 7;

        std::vector<double> times[kOperationCount];
        std::vector<double> saveFloor, startFloor, treeClear;
        std::map<Operation, std::vector<double>> treeTick;
        for (int run = 0; run < runs; ++run) {
            // Apply and the bare save store every subsystem switched on: each session starts
            // from the same configuration again.
            PrepareConfiguration(sandbox, n);
            CTreeAlone tree(n);
            for (Operation op : kTicks) {
                for (int pair = 0; pair < kTogglePairs; ++pair) {
                    tree.SetStart(op, n);
                    treeTick[op].push_back(tree.Toggle());
                    treeClear.push_back(tree.Toggle());
                }
            }
            const Sample sample = RunSession(n, false);
            for (int op = 0; op < kOperationCount; ++op)
                times[op].insert(times[op].end(), sample.ms[op].begin(), sample.ms[op].end());
            saveFloor.push_back(BareSave(n));
            startFloor.push_back(BareStartUp());
        }
        PrepareConfiguration(sandbox, n);
        const Sample counted = RunSession(n, true);
        Figures& median = medians[n];
        for (int op = 0; op < kOperationCount; ++op) {
            median.ms[op] = Median(times[op]);
            median.messages[op] = counted.messages[op];
        }
        std::map<Operation, long> treeTickMessages;
        long treeClearMessages = 0;
        {
            CTreeAlone tree(n);
            const HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &CountTreeMessages, nullptr,
                                                   ::GetCurrentThreadId());
            for (Operation op : kTicks) {
                tree.SetStart(op, n);
                g_treeMessages = 0;
                tree.Toggle();
                treeTickMessages[op] = g_treeMessages;
                g_treeMessages = 0;
                tree.Toggle();
                treeClearMessages = g_treeMessages;
            }
            ::UnhookWindowsHookEx(hook);
        }

        std::printf("\nN = %d (median of %d runs, %d for ticking and clearing)\n", n, runs,
                    runs * kTogglePairs);
        std::printf("  %-18s %10s %12s %10s", "operation", "ms", "tree msgs", "msgs / N");
        if (previous)
            std::printf("   x time vs N=%-5d x msgs", previous);
        std::printf("\n");
        for (int op = 0; op < kOperationCount; ++op) {
            std::printf("  %-18s %10.2f %12ld %10.2f", kOperationNames[op], median.ms[op],
                        median.messages[op],
                        static_cast<double>(median.messages[op]) / std::max(n, 1));
            if (previous) {
                const Figures& before = medians[previous];
                std::printf("   %8.1f %16.1f", median.ms[op] / std::max(before.ms[op], 0.001),
                            static_cast<double>(median.messages[op]) /
                                static_cast<double>(std::max(before.messages[op], 1L)));
            }
            std::printf("\n");
        }
        const double bareStart = Median(startFloor);
        const double bareSave = Median(saveFloor);
        std::printf("  bare start-up %8.2f ms: start-up / bare = %.2f\n", bareStart,
                    median.ms[kStartUp] / bareStart);
        std::printf("  bare save     %8.2f ms: Apply / bare    = %.2f (changed: %.2f)\n", bareSave,
                    median.ms[kApply] / bareSave, median.ms[kApplyChanged] / bareSave);
        std::printf("  the tree control alone, and dialog / control alone:\n");
        for (Operation op : kTicks) {
            const double alone = Median(treeTick[op]);
            std::printf("    %-22s %10.2f ms %10ld msgs %8.2f msgs / N   dialog / alone %.2f\n",
                        kOperationNames[op], alone, treeTickMessages[op],
                        static_cast<double>(treeTickMessages[op]) / std::max(n, 1),
                        median.ms[op] / alone);
        }
        const double aloneClear = Median(treeClear);
        std::printf("    %-22s %10.2f ms %10ld msgs %8.2f msgs / N   dialog / alone %.2f\n",
                    kOperationNames[kClear], aloneClear, treeClearMessages,
                    static_cast<double>(treeClearMessages) / std::max(n, 1),
                    median.ms[kClear] / aloneClear);
        std::fflush(stdout);
        previous = n;
    }
    return 0;
}
