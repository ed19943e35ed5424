// CCheckBoxTree: a tree view whose check boxes change only by a click on the box or the space
// bar, spread to descendants and ancestors, and are reported to the owner through two callbacks.
#pragma once

#include "framework/Controls.h"

#include <unordered_map>

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

    // Check boxes drawn for nDpi, in place of those the tree view drew for the DPI it had when
    // they were made; every box keeps its state. The images live as long as this object.
    void SetCheckBoxImagesForDpi(UINT nDpi);

private:
    CheckCallback m_pfnQueryCheck = nullptr;
    void* m_pQueryCheckContext = nullptr;
    CheckCallback m_pfnCheckChanged = nullptr;
    void* m_pCheckChangedContext = nullptr;
    HIMAGELIST m_hCheckBoxImages = nullptr; // set by SetCheckBoxImagesForDpi

public:
    // Nonzero: changes spread to descendants and ancestors. Written by the owner.
    BOOL m_bPropagate = FALSE;

protected:
    void OnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnLButtonDblClk(UINT nFlags, CPoint point);
    void OnPaint();
    LRESULT OnSetItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnInsertItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnRearrange(WPARAM wParam, LPARAM lParam);
    LRESULT OnExpand(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetImageList(WPARAM wParam, LPARAM lParam);
    LRESULT OnStyleChanged(WPARAM wParam, LPARAM lParam);

private:
    void ToggleCheck(HTREEITEM hItem);
    BOOL QueryCheck(HTREEITEM hItem, BOOL bCheck);
    void ApplyCheck(HTREEITEM hItem, BOOL bCheck);
    void NotifyCheckChanged(HTREEITEM hItem, BOOL bCheck);
    BOOL WalkSubtree(HTREEITEM hItem, CheckCallback pfn, BOOL bCheck, void* pContext);
    void UpdateParentChecks(HTREEITEM hItem, HTREEITEM hParent);
    BOOL AreAllChildrenChecked(HTREEITEM hParent, HTREEITEM hChanged);
    BOOL SetCheckOfChild(HTREEITEM hParent, HTREEITEM hItem, BOOL bCheck);
    void NoteChildMayBeClear(HTREEITEM hParent, HTREEITEM hChild);
    void ForgetClearChildren();
    bool IsEditingLabel() const;
    static int ApplyCheckCallback(void* pContext, BOOL bCheck, HTREEITEM hItem);

    // Per parent that the upward pass has decided about: the child its next decision reads first.
    // Every child before that one is checked; no child (null) means that every child is. A parent
    // without an entry is read from its first child. Only handles of live items are kept: every
    // change of a check box to clear, every insertion, deletion and sort passes through this
    // control's messages and is noted before the tree view carries it out.
    std::unordered_map<HTREEITEM, HTREEITEM> m_firstClearChild;
    // While SetCheckOfChild runs: the item it sets and that item's parent.
    HTREEITEM m_hSettingItem = nullptr;
    HTREEITEM m_hSettingParent = nullptr;
    // Wine's tree view clears every box at a paint that finds no state images yet.
    bool m_bStateImagesMayReset = true;

    DECLARE_MESSAGE_MAP()
};
