// The check-box tree's walks: what a toggle queries, sets and reports with spreading on and off,
// how the callbacks' answers steer it, the upward pass of SetItemCheck, and an owner that calls
// the control again from inside its change callback.
#include "tests/support/TreeHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using Events = std::vector<std::string>;

// The events of one kind: 'Q', 'S' or 'C'.
Events Only(const Events& events, char kind) {
    Events result;
    for (const std::string& event : events)
        if (event[0] == kind && event[1] == ' ')
            result.push_back(event);
    return result;
}

// The change reports after the last SetItemCheck: that set's upward reports, then the change walk.
Events AfterLastSet(const Events& events) {
    Events result;
    for (const std::string& event : events) {
        if (event[0] == 'S' && event[1] == ' ')
            result.clear();
        else if (event[0] == 'C')
            result.push_back(event);
    }
    return result;
}

const char kAll[] = "SubSystems Alpha Beta Beta1 Beta2 Gamma";

TEST(CheckBoxTreeWalk, ToggleOfATreeFromTheTop) {
    CTreeHost host;
    host.Click("SubSystems", Spot::StateIcon);
    // clang-format off
    EXPECT_EQ(host.Take(), Events({
        "Q SubSystems 1", "Q Alpha 1", "Q Beta 1", "Q Beta1 1", "Q Beta2 1", "Q Gamma 1",
        "S SubSystems 1",
        "S Alpha 1", "C SubSystems 0",
        "S Beta 1", "C SubSystems 0",
        "S Beta1 1", "C Beta 0", "C SubSystems 0", // Beta clear while only one child is set
        "S Beta2 1", "C Beta 1", "C SubSystems 0",
        "S Gamma 1", "C SubSystems 1",
        "C SubSystems 1", "C Alpha 1", "C Beta 1", "C Beta1 1", "C Beta2 1", "C Gamma 1",
        "SelChanging SubSystems", "SelChanged SubSystems"}));
    // clang-format on
    EXPECT_EQ(host.Checked(), kAll);

    // Unchecking one grandchild clears its parent and every ancestor above, each reported.
    host.Click("Beta2", Spot::StateIcon);
    EXPECT_EQ(host.Take(), Events({"Q Beta2 0", "S Beta2 0", "C Beta 0", "C SubSystems 0",
                                   "C Beta2 0", "SelChanging Beta2", "SelChanged Beta2"}));
    EXPECT_EQ(host.Checked(), "Alpha Beta1 Gamma");
}

TEST(CheckBoxTreeWalk, ParentIsCheckedExactlyWhenAllChildrenAre) {
    const std::pair<const char*, const char*> steps[] = {
        {"Alpha", "Alpha"},
        {"Beta1", "Alpha Beta1"},
        {"Beta2", "Alpha Beta Beta1 Beta2"},
        {"Gamma", kAll},
        {"Beta1", "Alpha Beta2 Gamma"},
        {"Beta", kAll}, // a parent with some children clear: all of them set
        {"SubSystems", ""},
    };
    CTreeHost host;
    for (const auto& [click, checked] : steps) {
        host.Click(click, Spot::StateIcon);
        EXPECT_EQ(host.Checked(), checked) << click;
    }
}

// clang-format off
const std::vector<STreeItemPlan> kDeepTree = {{"Default", nullptr}, {"SubSystems", nullptr},
    {"A", "SubSystems"}, {"A1", "A"}, {"A1a", "A1"}, {"A1b", "A1"}, {"A1c", "A1"}, {"A2", "A"},
    {"A2a", "A2"}, {"B", "SubSystems"}, {"C", "SubSystems"}, {"C1", "C"}, {"C2", "C"}, {"C3", "C"},
    {"C4", "C"}, {"C5", "C"}, {"C6", "C"}, {"C7", "C"}, {"C8", "C"}, {"D", "SubSystems"}};
// clang-format on

// Fixed-seed runs of clicks and space bars on a deep tree, with spreading switched off and on,
// vetoes, change answers that stop walks, refused sets, the owner's own sets (through the
// control and around it), and items inserted, deleted and sorted between the steps. Each run
// starts with the boxes set around the control: one child of every parent clear at the first,
// middle or last place, every other child clear, or all checked. The owner hears the same and
// sees the same boxes after every step as from the reference, which reads each parent's children
// from the first.
TEST(CheckBoxTreeWalk, UpwardPassAnswersAsReadingFromTheFirstChild) {
    const std::pair<const char*, bool (*)(int, int)> starts[] = {
        {"all checked", [](int, int) { return false; }},
        {"first clear", [](int i, int) { return i == 0; }},
        {"middle clear", [](int i, int n) { return i == n / 2; }},
        {"last clear", [](int i, int n) { return i == n - 1; }},
        {"every other clear", [](int i, int) { return i % 2 == 1; }},
    };
    const auto run = [](bool bReference, bool (*clear)(int, int), unsigned seed) {
        CTreeHost host(kDeepTree);
        host.m_tree.m_bReference = bReference;
        std::function<void(HTREEITEM)> setStart = [&](HTREEITEM hFirst) {
            int n = 0;
            for (HTREEITEM h = hFirst; h; h = host.m_tree.GetNextSiblingItem(h))
                ++n;
            int i = 0;
            for (HTREEITEM h = hFirst; h; h = host.m_tree.GetNextSiblingItem(h), ++i) {
                host.m_tree.SetCheck(h, !clear(i, n));
                setStart(host.m_tree.GetChildItem(h));
            }
        };
        setStart(host.m_tree.GetChildItem(host.Item("SubSystems")));
        std::mt19937 random(seed);
        Events log = {"start: " + host.Checked()};
        for (int step = 0; step < 250; ++step) {
            // Half of the steps are about the widest parent, C, or its children. C stays, as do
            // Default and SubSystems.
            std::vector<std::string> names = host.Names();
            if (random() % 2) {
                names = {"C"};
                for (HTREEITEM h = host.m_tree.GetChildItem(host.Item("C")); h;
                     h = host.m_tree.GetNextSiblingItem(h))
                    names.push_back(host.Name(h));
            }
            const std::string name = names[random() % names.size()];
            const HTREEITEM hItem = host.Item(name);
            const HTREEITEM hParent = host.m_tree.GetParentItem(hItem);
            const auto kept = [](const std::string& n) {
                return n == "C" || n == "Default" || n == "SubSystems";
            };
            const unsigned kind = random() % 20, answer = random() % 4;
            HTREEITEM hChanged = nullptr; // a parent whose children the owner changed
            if (kind == 0)                // spreading off now and then, for a few steps
                host.m_tree.m_bPropagate = answer != 0;
            else if (kind == 1)
                host.m_queryAnswer = {{name, answer}}; // 0 and 2 refuse
            else if (kind == 2)
                host.m_changeAnswer = {{name, answer & 1}};
            else if (kind == 3)
                host.m_tree.m_hRefuse = answer ? nullptr : hItem;
            else if (kind == 4 && hParent) { // a sibling, checked or clear, after it, first or last
                host.Insert("N" + std::to_string(step), host.Name(hParent),
                            answer < 2    ? hItem
                            : answer == 2 ? TVI_FIRST
                                          : TVI_LAST,
                            answer & 1);
                hChanged = hParent;
            } else if ((kind == 5 || kind == 6) && !kept(name)) { // the first clear sibling, or it
                HTREEITEM hGone = hItem;
                for (HTREEITEM h = host.m_tree.GetChildItem(hParent); h && hGone == hItem;
                     h = host.m_tree.GetNextSiblingItem(h))
                    hGone = host.m_tree.GetCheck(h) || kept(host.Name(h)) ? hGone : h;
                host.Delete(host.Name(hGone));
                if (host.Name(host.m_tree.m_hRefuse) == "-")
                    host.m_tree.m_hRefuse = nullptr;
                hChanged = hParent;
            } else if (kind == 7 && answer == 0) {
                host.m_tree.SortChildren(hItem);
                hChanged = hItem;
            } else if (kind == 8 || kind == 9) { // mostly clearing, around the control
                host.m_tree.SetCheck(hItem, answer == 3);
                hChanged = hParent;
            } else if (kind < 16) // mostly checking; and the rest of 4 to 7
                host.m_tree.SetItemCheck(hItem, answer != 0);
            else {
                host.m_tree.SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem));
                host.Click(name, kind == 19 ? Spot::Label : Spot::StateIcon);
                if (kind == 19)
                    host.Key(WM_KEYDOWN, VK_SPACE);
            }
            // An upward pass right after the owner's change reads what it left.
            std::vector<HTREEITEM> children;
            for (HTREEITEM h = hChanged ? host.m_tree.GetChildItem(hChanged) : nullptr; h;
                 h = host.m_tree.GetNextSiblingItem(h))
                children.push_back(h);
            if (!children.empty())
                host.m_tree.SetItemCheck(children[random() % children.size()], TRUE);
            for (const std::string& event : host.Take())
                log.push_back(event);
            log.push_back("shown: " + host.Checked());
        }
        return log;
    };
    for (const auto& [what, clear] : starts) {
        SCOPED_TRACE(what);
        for (unsigned seed : {11u, 12u}) {
            const Events log = run(false, clear, seed);
            EXPECT_EQ(log, run(true, clear, seed)) << "seed " << seed;
            // The run reaches both answers for parents below the top.
            EXPECT_TRUE(std::count(log.begin(), log.end(), "C C 1") &&
                        std::count(log.begin(), log.end(), "C C 0"));
        }
    }
}

TEST(CheckBoxTreeWalk, AnswersOfTheCallbacks) {
    const Events walk = {"C SubSystems 1", "C Alpha 1", "C Beta 1",
                         "C Beta1 1",      "C Beta2 1", "C Gamma 1"};
    const Events queried = {"Q SubSystems 1", "Q Alpha 1", "Q Beta 1",
                            "Q Beta1 1",      "Q Beta2 1", "Q Gamma 1"};
    Events reported = {"C SubSystems 1"}; // the upward report of the last set, Gamma's
    reported.insert(reported.end(), walk.begin(), walk.end());
    struct Case {
        const char* name;
        std::map<std::string, int> query, change;
        Events queries, changes;
        const char* checked;
    } const cases[] = {
        {"refused", {{"SubSystems", 0}}, {}, {"Q SubSystems 1"}, {}, ""},
        {"only the lowest bit counts", {{"SubSystems", 2}}, {}, {"Q SubSystems 1"}, {}, ""},
        {"0 for a descendant: not asked below it, changed all the same",
         {{"Beta", 0}, {"SubSystems", 3}},
         {},
         {"Q SubSystems 1", "Q Alpha 1", "Q Beta 1", "Q Gamma 1"},
         reported,
         kAll},
        {"change answer 0: its children are not reported",
         {},
         {{"Beta", 0}},
         queried,
         {"C SubSystems 1", "C SubSystems 1", "C Alpha 1", "C Beta 1", "C Gamma 1"},
         kAll},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTreeHost host;
        host.m_queryAnswer = c.query;
        host.m_changeAnswer = c.change;
        host.Click("SubSystems", Spot::StateIcon);
        const Events events = host.Take();
        EXPECT_EQ(Only(events, 'Q'), c.queries);
        EXPECT_EQ(AfterLastSet(events), c.changes);
        EXPECT_EQ(host.Checked(), c.checked);
        EXPECT_EQ(events.back(), "SelChanged SubSystems"); // selected, allowed or not
    }
}

TEST(CheckBoxTreeWalk, FailedSetStopsTheSettingWalkBelowThatItem) {
    CTreeHost host;
    host.m_tree.m_hRefuse = host.Item("Beta");
    host.Click("SubSystems", Spot::StateIcon);
    EXPECT_EQ(Only(host.Take(), 'S'),
              Events({"S SubSystems 1", "S Alpha 1", "S Beta 1", "S Gamma 1"}));
    EXPECT_EQ(host.Checked(), "Alpha Gamma");
}

TEST(CheckBoxTreeWalk, WithoutSpreadingOnlyTheItemItself) {
    CTreeHost host;
    host.m_tree.m_bPropagate = FALSE;
    host.Click("Beta", Spot::StateIcon);
    EXPECT_EQ(host.Take(),
              Events({"Q Beta 1", "S Beta 1", "C Beta 1", "SelChanging Beta", "SelChanged Beta"}));
    EXPECT_EQ(host.m_tree.SetItemCheck(host.Item("Beta1"), TRUE), TRUE);
    EXPECT_EQ(host.Take(), Events({"S Beta1 1"})); // no upward pass either
    EXPECT_EQ(host.Checked(), "Beta Beta1");
}

TEST(CheckBoxTreeSetItemCheck, RecomputesAndReportsAncestorsOnly) {
    CTreeHost host;
    for (int i = 0; i < 2; ++i) { // every ancestor reported each time, changed or not
        EXPECT_EQ(host.m_tree.SetItemCheck(host.Item("Beta1"), TRUE), TRUE);
        EXPECT_EQ(host.Take(), Events({"S Beta1 1", "C Beta 0", "C SubSystems 0"}));
    }
    EXPECT_EQ(host.m_tree.SetItemCheck(host.Item("Beta2"), TRUE), TRUE);
    EXPECT_EQ(host.Take(), Events({"S Beta2 1", "C Beta 1", "C SubSystems 0"}));
    EXPECT_EQ(host.m_tree.SetItemCheck(host.Item("SubSystems"), TRUE), TRUE);
    EXPECT_EQ(host.Take(), Events({"S SubSystems 1"})); // its children keep their states
    EXPECT_EQ(host.Checked(), "SubSystems Beta Beta1 Beta2");
    EXPECT_EQ(host.Selected(), "Default");

    // No item: nothing to set, no parent to recompute or report.
    EXPECT_EQ(host.m_tree.CCheckBoxTree::SetItemCheck(nullptr, TRUE), FALSE);
    EXPECT_EQ(host.Take(), Events());
    EXPECT_EQ(host.Checked(), "SubSystems Beta Beta1 Beta2");
}

// The configuration dialog's pattern: each report about an item other than "SubSystems" stores
// the state in the owner's data and then sets every item's box from that data again, which runs
// further upward passes and reports while the control's own walks are still going.
TEST(CheckBoxTreeReentrancy, OwnerResettingEveryBoxFromItsChangeCallback) {
    CTreeHost host(g_dialogTree);
    std::map<std::string, bool> data = {
        {"Default", true}, {"Alpha", true}, {"Beta", false}, {"Gamma", true}};
    const auto setAll = [&] {
        for (const auto& [name, enabled] : data)
            host.m_tree.SetItemCheck(host.Item(name), enabled);
    };
    int reports = 0;
    host.m_onChange = [&](BOOL bCheck, HTREEITEM hItem) {
        ASSERT_LT(++reports, 1000) << "the callbacks do not come to an end";
        if (hItem != host.Item("SubSystems")) {
            data[host.Name(hItem)] = bCheck != 0;
            setAll();
        }
    };
    setAll();
    const std::pair<const char*, const char*> steps[] = {
        {"SubSystems", "Default SubSystems Alpha Beta Gamma"},
        {"Beta", "Default Alpha Gamma"},
        {"Default", "Alpha Gamma"},
        {"Beta", "SubSystems Alpha Beta Gamma"},
        {"SubSystems", ""}};
    for (const auto& [click, checked] : steps) {
        host.Click(click, Spot::StateIcon);
        EXPECT_EQ(host.Checked(), checked) << click;
        for (const auto& [name, enabled] : data)
            EXPECT_EQ(host.m_tree.GetCheck(host.Item(name)) != 0, enabled) << click << name;
    }
    host.Key(WM_KEYDOWN, VK_SPACE); // "SubSystems" is selected
    EXPECT_EQ(host.Checked(), "SubSystems Alpha Beta Gamma");
}

} // namespace
