// What the dialog benchmark measures: the configuration it prepares, the actions it times, and
// the count of the tree-view messages each sends.
#pragma once

#include "tests/support/RegistrySandbox.h"

#include <windows.h>

#include <string>

namespace bench {

// The name of the i-th subsystem; their order is the tree's order.
std::string SubSystemName(int i);
// Mixed levels and types; every other subsystem (the second, the fourth, ...) is switched off. The
// middle one's level is never Default, so that its level list is enabled once it is ticked.
bool StartsOff(int i);
void PrepareConfiguration(RegistrySandbox& sandbox, int n);

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
inline const char* const kOperationNames[] = {"start-up",
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
inline int OneOffPosition(Operation op, int n) {
    return op == kTickFirstOff ? 0 : op == kTickMiddleOff ? n / 2 : n - 1;
}
// The starting states the tree alone is measured from, by the tick that starts there.
constexpr Operation kTicks[] = {kTickEveryOtherOff, kTick, kTickFirstOff, kTickMiddleOff,
                                kTickLastOff};

// Ticking and clearing are cheap next to start-up and Apply: each session and each tree alone
// does them several times, for a steadier median on a busy machine.
constexpr int kTogglePairs = 3;

// Tree-view messages sent since the count was last set to 0, while CountTreeMessages is hooked
// (WH_CALLWNDPROC) on the thread.
extern long g_treeMessages;
LRESULT CALLBACK CountTreeMessages(int code, WPARAM wParam, LPARAM lParam);

} // namespace bench
