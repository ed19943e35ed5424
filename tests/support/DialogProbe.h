// Reads what a user of the configuration dialog sees, and works its tree as a user would.
#pragma once

#include "tests/support/RegistrySandbox.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace testing_support {

constexpr char kBaseKey[] = "SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging";
std::string SubSystemKey(const std::string& name);

// Rows of the level and type lists.
enum { kRelease, kDebug, kTrace, kLevelNone };
enum { kFatalErrors, kErrors, kWarnings, kInformation, kTypeNone };

// The editing tests' configuration: default settings Debug/Warning, 30 days; Alpha
// Trace/Information; Beta with no values (Default/Default); Gamma switched off.
void FillEditingConfiguration(RegistrySandbox& sandbox);

struct TreeItemState {
    std::string text;
    int depth;
    bool checked;
    bool selected;
    bool expanded;
    LPARAM data;
    bool operator==(const TreeItemState& other) const;
};

// Everything visible in the main dialog, plus the hidden index field.
struct DialogState {
    std::vector<TreeItemState> tree; // display order, parents before children
    std::string title;
    bool useDefaultLevel, useDefaultType;
    int levelRow, typeRow;
    std::string levelDescription, typeDescription, days, hiddenIndex;
    bool levelListEnabled, typeListEnabled;
    bool useDefaultLevelEnabled, useDefaultTypeEnabled;
    bool levelDescriptionEnabled, typeDescriptionEnabled;
    bool operator==(const DialogState& other) const;
    std::string Describe() const;
};

DialogState CaptureState(HWND hDlg);

HWND Tree(HWND hDlg);
// The item shown with this text (first in display order), or null.
HTREEITEM FindItem(HWND hDlg, const std::string& text);
std::vector<std::string> SubSystemTexts(HWND hDlg); // children of "SubSystems", display order
// Clicks on an item's check box, or on its label, with the mouse.
void ClickCheckBox(HWND hDlg, const std::string& text);
void ClickLabel(HWND hDlg, const std::string& text);
// The same for an item given by its handle; the tree is first scrolled so that the item is in
// view, as a user would before clicking it (a long list does not fit the tree).
void ClickItemCheckBox(HWND hDlg, HTREEITEM hItem);
void ClickItemLabel(HWND hDlg, HTREEITEM hItem);

// Every key and value below the configuration's base key, one "key\value=data" line each, in
// registry order.
std::string DumpConfiguration(const RegistrySandbox& sandbox);

} // namespace testing_support
