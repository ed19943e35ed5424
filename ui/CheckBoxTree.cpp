#include "ui/CheckBoxTree.h"

#include "ui/CheckBoxImages.h"

namespace {

constexpr int kGoOn = 1;
constexpr UINT kClearStateImage = INDEXTOSTATEIMAGEMASK(1);

// Whether a TVM_SETITEM may leave its item's box clear: it sets the state image to the clear one,
// or only some of the image bits, so that the outcome depends on the bits left alone.
bool MayClearCheckBox(const TVITEMA& item) {
    if (!(item.mask & TVIF_STATE))
        return false;
    const UINT imageMask = item.stateMask & TVIS_STATEIMAGEMASK;
    return imageMask != 0 && (imageMask != TVIS_STATEIMAGEMASK ||
                              (item.state & TVIS_STATEIMAGEMASK) == kClearStateImage);
}

} // namespace

BEGIN_MESSAGE_MAP(CCheckBoxTree, CTreeCtrl)
ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_WM_CHAR()
ON_WM_LBUTTONDBLCLK()
ON_WM_PAINT()
// The tree view's messages that change check boxes or which items are whose children where.
ON_MESSAGE(TVM_SETITEMA, OnSetItem)
ON_MESSAGE(TVM_SETITEMW, OnSetItem)
ON_MESSAGE(TVM_INSERTITEMA, OnInsertItem)
ON_MESSAGE(TVM_INSERTITEMW, OnInsertItem)
ON_MESSAGE(TVM_DELETEITEM, OnRearrange)
ON_MESSAGE(TVM_SORTCHILDREN, OnRearrange)
ON_MESSAGE(TVM_SORTCHILDRENCB, OnRearrange)
ON_MESSAGE(WM_DESTROY, OnRearrange)
ON_MESSAGE(TVM_EXPAND, OnExpand)
ON_MESSAGE(TVM_SETIMAGELIST, OnSetImageList)
ON_MESSAGE(WM_STYLECHANGED, OnStyleChanged)
END_MESSAGE_MAP()

CCheckBoxTree::CCheckBoxTree() = default;

// The window is gone by now: nothing draws with the images any more.
CCheckBoxTree::~CCheckBoxTree() {
    if (m_hCheckBoxImages)
        ::ImageList_Destroy(m_hCheckBoxImages);
}

void CCheckBoxTree::SetCheckBoxImagesForDpi(UINT nDpi) {
    const HIMAGELIST hImages = CreateCheckBoxStateImages(m_hWnd, nDpi);
    if (!hImages)
        return;
    const HIMAGELIST hReplaced = reinterpret_cast<HIMAGELIST>(
        SendMessage(TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(hImages)));
    // A tree view never destroys its state images, not even those it made itself.
    if (hReplaced)
        ::ImageList_Destroy(hReplaced);
    m_hCheckBoxImages = hImages;
}

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
    // The parent is looked up first (nothing runs in between) so that the set knows it.
    const HTREEITEM hParent = GetParentItem(hItem);
    const BOOL result = SetCheckOfChild(hParent, hItem, bCheck);
    UpdateParentChecks(hItem, hParent);
    return result;
}

BOOL CCheckBoxTree::SetCheckOfChild(HTREEITEM hParent, HTREEITEM hItem, BOOL bCheck) {
    const HTREEITEM hOuterItem = m_hSettingItem, hOuterParent = m_hSettingParent;
    m_hSettingItem = hItem;
    m_hSettingParent = hParent;
    const BOOL result = SetCheck(hItem, bCheck);
    m_hSettingItem = hOuterItem;
    m_hSettingParent = hOuterParent;
    return result;
}

void CCheckBoxTree::UpdateParentChecks(HTREEITEM hItem, HTREEITEM hParent) {
    for (HTREEITEM hChild = hItem; m_bPropagate && hParent;) {
        const BOOL all = AreAllChildrenChecked(hParent, hChild);
        const HTREEITEM hGrandparent = GetParentItem(hParent);
        // The plain SetCheck: a parent's recomputed state starts no walk of its own.
        SetCheckOfChild(hGrandparent, hParent, all);
        if (m_pfnCheckChanged)
            m_pfnCheckChanged(m_pCheckChangedContext, all, hParent);
        hChild = hParent;
        hParent = hGrandparent;
    }
}

// The changed child first: clear, it decides at once. Otherwise the read starts where the last
// decision about this parent found a clear child and moves on only past checked children, so a
// walk that sets N children reads each of them about once, from any starting state. Nothing is
// called back while reading, so the answer is the one a read from the first child would give.
BOOL CCheckBoxTree::AreAllChildrenChecked(HTREEITEM hParent, HTREEITEM hChanged) {
    if (!(GetCheck(hChanged) & 1))
        return FALSE;
    HTREEITEM hChild;
    const auto known = m_firstClearChild.find(hParent);
    if (known == m_firstClearChild.end())
        hChild = GetChildItem(hParent);
    else if (!known->second)
        return TRUE;
    else
        hChild = known->second;
    for (; hChild; hChild = GetNextSiblingItem(hChild)) {
        if (hChild != hChanged && !(GetCheck(hChild) & 1)) {
            m_firstClearChild[hParent] = hChild;
            return FALSE;
        }
    }
    m_firstClearChild[hParent] = nullptr;
    return TRUE;
}

// hChild's box may be clear from now on, or hChild is new. Knowing every other child checked, the
// read can start at hChild; knowing only those before another child, it must start at the first.
void CCheckBoxTree::NoteChildMayBeClear(HTREEITEM hParent, HTREEITEM hChild) {
    const auto known = m_firstClearChild.find(hParent);
    if (known == m_firstClearChild.end() || known->second == hChild)
        return;
    if (!known->second)
        known->second = hChild;
    else
        m_firstClearChild.erase(known);
}

void CCheckBoxTree::ForgetClearChildren() {
    m_firstClearChild.clear();
}

LRESULT CCheckBoxTree::OnSetItem(WPARAM, LPARAM lParam) {
    // TVITEMW has the same layout up to the text.
    const TVITEMA* pItem = reinterpret_cast<const TVITEMA*>(lParam);
    if (pItem && !m_firstClearChild.empty() && MayClearCheckBox(*pItem)) {
        const HTREEITEM hParent =
            pItem->hItem == m_hSettingItem ? m_hSettingParent : GetParentItem(pItem->hItem);
        NoteChildMayBeClear(hParent, pItem->hItem);
    }
    return Default();
}

LRESULT CCheckBoxTree::OnInsertItem(WPARAM, LPARAM lParam) {
    const LRESULT result = Default();
    // TVINSERTSTRUCTW has the same layout up to the item's text.
    const TVINSERTSTRUCTA* pInsert = reinterpret_cast<const TVINSERTSTRUCTA*>(lParam);
    if (result && pInsert)
        NoteChildMayBeClear(pInsert->hParent, reinterpret_cast<HTREEITEM>(result));
    return result;
}

// Deleting, sorting and destroying: what is known about any parent is dropped, before (the tree
// view tells the owner of deletions, and a sort may call the owner's comparison) and after.
LRESULT CCheckBoxTree::OnRearrange(WPARAM, LPARAM) {
    ForgetClearChildren();
    const LRESULT result = Default();
    ForgetClearChildren();
    return result;
}

// Collapsing with TVE_COLLAPSERESET deletes the item's children.
LRESULT CCheckBoxTree::OnExpand(WPARAM wParam, LPARAM lParam) {
    if (wParam & TVE_COLLAPSERESET)
        return OnRearrange(wParam, lParam);
    return Default();
}

LRESULT CCheckBoxTree::OnSetImageList(WPARAM wParam, LPARAM) {
    if (wParam == TVSIL_STATE) {
        ForgetClearChildren();
        m_bStateImagesMayReset = true;
    }
    return Default();
}

// Adding or removing TVS_CHECKBOXES gives items new state images.
LRESULT CCheckBoxTree::OnStyleChanged(WPARAM, LPARAM) {
    ForgetClearChildren();
    m_bStateImagesMayReset = true;
    const LRESULT result = Default();
    ForgetClearChildren();
    return result;
}

void CCheckBoxTree::OnPaint() {
    Default();
    if (m_bStateImagesMayReset) {
        m_bStateImagesMayReset = false;
        ForgetClearChildren();
    }
}
