// The check-box tree under real mouse and keyboard messages: which input toggles a box, what the
// tree view still does by itself, and in which order the owner hears of it.
#include "tests/support/TreeHost.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Events = std::vector<std::string>;
using Messages = std::vector<UINT>;

bool Has(const Messages& messages, UINT message) {
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

// Beta toggled on from all clear: queries, sets with the upward reports that each causes (Beta is
// reported clear while only one child is set), change reports, and the selection last.
const Events kBetaOn = {"Q Beta 1",       "Q Beta1 1", "Q Beta2 1",        "S Beta 1",
                        "C SubSystems 0", "S Beta1 1", "C Beta 0",         "C SubSystems 0",
                        "S Beta2 1",      "C Beta 1",  "C SubSystems 0",   "C Beta 1",
                        "C Beta1 1",      "C Beta2 1", "SelChanging Beta", "SelChanged Beta"};

TEST(CheckBoxTreeMouse, ClickOnTheStateIconTogglesOnceThenSelects) {
    CTreeHost host;
    host.Click("Beta", Spot::StateIcon);
    EXPECT_EQ(host.Take(), kBetaOn);
    EXPECT_EQ(host.Checked(), "Beta Beta1 Beta2");
    EXPECT_EQ(host.Selected(), "Beta");

    // A double-click toggles once, through its first press, and neither expands nor collapses.
    host.Click("Beta", Spot::StateIcon, true);
    EXPECT_EQ(host.Take().size(), kBetaOn.size() - 2); // no selection change this time
    EXPECT_EQ(host.Checked(), "");
    host.Click("SubSystems", Spot::Label, true);
    EXPECT_EQ(host.Take(), Events({"SelChanging SubSystems", "SelChanged SubSystems"}));
    EXPECT_TRUE(host.Expanded("SubSystems") && host.Expanded("Beta"));
    EXPECT_FALSE(Has(host.m_passedOn, WM_LBUTTONDBLCLK));

    // A refused selection leaves the check change in place.
    host.m_bRefuseSelection = true;
    host.Click("Alpha", Spot::StateIcon);
    EXPECT_EQ(host.Take(), Events({"Q Alpha 1", "S Alpha 1", "C SubSystems 0", "C Alpha 1",
                                   "SelChanging Alpha"}));
    EXPECT_EQ(host.Checked(), "Alpha");
    EXPECT_EQ(host.Selected(), "SubSystems");
}

TEST(CheckBoxTreeMouse, ClicksElsewhereOnTheRowActAsInAPlainTree) {
    struct Row {
        const char* item;
        Spot spot;
        Events events;
        const char* selected;
        bool betaExpanded;
    } const rows[] = {
        {"Alpha", Spot::Label, {"SelChanging Alpha", "SelChanged Alpha"}, "Alpha", true},
        {"Gamma", Spot::RightOfLabel, {}, "Alpha", true},
        {"Beta", Spot::Button, {}, "Alpha", false},
        {"Beta", Spot::Button, {}, "Alpha", true},
    };
    CTreeHost host;
    for (const Row& row : rows) {
        host.Click(row.item, row.spot);
        EXPECT_EQ(host.Take(), row.events) << row.item;
        EXPECT_EQ(host.Checked(), "");
        EXPECT_EQ(host.Selected(), row.selected);
        EXPECT_EQ(host.Expanded("Beta"), row.betaExpanded);
    }
}

TEST(CheckBoxTreeKeys, SpaceTogglesTheSelectedItemAndIsKeptFromTheTreeView) {
    CTreeHost host; // "Default", a root item without children, is selected
    const Events on = {"Q Default 1", "S Default 1", "C Default 1"};
    const Events off = {"Q Default 0", "S Default 0", "C Default 0"};
    host.Key(WM_KEYDOWN, VK_SPACE);
    host.Key(WM_CHAR, ' ');
    host.Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(host.Take(), on);
    for (int i = 0; i < 2; ++i) // held down: each auto-repeated key-down toggles again
        host.Key(WM_KEYDOWN, VK_SPACE, true);
    Events twice = off;
    twice.insert(twice.end(), on.begin(), on.end());
    EXPECT_EQ(host.Take(), twice);
    EXPECT_EQ(host.Checked(), "Default");
    EXPECT_TRUE(host.m_passedOn.empty());

    host.Key(WM_KEYDOWN, VK_DOWN); // any other key goes on to the tree view
    host.Key(WM_KEYUP, VK_DOWN);
    EXPECT_EQ(host.Take(), Events({"SelChanging SubSystems", "SelChanged SubSystems"}));
    EXPECT_EQ(host.m_passedOn, Messages({WM_KEYDOWN, WM_KEYUP}));

    host.m_tree.SelectItem(nullptr); // no selection: nothing, and still not passed on
    host.Take();
    host.m_passedOn.clear();
    host.Key(WM_KEYDOWN, VK_SPACE);
    EXPECT_EQ(host.Take(), Events());
    EXPECT_TRUE(host.m_passedOn.empty());
}

TEST(CheckBoxTreeKeys, SpaceGoesOnWhileALabelIsEdited) {
    CTreeHost host;
    host.m_tree.ModifyStyle(0, TVS_EDITLABELS);
    HWND hEdit = reinterpret_cast<HWND>(
        host.m_tree.SendMessage(TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(host.Item("Alpha"))));
    ASSERT_TRUE(hEdit);
    ASSERT_EQ(GetFocus(), hEdit);
    for (HWND hTarget : {hEdit, host.m_tree.m_hWnd}) {
        host.Key(WM_KEYDOWN, VK_SPACE, false, hTarget);
        host.Key(WM_CHAR, ' ', false, hTarget);
        host.Key(WM_KEYUP, VK_SPACE, false, hTarget);
    }
    char text[16] = {};
    GetWindowTextA(hEdit, text, sizeof(text));
    EXPECT_STREQ(text, " "); // typed into the edit box, which has the focus
    EXPECT_EQ(host.m_passedOn, Messages({WM_KEYDOWN, WM_CHAR, WM_KEYUP})); // those sent to the tree
    EXPECT_EQ(host.Take(), Events());
    host.m_tree.SendMessage(TVM_ENDEDITLABELNOW, TRUE);
}

// The parent hands the tree's notification back to the control, whose result is what the tree
// view gets; messages that the control does not handle reach the tree view as usual.
TEST(MessageReflection, ResultReachesTheTreeViewAndUnhandledMessagesGoOn) {
    CTreeHost host;
    host.m_tree.SetQueryCheckCallback(nullptr, nullptr);
    host.m_tree.SetCheckChangedCallback(nullptr, nullptr);
    host.Click("Alpha", Spot::StateIcon);
    // Without the result 1 the tree view would toggle the box back itself. The parent's own
    // NM_CLICK entry does not run for a notification that the control handled.
    EXPECT_EQ(host.Checked(), "Alpha");
    EXPECT_EQ(host.Take(), Events({"S Alpha 1", "SelChanging Alpha", "SelChanged Alpha"}));
    EXPECT_EQ(host.m_passedOn, Messages({WM_LBUTTONDOWN, WM_LBUTTONUP}));

    EXPECT_EQ(host.m_tree.SendMessage(TVM_GETCOUNT), 7);
    host.Key(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(host.Selected(), "Beta");
}

} // namespace
