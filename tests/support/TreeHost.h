// CTreeHost: a top-level window hosting a check-box tree as the configuration dialog does (tree
// style 0x50810137, check-box style removed and added again before the items go in, spreading on,
// both callbacks registered with the host as context). It records in order what the control tells
// its owner, and drives it with real input: the cursor is put on the spot (the control reads it
// when it handles NM_CLICK), the button or key messages are posted, and the queue is pumped.
// Wine's tree view hit-tests the 13-pixel state icon immediately left of the label and the expand
// button left of that; with TVS_DISABLEDRAGDROP it sends NM_CLICK on the button-down, before any
// selection, expansion or toggle of its own.
#pragma once

#include "ui/CheckBoxTree.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

struct STreeItemPlan {
    const char* pszName;
    const char* pszParent; // nullptr: a root item
};
// Default; SubSystems > (Alpha, Beta > (Beta1, Beta2), Gamma); all expanded.
extern const std::vector<STreeItemPlan> g_nestedTree;
// The configuration dialog's shape: Default; SubSystems > (Alpha, Beta, Gamma).
extern const std::vector<STreeItemPlan> g_dialogTree;

class CTreeHost;

// Records every SetItemCheck, those of the control's own setting walk included; refuses
// m_hRefuse the way an override in a derived control may. With m_bReference it recomputes the
// ancestors itself, reading each one's children from the first: the plainest way to an answer
// that any faster one must equal.
class CRecordingTree : public CCheckBoxTree {
public:
    BOOL SetItemCheck(HTREEITEM hItem, BOOL bCheck) override;
    CTreeHost* m_pHost = nullptr;
    HTREEITEM m_hRefuse = nullptr;
    bool m_bReference = false;
};

enum class Spot { StateIcon, Button, Label, RightOfLabel };

class CTreeHost : public CWnd {
public:
    explicit CTreeHost(const std::vector<STreeItemPlan>& items = g_nestedTree);
    ~CTreeHost() override;

    CRecordingTree m_tree;
    // "Q|S|C <item> <state>" (query callback, SetItemCheck, change callback), "SelChanging <item>",
    // "SelChanged <item>", "NM_CLICK", "NM_DBLCLK" (reaching this window's own map).
    std::vector<std::string> m_events;
    std::vector<UINT> m_passedOn; // input messages that reached the tree view's own procedure
    std::map<std::string, int> m_queryAnswer, m_changeAnswer; // per item; 1 for the others
    std::function<void(BOOL, HTREEITEM)> m_onChange;          // runs inside the change callback
    bool m_bRefuseSelection = false;

    HTREEITEM Item(const std::string& name) const { return m_items.at(name); }
    std::string Name(HTREEITEM hItem) const; // "-" for none
    std::string Checked() const;             // checked labels in tree order
    // An item inserted with its box checked or clear, or deleted with its descendants, as an owner
    // may between two toggles.
    HTREEITEM Insert(const std::string& name, const std::string& parent, HTREEITEM hAfter,
                     BOOL bCheck);
    void Delete(const std::string& name);
    std::vector<std::string> Names() const; // every item, sorted by name
    std::string Selected() const { return Name(m_tree.GetSelectedItem()); }
    bool Expanded(const std::string& name) const;
    std::vector<std::string> Take(); // the events so far, then cleared

    POINT At(const std::string& name, Spot spot) const; // client coordinates
    void Click(const std::string& name, Spot spot, bool bDouble = false);
    void Key(UINT message, WPARAM key, bool bRepeat = false, HWND hTarget = nullptr);
    static void Pump();
    void Record(const char* pszWhat, BOOL bCheck, HTREEITEM hItem);

protected:
    void OnSelChanging(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnParentNotify(NMHDR* pNMHDR, LRESULT* pResult);

private:
    static LRESULT CALLBACK TreeViewSpy(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    std::map<std::string, HTREEITEM> m_items;
    WNDPROC m_pfnTreeView = nullptr;

    DECLARE_MESSAGE_MAP()
};
