// The floors the dialog benchmark compares with: what start-up, Apply, ticking and clearing
// cannot do without.
#pragma once

#include "bench/DialogScenario.h"
#include "ui/CheckBoxTree.h"

namespace bench {

// The opens, creates, writes and closes that storing n subsystems needs, without the dialog.
double BareSave(int n);
// What start-up cannot do without, done where the dialog does it (before it is shown): the
// dialog's windows from its template, the reads, the enumeration and the tree insertions.
double BareStartUp();

// The check-box tree's own part of ticking and clearing "SubSystems": the same control with
// the same items, in a window that is not shown, with an owner that allows every change and does
// nothing when told of one, so that the tree view gets the same messages as in the dialog. Under
// Wine its cost per message grows with the number of items (every item handle is looked for among
// all of them).
class CTreeAlone : public CWnd {
public:
    explicit CTreeAlone(int n);
    ~CTreeAlone() override;

    // The boxes of the starting state that the tick op starts from, set around the control.
    void SetStart(Operation op, int n);
    // A real click on the box of "SubSystems": its time.
    double Toggle();

private:
    static int GoOn(void*, BOOL, HTREEITEM) { return 1; }

    CCheckBoxTree m_tree;
    HTREEITEM m_hParent;
};

} // namespace bench
