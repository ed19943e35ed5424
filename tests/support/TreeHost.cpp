#include "tests/support/TreeHost.h"

#include "tests/support/ModalDriver.h"

#include <gtest/gtest.h>

// clang-format off
const std::vector<STreeItemPlan> g_nestedTree = {{"Default", nullptr}, {"SubSystems", nullptr},
    {"Alpha", "SubSystems"}, {"Beta", "SubSystems"}, {"Beta1", "Beta"}, {"Beta2", "Beta"},
    {"Gamma", "SubSystems"}};
const std::vector<STreeItemPlan> g_dialogTree = {{"Default", nullptr}, {"SubSystems", nullptr},
    {"Alpha", "SubSystems"}, {"Beta", "SubSystems"}, {"Gamma", "SubSystems"}};
// clang-format on

namespace {

constexpr int kTreeId = 1000;

int Answer(const std::map<std::string, int>& answers, const std::string& name) {
    const auto it = answers.find(name);
    return it == answers.end() ? 1 : it->second;
}

int QueryCallback(void* pContext, BOOL bCheck, HTREEITEM hItem) {
    auto* host = static_cast<CTreeHost*>(pContext);
    host->Record("Q", bCheck, hItem);
    return Answer(host->m_queryAnswer, host->Name(hItem));
}

int ChangeCallback(void* pContext, BOOL bCheck, HTREEITEM hItem) {
    auto* host = static_cast<CTreeHost*>(pContext);
    host->Record("C", bCheck, hItem);
    if (host->m_onChange)
        host->m_onChange(bCheck, hItem);
    return Answer(host->m_changeAnswer, host->Name(hItem));
}

} // namespace

BOOL CRecordingTree::SetItemCheck(HTREEITEM hItem, BOOL bCheck) {
    m_pHost->Record("S", bCheck, hItem);
    if (hItem == m_hRefuse)
        return FALSE;
    if (!m_bReference)
        return CCheckBoxTree::SetItemCheck(hItem, bCheck);
    const BOOL result = SetCheck(hItem, bCheck);
    for (HTREEITEM hParent = GetParentItem(hItem); m_bPropagate && hParent;
         hParent = GetParentItem(hParent)) {
        BOOL all = TRUE;
        for (HTREEITEM hChild = GetChildItem(hParent); hChild && all;
             hChild = GetNextSiblingItem(hChild))
            all &= GetCheck(hChild) & 1;
        SetCheck(hParent, all);
        ChangeCallback(m_pHost, all, hParent);
    }
    return result;
}

BEGIN_MESSAGE_MAP(CTreeHost, CWnd)
ON_NOTIFY(TVN_SELCHANGINGA, kTreeId, OnSelChanging)
ON_NOTIFY(TVN_SELCHANGEDA, kTreeId, OnSelChanged)
ON_NOTIFY(NM_CLICK, kTreeId, OnParentNotify)
ON_NOTIFY(NM_DBLCLK, kTreeId, OnParentNotify)
END_MESSAGE_MAP()

CTreeHost::CTreeHost(const std::vector<STreeItemPlan>& items) {
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "QuarnTreeHost";
    RegisterClassA(&wc); // fails harmlessly once registered
    // Attached before the tree exists, so that every notification goes through the map.
    SubclassWindow(CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                   100, 420, 420, nullptr, nullptr, nullptr, nullptr));
    HWND hTree =
        CreateWindowExA(0, WC_TREEVIEWA, "", 0x50810137, 10, 10, 300, 340, m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeId)), nullptr, nullptr);
    // The spy sits between the control object and the tree view's own procedure.
    SetWindowLongPtrA(hTree, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_pfnTreeView = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hTree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeViewSpy)));
    m_tree.m_pHost = this;
    m_tree.SubclassWindow(hTree);

    m_tree.ModifyStyle(TVS_CHECKBOXES, 0);
    m_tree.ModifyStyle(0, TVS_CHECKBOXES);
    for (const STreeItemPlan& plan : items)
        m_items[plan.pszName] =
            m_tree.InsertItem(plan.pszName, plan.pszParent ? Item(plan.pszParent) : TVI_ROOT);
    for (const STreeItemPlan& plan : items)
        if (plan.pszParent)
            m_tree.Expand(Item(plan.pszParent), TVE_EXPAND);
    m_tree.m_bPropagate = TRUE;
    m_tree.SetQueryCheckCallback(&QueryCallback, this);
    m_tree.SetCheckChangedCallback(&ChangeCallback, this);

    m_tree.SelectItem(Item("Default"));
    ::SetFocus(m_tree);
    Pump();
    m_events.clear();
    m_passedOn.clear();
}

CTreeHost::~CTreeHost() {
    DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CTreeHost::TreeViewSpy(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<CTreeHost*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if ((message >= WM_KEYDOWN && message <= WM_CHAR) ||
        (message >= WM_LBUTTONDOWN && message <= WM_LBUTTONDBLCLK))
        host->m_passedOn.push_back(message);
    return CallWindowProcA(host->m_pfnTreeView, hWnd, message, wParam, lParam);
}

void CTreeHost::Record(const char* pszWhat, BOOL bCheck, HTREEITEM hItem) {
    m_events.push_back(std::string(pszWhat) + " " + Name(hItem) + (bCheck ? " 1" : " 0"));
}

void CTreeHost::OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult) {
    m_events.push_back("SelChanging " +
                       Name(reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemNew.hItem));
    *pResult = m_bRefuseSelection;
}

void CTreeHost::OnSelChanged(NMHDR* pNMHDR, LRESULT*) {
    m_events.push_back("SelChanged " + Name(reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemNew.hItem));
}

void CTreeHost::OnParentNotify(NMHDR* pNMHDR, LRESULT*) {
    m_events.push_back(pNMHDR->code == static_cast<UINT>(NM_CLICK) ? "NM_CLICK" : "NM_DBLCLK");
}

std::string CTreeHost::Name(HTREEITEM hItem) const {
    for (const auto& [name, item] : m_items)
        if (item == hItem)
            return name;
    return "-";
}

std::string CTreeHost::Checked() const {
    std::string result;
    std::function<void(HTREEITEM)> visit = [&](HTREEITEM hFirst) {
        for (HTREEITEM hItem = hFirst; hItem; hItem = m_tree.GetNextSiblingItem(hItem)) {
            if (m_tree.GetCheck(hItem))
                result += (result.empty() ? "" : " ") + Name(hItem);
            visit(m_tree.GetChildItem(hItem));
        }
    };
    visit(m_tree.GetNextItem(nullptr, TVGN_ROOT));
    return result;
}

HTREEITEM CTreeHost::Insert(const std::string& name, const std::string& parent, HTREEITEM hAfter,
                            BOOL bCheck) {
    return m_items[name] = m_tree.InsertItem(TVIF_TEXT | TVIF_STATE, name.c_str(), 0, 0,
                                             CTreeCtrl::CheckStateImage(bCheck),
                                             TVIS_STATEIMAGEMASK, 0, Item(parent), hAfter);
}

void CTreeHost::Delete(const std::string& name) {
    const HTREEITEM hItem = Item(name);
    std::vector<std::string> gone;
    for (const auto& [other, hOther] : m_items)
        for (HTREEITEM h = hOther; h; h = m_tree.GetParentItem(h))
            if (h == hItem)
                gone.push_back(other);
    m_tree.SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(hItem));
    for (const std::string& other : gone)
        m_items.erase(other);
}

std::vector<std::string> CTreeHost::Names() const {
    std::vector<std::string> names;
    for (const auto& entry : m_items)
        names.push_back(entry.first);
    return names;
}

bool CTreeHost::Expanded(const std::string& name) const {
    return m_tree.SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(Item(name)),
                              TVIS_EXPANDED) != 0;
}

std::vector<std::string> CTreeHost::Take() {
    std::vector<std::string> events;
    events.swap(m_events);
    return events;
}

POINT CTreeHost::At(const std::string& name, Spot spot) const {
    const RECT label = testing_support::LabelRect(m_tree.m_hWnd, Item(name));
    EXPECT_NE(label.right, 0);
    const LONG y = (label.top + label.bottom) / 2;
    if (spot == Spot::Label || spot == Spot::RightOfLabel)
        return {spot == Spot::Label ? (label.left + label.right) / 2 : label.right + 20, y};
    // The middle of the run of points left of the label that hit-test as the wanted part.
    const UINT wanted = spot == Spot::StateIcon ? TVHT_ONITEMSTATEICON : TVHT_ONITEMBUTTON;
    LONG first = -1, last = -1;
    for (LONG x = 0; x < label.left; ++x) {
        TVHITTESTINFO hit = {{x, y}, 0, nullptr};
        if (m_tree.HitTest(&hit) == Item(name) && hit.flags == wanted) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    EXPECT_GE(first, 0) << name << ": no such spot";
    return {(first + last) / 2, y};
}

void CTreeHost::Click(const std::string& name, Spot spot, bool bDouble) {
    POINT pt = At(name, spot);
    const LPARAM lParam = MAKELPARAM(pt.x, pt.y);
    ClientToScreen(m_tree, &pt);
    SetCursorPos(pt.x, pt.y);
    Pump();
    // A double-click queues down, up, double-click, up for a CS_DBLCLKS class such as this one.
    const UINT messages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
    for (int i = 0; i < (bDouble ? 4 : 2); ++i)
        PostMessageA(m_tree, messages[i], messages[i] == WM_LBUTTONUP ? 0 : MK_LBUTTON, lParam);
    Pump();
}

void CTreeHost::Key(UINT message, WPARAM key, bool bRepeat, HWND hTarget) {
    LPARAM lParam = 1;
    if (bRepeat || message == WM_KEYUP)
        lParam |= LPARAM(1) << 30; // the key was down before
    if (message == WM_KEYUP)
        lParam |= LPARAM(1) << 31;
    PostMessageA(hTarget ? hTarget : m_tree.m_hWnd, message, key, lParam);
    Pump();
}

void CTreeHost::Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}
