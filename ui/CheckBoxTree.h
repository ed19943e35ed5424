// CCheckBoxTree: a tree view whose check boxes change only by a click on the box or the space
// bar, spread to descendants and ancestors, and are reported to the owner through two callbacks.
#pragma once

#include "framework/Controls.h"

// (context, new check state, item) -> lowest bit 1: go on (to the children; from a query: allow).
typedef int (*CheckCallback)(void* pContext, BOOL bCheck, HTREEITEM hItem);

class CCheckBoxTree : public CTreeCtrl {
public:
    CCheckBoxTree();
    ~CCheckBoxTree() override;

    void SetQueryCheckCallback(CheckCallback pfn, void* pContext);
    void SetCheckChangedCallback(CheckCallback pfn, void* pContext);

    // Sets hItem's box alone, then recomputes (and reports) its ancestors.
    virtual BOOL SetItemCheck(HTREEITEM hItem, BOOL bCheck);

private:
    CheckCallback m_pfnQueryCheck = nullptr;
    void* m_pQueryCheckContext = nullptr;
    CheckCallback m_pfnCheckChanged = nullptr;
    void* m_pCheckChangedContext = nullptr;

public:
    // Nonzero: changes spread to descendants and ancestors. Written by the owner.
    BOOL m_bPropagate = FALSE;

protected:
    void OnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnLButtonDblClk(UINT nFlags, CPoint point);

private:
    void ToggleCheck(HTREEITEM hItem);
    BOOL QueryCheck(HTREEITEM hItem, BOOL bCheck);
    void ApplyCheck(HTREEITEM hItem, BOOL bCheck);
    void NotifyCheckChanged(HTREEITEM hItem, BOOL bCheck);
    BOOL WalkSubtree(HTREEITEM hItem, CheckCallback pfn, BOOL bCheck, void* pContext);
    void UpdateParentChecks(HTREEITEM hItem);
    BOOL AreAllChildrenChecked(HTREEITEM hParent, HTREEITEM hChanged) const;
    bool IsEditingLabel() const;
    static int ApplyCheckCallback(void* pContext, BOOL bCheck, HTREEITEM hItem);

    DECLARE_MESSAGE_MAP()
};
