// Selecting nodes and editing them in the running main dialog: mouse and keyboard selection,
// level and type lists, "Use Default Value", and the check boxes of the tree. Edits stay in
// memory until Apply.
#include "res/resource.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/RegistrySandbox.h"
#include "ui/QuarnEventLogConfigurationDlg.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testing_support;

namespace {

constexpr char kDefaultValueUsed[] = "Default Value used";
constexpr char kTraceText[] = "Events of all levels will be logged";
constexpr char kInformationText[] = "Events of all types will be logged";

// Default Settings Debug/Warning; Alpha Trace/Information; Beta with no values (Default/Default);
// Gamma switched off.
class DialogEditing : public ::testing::Test {
protected:
    void SetUp() override { FillEditingConfiguration(sandbox); }

    std::string Value(const std::string& key, const char* name) const {
        std::string value;
        return sandbox.GetString(key.c_str(), name, &value) ? value : "(missing)";
    }
    // "LogLevel/LogType" of a subsystem.
    std::string Stored(const char* name) const {
        return Value(SubSystemKey(name), "LogLevel") + "/" + Value(SubSystemKey(name), "LogType");
    }
    std::string StoredDefaults() const {
        return Value(kBaseKey, "DefaultLogLevel") + "/" + Value(kBaseKey, "DefaultLogType");
    }

    RegistrySandbox sandbox;
    CQuarnEventLogConfigurationDlg dlg;
};

std::string Selected(const DialogState& state) {
    for (const TreeItemState& item : state.tree)
        if (item.selected)
            return item.text;
    return "(none)";
}

const TreeItemState& Item(const DialogState& state, const std::string& text) {
    for (const TreeItemState& item : state.tree)
        if (item.text == text)
            return item;
    static const TreeItemState missing{"(missing)", -1, false, false, false, 0};
    return missing;
}

// Clicks the expand/collapse button of an item.
void ClickExpandButton(HWND hDlg, const std::string& text) {
    HWND hTree = Tree(hDlg);
    const RECT rect = LabelRect(hTree, FindItem(hDlg, text));
    for (LONG x = 0; x < rect.left; ++x) {
        TVHITTESTINFO hit = {};
        hit.pt = POINT{x, (rect.top + rect.bottom) / 2};
        ::SendMessageA(hTree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.flags & TVHT_ONITEMBUTTON) {
            ClickAt(hTree, hit.pt);
            return;
        }
    }
    ADD_FAILURE() << "no button beside " << text;
}

// Applies and expects silence: a successful save shows nothing.
void Apply(HWND hDlg) {
    EXPECT_TRUE(WithPopups([&] { ClickButton(hDlg, IDC_APPLY); }).empty());
}

// The right-hand controls apart from their enable states.
std::string Contents(DialogState state) {
    state.levelListEnabled = state.typeListEnabled = false;
    state.useDefaultLevelEnabled = state.useDefaultTypeEnabled = false;
    state.levelDescriptionEnabled = state.typeDescriptionEnabled = false;
    state.tree.clear();
    return state.Describe();
}

TEST_F(DialogEditing, SelectionByMouseAndKeyboardNeverReachesSubSystems) {
    struct Step {
        const char* what;
        std::function<void(HWND)> act;
        const char* selected; // afterwards, also the title and the node shown
        const char* index;
    };
    auto key = [](UINT vk) { return [vk](HWND hDlg) { PressKey(Tree(hDlg), vk); }; };
    auto label = [](const char* text) { return [text](HWND hDlg) { ClickLabel(hDlg, text); }; };
    const std::vector<Step> steps = {
        {"Down from Default Settings", key(VK_DOWN), "Default Settings", "-1"},
        {"click on SubSystems", label("SubSystems"), "Default Settings", "-1"},
        {"click on Alpha", label("Alpha"), "Alpha", "0"},
        {"Up from the first subsystem", key(VK_UP), "Alpha", "0"},
        {"click on SubSystems again", label("SubSystems"), "Alpha", "0"},
        {"Down to Beta", key(VK_DOWN), "Beta", "1"},
        {"Down to Gamma", key(VK_DOWN), "Gamma", "2"},
        {"Down from the last", key(VK_DOWN), "Gamma", "2"},
        {"Up to Beta", key(VK_UP), "Beta", "1"},
        {"click on Default Settings", label("Default Settings"), "Default Settings", "-1"},
    };
    RunModal(dlg, [&](HWND hDlg) {
        for (const Step& step : steps) {
            SCOPED_TRACE(step.what);
            step.act(hDlg);
            const DialogState state = CaptureState(hDlg);
            EXPECT_EQ(step.selected, Selected(state));
            EXPECT_EQ(step.selected, state.title);
            EXPECT_EQ(step.index, state.hiddenIndex);
        }
        // An item some other program put into the tree is no node: clicking its label or its
        // box leaves the dialog as it was.
        TVINSERTSTRUCTA insert = {};
        insert.hParent = FindItem(hDlg, "SubSystems");
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>("Foreign");
        ASSERT_NE(
            0, ::SendMessageA(Tree(hDlg), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        const std::string before = Contents(CaptureState(hDlg));
        ClickLabel(hDlg, "Foreign");
        ClickCheckBox(hDlg, "Foreign");
        const DialogState after = CaptureState(hDlg);
        EXPECT_EQ("Default Settings", Selected(after));
        EXPECT_EQ(before, Contents(after));
    });
}

// Collapsing "SubSystems" moves the tree's selection off the hidden current item; the dialog
// goes on showing and editing that subsystem, and "SubSystems" still never becomes current.
TEST_F(DialogEditing, CollapsingSubSystemsKeepsTheCurrentSubSystem) {
    DialogState collapsed, expanded;
    RunModal(dlg, [&](HWND hDlg) {
        ClickLabel(hDlg, "Beta");
        ClickExpandButton(hDlg, "SubSystems");
        ClickButton(hDlg, IDC_USE_DEFAULT_TYPE);
        PickComboRow(hDlg, IDC_COMBO_TYPE, kErrors);
        collapsed = CaptureState(hDlg);
        ClickExpandButton(hDlg, "SubSystems");
        expanded = CaptureState(hDlg);
        Apply(hDlg);
    });
    EXPECT_FALSE(Item(collapsed, "SubSystems").expanded);
    EXPECT_EQ("Beta", collapsed.title);
    EXPECT_EQ("1", collapsed.hiddenIndex);
    EXPECT_EQ("Beta", expanded.title);
    EXPECT_EQ("Default/Error", Stored("Beta"));
    EXPECT_EQ("Trace/Information", Stored("Alpha"));
}

TEST_F(DialogEditing, EditsStayWithTheirNodeUntilApply) {
    const std::string before = DumpConfiguration(sandbox);
    DialogState alpha, back, defaults;
    std::string beforeApply;
    RunModal(dlg, [&](HWND hDlg) {
        ClickLabel(hDlg, "Alpha");
        PickComboRow(hDlg, IDC_COMBO_LEVEL, kDebug);
        PickComboRow(hDlg, IDC_COMBO_TYPE, kFatalErrors);
        alpha = CaptureState(hDlg);
        ClickLabel(hDlg, "Default Settings");
        PickComboRow(hDlg, IDC_COMBO_LEVEL, kRelease);
        ClickLabel(hDlg, "Beta");
        ClickLabel(hDlg, "Alpha");
        back = CaptureState(hDlg);
        ClickLabel(hDlg, "Default Settings");
        defaults = CaptureState(hDlg);
        beforeApply = DumpConfiguration(sandbox);
        Apply(hDlg);
    });
    EXPECT_EQ("Debug and Release events will be logged", alpha.levelDescription);
    EXPECT_EQ("Only Fatal Errors will be logged", alpha.typeDescription);
    EXPECT_EQ(Contents(alpha), Contents(back));
    EXPECT_EQ(kRelease, defaults.levelRow);
    EXPECT_EQ(kWarnings, defaults.typeRow);
    EXPECT_EQ(before, beforeApply);
    EXPECT_EQ("Release/Warning", StoredDefaults());
    EXPECT_EQ("Debug/FatalError", Stored("Alpha"));
    EXPECT_EQ("Default/Default", Stored("Beta"));
    EXPECT_EQ("None/None", Stored("Gamma"));
}

TEST_F(DialogEditing, UseDefaultValueTickedAndClearedAgain) {
    // A word outside the vocabulary loads the default settings' level as Default.
    sandbox.SetString(kBaseKey, "DefaultLogLevel", "Dbg");
    DialogState misspelt, ticked, cleared, mended;
    std::string storedTicked, storedMisspelt;
    RunModal(dlg, [&](HWND hDlg) {
        misspelt = CaptureState(hDlg);
        Apply(hDlg);
        storedMisspelt = StoredDefaults();
        ClickLabel(hDlg, "Alpha");
        ClickButton(hDlg, IDC_USE_DEFAULT_LEVEL);
        ClickButton(hDlg, IDC_USE_DEFAULT_TYPE);
        ticked = CaptureState(hDlg);
        Apply(hDlg);
        storedTicked = Stored("Alpha");
        ClickButton(hDlg, IDC_USE_DEFAULT_LEVEL);
        ClickButton(hDlg, IDC_USE_DEFAULT_TYPE);
        cleared = CaptureState(hDlg);
        Apply(hDlg);
        ClickLabel(hDlg, "Default Settings");
        ClickButton(hDlg, IDC_USE_DEFAULT_LEVEL);
        mended = CaptureState(hDlg);
        Apply(hDlg);
    });
    // Its box can be cleared, nothing else; untouched, the level is written back as it loaded.
    EXPECT_TRUE(misspelt.useDefaultLevel && misspelt.useDefaultLevelEnabled);
    EXPECT_FALSE(misspelt.levelListEnabled || misspelt.useDefaultTypeEnabled);
    EXPECT_EQ("Default/Warning", storedMisspelt);
    EXPECT_TRUE(ticked.useDefaultLevel && ticked.useDefaultType);
    EXPECT_FALSE(ticked.levelListEnabled || ticked.typeListEnabled);
    EXPECT_EQ(kDefaultValueUsed, ticked.levelDescription);
    EXPECT_EQ(kDefaultValueUsed, ticked.typeDescription);
    EXPECT_EQ(kTrace, ticked.levelRow); // the lists keep their rows
    EXPECT_EQ(kInformation, ticked.typeRow);
    EXPECT_EQ("Default/Default", storedTicked);

    EXPECT_FALSE(cleared.useDefaultLevel || cleared.useDefaultType);
    EXPECT_TRUE(cleared.levelListEnabled && cleared.typeListEnabled);
    EXPECT_EQ(kTrace, cleared.levelRow);
    EXPECT_EQ(kTraceText, cleared.levelDescription);
    EXPECT_EQ(kInformationText, cleared.typeDescription);
    EXPECT_EQ("Trace/Information", Stored("Alpha"));

    // Cleared, the default settings' level takes the list's last row and cannot follow again.
    EXPECT_FALSE(mended.useDefaultLevel || mended.useDefaultLevelEnabled);
    EXPECT_TRUE(mended.levelListEnabled);
    EXPECT_EQ(kTrace, mended.levelRow);
    EXPECT_EQ("Trace/Warning", StoredDefaults());
}

// A subsystem shown with Default keeps the rows the lists had; clearing its boxes takes them.
TEST_F(DialogEditing, ClearingUseDefaultTakesTheRowTheListLastHad) {
    struct Case {
        const char* what;
        std::function<void(HWND)> before; // run before Beta is selected
        const char* stored;
    };
    const std::vector<Case> cases = {
        {"right after start-up: the default settings' rows", [](HWND) {}, "Debug/Warning"},
        {"after a node with its own values", [](HWND hDlg) { ClickLabel(hDlg, "Alpha"); },
         "Trace/Information"},
        {"after rows the user picked",
         [](HWND hDlg) {
             ClickLabel(hDlg, "Alpha");
             PickComboRow(hDlg, IDC_COMBO_LEVEL, kRelease);
             PickComboRow(hDlg, IDC_COMBO_TYPE, kErrors);
         },
         "Release/Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegistrySandbox inner;
        inner.SetString(kBaseKey, "DefaultLogLevel", "Debug");
        inner.SetString(kBaseKey, "DefaultLogType", "Warning");
        inner.SetString(SubSystemKey("Alpha").c_str(), "LogLevel", "Trace");
        inner.SetString(SubSystemKey("Alpha").c_str(), "LogType", "Information");
        inner.CreateKey(SubSystemKey("Beta").c_str());
        CQuarnEventLogConfigurationDlg run;
        DialogState shown;
        RunModal(run, [&](HWND hDlg) {
            c.before(hDlg);
            ClickLabel(hDlg, "Beta");
            shown = CaptureState(hDlg);
            ClickButton(hDlg, IDC_USE_DEFAULT_LEVEL);
            ClickButton(hDlg, IDC_USE_DEFAULT_TYPE);
            Apply(hDlg);
        });
        EXPECT_TRUE(shown.useDefaultLevel && shown.useDefaultType);
        std::string level, type;
        inner.GetString(SubSystemKey("Beta").c_str(), "LogLevel", &level);
        inner.GetString(SubSystemKey("Beta").c_str(), "LogType", &type);
        EXPECT_EQ(c.stored, level + "/" + type);
    }
}

// Switched off, the current node's controls are disabled but keep what they show; the node is
// stored as None/None, and switched on again (here with the space bar) as before.
TEST_F(DialogEditing, CheckBoxOfTheCurrentNode) {
    DialogState on, off, onAgain;
    std::string storedOff;
    RunModal(dlg, [&](HWND hDlg) {
        ClickLabel(hDlg, "Alpha");
        on = CaptureState(hDlg);
        ClickCheckBox(hDlg, "Alpha");
        off = CaptureState(hDlg);
        Apply(hDlg);
        storedOff = Stored("Alpha");
        PressKey(Tree(hDlg), VK_SPACE);
        onAgain = CaptureState(hDlg);
        Apply(hDlg);
    });
    EXPECT_FALSE(Item(off, "Alpha").checked);
    EXPECT_EQ("Alpha", Selected(off));
    EXPECT_FALSE(off.levelListEnabled || off.typeListEnabled || off.useDefaultLevelEnabled ||
                 off.useDefaultTypeEnabled || off.levelDescriptionEnabled ||
                 off.typeDescriptionEnabled);
    EXPECT_EQ(Contents(on), Contents(off));
    EXPECT_EQ("None/None", storedOff);
    EXPECT_EQ(on.Describe(), onAgain.Describe());
    EXPECT_EQ("Trace/Information", Stored("Alpha"));
}

// The current node is shown again as it was, without taking the controls first (a day count
// typed and not yet taken goes back to the last one taken), then the clicked node is current.
TEST_F(DialogEditing, CheckBoxOfAnotherNode) {
    DialogState betaOff, gammaOn, alpha;
    RunModal(dlg, [&](HWND hDlg) {
        ClickLabel(hDlg, "Alpha");
        SetText(hDlg, IDC_EDIT_EXPIRE_DAYS, "99");
        ClickCheckBox(hDlg, "Beta");
        betaOff = CaptureState(hDlg);
        ClickCheckBox(hDlg, "Gamma");
        gammaOn = CaptureState(hDlg);
        ClickLabel(hDlg, "Alpha");
        alpha = CaptureState(hDlg);
        Apply(hDlg);
    });
    EXPECT_EQ("Beta", Selected(betaOff));
    EXPECT_EQ("Beta", betaOff.title);
    EXPECT_FALSE(Item(betaOff, "Beta").checked);
    EXPECT_FALSE(betaOff.useDefaultLevelEnabled);
    EXPECT_EQ("30", betaOff.days);

    EXPECT_EQ("Gamma", gammaOn.title);
    EXPECT_TRUE(Item(gammaOn, "Gamma").checked);
    EXPECT_TRUE(gammaOn.levelListEnabled && gammaOn.typeListEnabled);
    EXPECT_EQ(kLevelNone, gammaOn.levelRow);

    EXPECT_EQ(kTrace, alpha.levelRow);
    EXPECT_EQ(kInformation, alpha.typeRow);
    EXPECT_EQ("30", Value(kBaseKey, "ExpireLogsAfter"));
    EXPECT_EQ("Trace/Information", Stored("Alpha"));
    EXPECT_EQ("None/None", Stored("Beta"));
    EXPECT_EQ("None/None", Stored("Gamma")); // switched on, but its own values are None/None
}

// "SubSystems" switches every subsystem and is never current; "Default Settings" has a box of its
// own that nothing else touches.
TEST_F(DialogEditing, CheckBoxesOfSubSystemsAndDefaultSettings) {
    DialogState allOn, allOff, defaultOff;
    std::string storedAllOff;
    RunModal(dlg, [&](HWND hDlg) {
        ClickLabel(hDlg, "Alpha");
        ClickCheckBox(hDlg, "SubSystems"); // Gamma is off, so SubSystems is clear
        allOn = CaptureState(hDlg);
        ClickCheckBox(hDlg, "SubSystems");
        allOff = CaptureState(hDlg);
        Apply(hDlg);
        storedAllOff =
            StoredDefaults() + " " + Stored("Alpha") + " " + Stored("Beta") + " " + Stored("Gamma");
        ClickCheckBox(hDlg, "SubSystems");
        ClickCheckBox(hDlg, "Default Settings");
        defaultOff = CaptureState(hDlg);
        Apply(hDlg);
    });
    for (const char* name : {"SubSystems", "Alpha", "Beta", "Gamma"}) {
        EXPECT_TRUE(Item(allOn, name).checked) << name;
        EXPECT_FALSE(Item(allOff, name).checked) << name;
        EXPECT_TRUE(Item(defaultOff, name).checked) << name;
    }
    EXPECT_TRUE(Item(allOn, "Default Settings").checked);
    EXPECT_TRUE(Item(allOff, "Default Settings").checked);
    EXPECT_EQ("Alpha", Selected(allOn));
    EXPECT_EQ("Alpha", Selected(allOff));
    EXPECT_TRUE(allOn.levelListEnabled);
    EXPECT_FALSE(allOff.levelListEnabled);
    EXPECT_EQ("Debug/Warning None/None None/None None/None", storedAllOff);

    EXPECT_FALSE(Item(defaultOff, "Default Settings").checked);
    EXPECT_EQ("Default Settings", defaultOff.title);
    EXPECT_FALSE(defaultOff.levelListEnabled || defaultOff.levelDescriptionEnabled);
    EXPECT_EQ("None/None", StoredDefaults());
    EXPECT_EQ("Trace/Information", Stored("Alpha"));
    EXPECT_EQ("Default/Default", Stored("Beta"));
}

} // namespace
