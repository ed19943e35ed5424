#include "bench/DialogFloors.h"

#include "bench/BenchClock.h"
#include "logconfig/LogLayout.h"
#include "registry/Registry.h"
#include "res/resource.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/ModalDriver.h"

#include <vector>

using namespace testing_support;

namespace bench {

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

namespace {

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

} // namespace

double BareStartUp() {
    const double start = NowMs();
    HWND hDlg = ::CreateDialogParamA(::GetModuleHandleA(nullptr),
                                     MAKEINTRESOURCEA(IDD_QUARNEVENTLOGCONFIGURATION_DIALOG),
                                     nullptr, &BareDialogProc, 0);
    const double elapsed = NowMs() - start;
    ::DestroyWindow(hDlg);
    return elapsed;
}

CTreeAlone::CTreeAlone(int n) {
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

CTreeAlone::~CTreeAlone() {
    ::DestroyWindow(m_hWnd);
}

void CTreeAlone::SetStart(Operation op, int n) {
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

double CTreeAlone::Toggle() {
    const RECT label = LabelRect(m_tree.m_hWnd, m_hParent);
    const double start = NowMs();
    ClickAt(m_tree.m_hWnd, POINT{label.left - 7, (label.top + label.bottom) / 2});
    return NowMs() - start;
}

} // namespace bench
