// Measures how the configuration dialog scales with the number of subsystems: start-up, clearing
// and ticking "SubSystems" with a real click (ticking from every other subsystem switched off,
// from all clear, and from one switched off at the first, middle or last place), selecting a
// subsystem, changing its level, "Use Default Value", Apply (also once another program has
// changed a value) and adding a subsystem, each as the median of several runs, with the number
// of tree-view messages each sends. Start-up and Apply are compared with the bare registry and
// tree work they cannot avoid, ticking and clearing with the check-box tree alone from the same
// starting state.
#include "bench/BenchClock.h"
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

// ---- counting tree-view messages --------------------------------------------------------------

long g_treeMessages = 0;

LRESULT CALLBACK CountTreeMessages(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    // Only the tree receives messages of this range in the dialog.
    if (code == HC_ACTION && message->message >= TV_FIRST && message->message < TV_FIRST + 0x100)
        ++g_treeMessages;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// ---- the configuration ------------------------------------------------------------------------

std::string SubSystemName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "SubSystem%04d", i);
    return name;
}

// Mixed levels and types; every other subsystem (the second, the fourth, ...) is switched off. The
// middle one's level is never Default, so that its level list is enabled once it is ticked.
bool StartsOff(int i) {
    return i % 2 == 1;
}

void PrepareConfiguration(RegistrySandbox& sandbox, int n) {
    sandbox.SetString(kBaseKey, "DefaultLogLevel", "Debug");
    sandbox.SetString(kBaseKey, "DefaultLogType", "Warning");
    sandbox.SetString(kBaseKey, "ExpireLogsAfter", "30");
    for (int i = 0; i < n; ++i) {
        const std::string key = SubSystemKey(SubSystemName(i));
        const bool off = StartsOff(i);
        sandbox.SetString(key.c_str(), "LogLevel", off ? "None" : kLevels[i == n / 2 ? 1 : i % 5]);
        sandbox.SetString(key.c_str(), "LogType", off ? "None" : kTypes[i % 6]);
    }
}

// ---- one dialog session -----------------------------------------------------------------------

enum Operation {
    kStartUp,
    kClear,
    kTickEveryOtherOff,
    kTick,
    kTickFirstOff,
    kTickMiddleOff,
    kTickLastOff,
    kSelect,
    kLevel,
    kUseDefault,
    kApply,
    kApplyChanged,
    kAdd,
    kOperationCount
};
const char* const kOperationNames[] = {"start-up",
                                       "clear SubSystems",
                                       "tick, every other off",
                                       "tick, all clear",
                                       "tick, first off",
                                       "tick, middle off",
                                       "tick, last off",
                                       "select subsystem",
                                       "change level",
                                       "Use Default Value",
                                       "Apply",
                                       "Apply, changed",
                                       "add subsystem"};
// The ticks from one switched-off subsystem, and the positions of that subsystem.
constexpr Operation kTicksOneOff[] = {kTickFirstOff, kTickMiddleOff, kTickLastOff};
int OneOffPosition(Operation op, int n) {
    return op == kTickFirstOff ? 0 : op == kTickMiddleOff ? n / 2 : n - 1;
}
// The starting states the tree alone is measured from, by the tick that starts there.
constexpr Operation kTicks[] = {kTickEveryOtherOff, kTick, kTickFirstOff, kTickMiddleOff,
                                kTickLastOff};

// Ticking and clearing are cheap next to start-up and Apply: each session and each tree alone
// does them several times, for a steadier median on a busy machine.
constexpr int kTogglePairs = 3;

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

// ---- the floors -------------------------------------------------------------------------------

// The opens, creates, writes and closes that storing n subsystems needs, without the dialog.
double BareSave(int n) {
    const double start = NowMs();
    CRegistryT<0> base(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    base.Open();
    WriteExpireLogsAfter(base.m_hKey, 30);
    WriteRegistryText(base.m_hKey, kDefaultLogLevelValueName, "Debug");
    WriteRegistryText(base.m_hKey, kDefaultLogTypeValueName, "Warning");
    for (int i = 0; i < n; ++i) {
        CRegistryT<0> key(HKEY_LOCAL_MACHINE, SubSystemKeyPath(SubSystemName(i).c_str()));
        key.Open();
        WriteRegistryText(key.m_hKey, kLogLevelValueName, "Debug");
        WriteRegistryText(key.m_hKey, kLogTypeValueName, "Warning");
    }
    return NowMs() - start;
}

// What start-up cannot do without, done where the dialog does it (before it is shown): the
// dialog's windows from its template, the reads, the enumeration and the tree insertions.
INT_PTR CALLBACK BareDialogProc(HWND hDlg, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG)
        return FALSE;
    CString text;
    {
        CRegistryT<0> base(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
        base.Open();
        ReadRegistryText(base.m_hKey, kDefaultLogLevelValueName, text);
        ReadRegistryText(base.m_hKey, kDefaultLogTypeValueName, text);
    }
    const std::vector<CString> names = EnumerateSubSystemNames();
    for (const CString& name : names) {
        CRegistryT<1> key(HKEY_LOCAL_MACHINE, SubSystemKeyPath(name));
        key.Open();
        ReadRegistryText(key.m_hKey, kLogLevelValueName, text);
        ReadRegistryText(key.m_hKey, kLogTypeValueName, text);
    }
    {
        CRegistryT<0> base(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
        base.Open();
        int days = 0;
        ReadExpireLogsAfter(base.m_hKey, days);
    }
    TVINSERTSTRUCTA insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    for (const CString& name : names) {
        insert.item.pszText = const_cast<char*>(static_cast<const char*>(name));
        ::SendDlgItemMessageA(hDlg, IDC_TREE, TVM_INSERTITEMA, 0,
                              reinterpret_cast<LPARAM>(&insert));
    }
    return TRUE;
}

double BareStartUp() {
    const double start = NowMs();
    HWND hDlg = ::CreateDialogParamA(::GetModuleHandleA(nullptr),
                                     MAKEINTRESOURCEA(IDD_QUARNEVENTLOGCONFIGURATION_DIALOG),
                                     nullptr, &BareDialogProc, 0);
    const double elapsed = NowMs() - start;
    ::DestroyWindow(hDlg);
    return elapsed;
}

// The check-box tree's own part of ticking and clearing "SubSystems": the same control with
// the same items, in a window that is not shown, with an owner that allows every change and does
// nothing when told of one, so that the tree view gets the same messages as in the dialog. Under
// Wine its cost per message grows with the number of items (every item handle is looked for among
// all of them).
class CTreeAlone : public CWnd {
public:
    explicit CTreeAlone(int n) {
        HWND hHost = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 600, nullptr, nullptr,
                                       nullptr, nullptr);
        SubclassWindow(hHost);
        HWND hTree = ::CreateWindowExA(0, WC_TREEVIEWA, "", 0x50810137, 0, 0, 390, 590, hHost,
                                       reinterpret_cast<HMENU>(IDC_TREE), nullptr, nullptr);
        m_tree.SubclassWindow(hTree);
        m_tree.ModifyStyle(TVS_CHECKBOXES, 0);
        m_tree.ModifyStyle(0, TVS_CHECKBOXES);
        m_hParent = m_tree.InsertItem("SubSystems");
        for (int i = 0; i < n; ++i)
            m_tree.InsertItem(SubSystemName(i).c_str(), m_hParent, TVI_LAST);
        m_tree.Expand(m_hParent, TVE_EXPAND);
        m_tree.m_bPropagate = TRUE;
        m_tree.SetQueryCheckCallback(&GoOn, nullptr);
        m_tree.SetCheckChangedCallback(&GoOn, nullptr);
    }
    ~CTreeAlone() override { ::DestroyWindow(m_hWnd); }

    // The boxes of the starting state that the tick op starts from, set around the control.
    void SetStart(Operation op, int n) {
        int i = 0;
        for (HTREEITEM hItem = m_tree.GetChildItem(m_hParent); hItem;
             hItem = m_tree.GetNextSiblingItem(hItem), ++i) {
            const bool off = op == kTick                ? true
                             : op == kTickEveryOtherOff ? StartsOff(i)
                                                        : i == OneOffPosition(op, n);
            m_tree.SetCheck(hItem, !off);
        }
        m_tree.SetCheck(m_hParent, FALSE);
    }

    double Toggle() {
        const RECT label = LabelRect(m_tree.m_hWnd, m_hParent);
        const double start = NowMs();
        ClickAt(m_tree.m_hWnd, POINT{label.left - 7, (label.top + label.bottom) / 2});
        return NowMs() - start;
    }

private:
    static int GoOn(void*, BOOL, HTREEITEM) { return 1; }

    CCheckBoxTree m_tree;
    HTREEITEM m_hParent;
};

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
