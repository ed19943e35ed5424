#include "ui/CheckBoxTree.h"

namespace {
constexpr int kGoOn = 1;
} // namespace

BEGIN_MESSAGE_MAP(CCheckBoxTree, CTreeCtrl)
ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_CHAR()
ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CCheckBoxTree::CCheckBoxTree() = default;

CCheckBoxTree::~CCheckBoxTree() = default;

void CCheckBoxTree::SetQueryCheckCallback(CheckCallback pfn, void* pContext) {
    m_pfnQueryCheck = pfn;
    m_pQueryCheckContext = pContext;
}

void CCheckBoxTree::SetCheckChangedCallback(CheckCallback pfn, void* pContext) {
    m_pfnCheckChanged = pfn;
    m_pCheckChangedContext = pContext;
}

void CCheckBoxTree::OnClick(NMHDR*, LRESULT* pResult) {
    // The notification carries no point: the cursor position now is the one that counts.
    TVHITTESTINFO hit = {};
    ::GetCursorPos(&hit.pt);
    ScreenToClient(&hit.pt);
    HitTest(&hit);
    if (hit.flags & TVHT_ONITEMSTATEICON) {
        ToggleCheck(hit.hItem);
        *pResult = 1; // the tree view must not toggle the box a second time
    } else {
        *pResult = 0;
    }
}

bool CCheckBoxTree::IsEditingLabel() const {
    return GetEditControl() != nullptr;
}

void CCheckBoxTree::OnKeyDown(UINT nChar, UINT, UINT) {
    if (IsEditingLabel() || nChar != VK_SPACE) {
        Default();
        return;
    }
    // The tree view's own handling of the space bar would toggle the box again: keep it out.
    if (HTREEITEM hItem = GetSelectedItem())
        ToggleCheck(hItem);
}

void CCheckBoxTree::OnKeyUp(UINT nChar, UINT, UINT) {
    if (IsEditingLabel() || nChar != VK_SPACE)
        Default();
}

void CCheckBoxTree::OnChar(UINT nChar, UINT, UINT) {
    if (IsEditingLabel() || nChar != ' ')
        Default();
}

// A double-click would toggle the box again or expand the item: it does nothing at all.
void CCheckBoxTree::OnLButtonDblClk(UINT, CPoint) {}

void CCheckBoxTree::ToggleCheck(HTREEITEM hItem) {
    const BOOL bCheck = GetCheck(hItem) == 0 ? TRUE : FALSE;
    if (QueryCheck(hItem, bCheck)) {
        ApplyCheck(hItem, bCheck);
        NotifyCheckChanged(hItem, bCheck);
    }
    // Selected last, so the owner's selection handlers see the check change already made.
    SelectItem(hItem);
}

BOOL CCheckBoxTree::WalkSubtree(HTREEITEM hItem, CheckCallback pfn, BOOL bCheck, void* pContext) {
    const BOOL goOn = pfn(pContext, bCheck, hItem) & kGoOn;
    if (m_bPropagate && goOn && ItemHasChildren(hItem)) {
        // Children are looked up afresh at each step: callbacks may have changed the tree's states.
        for (HTREEITEM hChild = GetChildItem(hItem); hChild; hChild = GetNextSiblingItem(hChild))
            WalkSubtree(hChild, pfn, bCheck, pContext);
    }
    return goOn;
}

BOOL CCheckBoxTree::QueryCheck(HTREEITEM hItem, BOOL bCheck) {
    if (!m_pfnQueryCheck)
        return TRUE;
    return WalkSubtree(hItem, m_pfnQueryCheck, bCheck, m_pQueryCheckContext);
}

void CCheckBoxTree::ApplyCheck(HTREEITEM hItem, BOOL bCheck) {
    WalkSubtree(hItem, &CCheckBoxTree::ApplyCheckCallback, bCheck, this);
}

void CCheckBoxTree::NotifyCheckChanged(HTREEITEM hItem, BOOL bCheck) {
    if (m_pfnCheckChanged)
        WalkSubtree(hItem, m_pfnCheckChanged, bCheck, m_pCheckChangedContext);
}

int CCheckBoxTree::ApplyCheckCallback(void* pContext, BOOL bCheck, HTREEITEM hItem) {
    return static_cast<CCheckBoxTree*>(pContext)->SetItemCheck(hItem, bCheck);
}

BOOL CCheckBoxTree::SetItemCheck(HTREEITEM hItem, BOOL bCheck) {
    const BOOL result = SetCheck(hItem, bCheck);
    UpdateParentChecks(hItem);
    return result;
}

void CCheckBoxTree::UpdateParentChecks(HTREEITEM hItem) {
    for (HTREEITEM hChild = hItem, hParent = GetParentItem(hItem); m_bPropagate && hParent;
         hChild = hParent, hParent = GetParentItem(hParent)) {
        const BOOL all = AreAllChildrenChecked(hParent, hChild);
        // The plain SetCheck: a parent's recomputed state starts no walk of its own.
        SetCheck(hParent, all);
        if (m_pfnCheckChanged)
            m_pfnCheckChanged(m_pCheckChangedContext, all, hParent);
    }
}

// Read from the child that just changed to the last, then from the first up to it: a walk that
// sets the children one after another finds the next, still unset, child at once, instead of
// reading again every child it has set before. Nothing is called back while reading, so the
// answer is the one a read from the first child would give.
BOOL CCheckBoxTree::AreAllChildrenChecked(HTREEITEM hParent, HTREEITEM hChanged) const {
    for (HTREEITEM hChild = hChanged; hChild; hChild = GetNextSiblingItem(hChild))
        if (!(GetCheck(hChild) & 1))
            return FALSE;
    for (HTREEITEM hChild = GetChildItem(hParent); hChild && hChild != hChanged;
         hChild = GetNextSiblingItem(hChild))
        if (!(GetCheck(hChild) & 1))
            return FALSE;
    return TRUE;
}
