// Adding a subsystem through the hidden "Add SubSystem" command of the running main dialog: the
// Add dialog's field and its refusals, where the new item stands, and what Apply, OK and Cancel
// then store.
#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/RegistrySandbox.h"
#include "ui/QuarnEventLogConfigurationDlg.h"

#include <gtest/gtest.h>

#include <functional>

using namespace testing_support;

namespace {

constexpr char kAddCaption[] = "Enter Name of SubSystem";
constexpr char kEmptyNamePrompt[] = "A name must be given for the sub system";
const std::string k32(32, 'n');

// A message box's icon, as the system's message box shows it.
constexpr int kMessageBoxIconId = 0x0440;

// Three subsystems: Alpha (no values: Default/Default), Mid (Debug/Information) and Zeta
// (Trace/Warning), loaded in that order.
class AddSubSystem : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox.SetString(SubSystemKey("Zeta").c_str(), "LogLevel", "Trace");
        sandbox.SetString(SubSystemKey("Zeta").c_str(), "LogType", "Warning");
        sandbox.SetString(SubSystemKey("Mid").c_str(), "LogLevel", "Debug");
        sandbox.SetString(SubSystemKey("Mid").c_str(), "LogType", "Information");
        sandbox.CreateKey(SubSystemKey("Alpha").c_str());
        // As the application does: the dialog is the main window, which owns the Add dialog.
        app.m_pMainWnd = &dlg;
    }

    RegistrySandbox sandbox;
    CQuarnEventLogConfigurationDlg dlg;
    CWinApp app;
};

// What happened when the Add dialog's OK was pressed.
struct AddOutcome {
    std::vector<Popup> prompts; // message boxes the OK raised, closed with their OK button
    bool stayedOpen = false;    // the Add dialog was still open after them
    bool focusInName = false;   // with the focus in the name field
    bool nameSelected = false;  // and the field's whole text selected
};

// Sends the hidden button's command; enter(hName) fills the name field, then OK is pressed. An
// Add dialog that stays open is cancelled afterwards.
AddOutcome Add(HWND hDlg, const std::function<void(HWND hName)>& enter) {
    AddOutcome outcome;
    const FocusTracker focus;
    const std::vector<Popup> popups =
        WithPopups([&] { SendCommand(hDlg, IDC_ADD_SUBSYSTEM, BN_CLICKED); },
                   [&](const Popup& popup) {
                       EXPECT_EQ(kAddCaption, popup.caption);
                       HWND hName = ::GetDlgItem(popup.hWnd, IDC_EDIT_SUBSYSTEM_NAME);
                       enter(hName);
                       outcome.prompts = WithPopups([&] { ClickButton(popup.hWnd, IDOK); });
                       // An ended dialog is hidden at once and destroyed when its loop returns.
                       outcome.stayedOpen = ::IsWindowVisible(popup.hWnd) != FALSE;
                       if (!outcome.stayedOpen)
                           return;
                       outcome.focusInName = focus.LastFocused() == hName;
                       DWORD start = 0, end = 0;
                       ::SendMessageA(hName, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                      reinterpret_cast<LPARAM>(&end));
                       outcome.nameSelected =
                           start == 0 && end == static_cast<DWORD>(GetText(hName).size());
                       ClickButton(popup.hWnd, IDCANCEL);
                   });
    EXPECT_EQ(1u, popups.size());
    return outcome;
}

AddOutcome AddTyped(HWND hDlg, const std::string& name) {
    return Add(hDlg, [&](HWND hName) { TypeText(hName, name); });
}

std::string Value(const RegistrySandbox& sandbox, const std::string& key, const char* name) {
    std::string value;
    return sandbox.GetString(key.c_str(), name, &value) ? value : "(missing)";
}

TEST_F(AddSubSystem, HiddenCommandOpensTheDialogAndTheNewItemTakesItsPlace) {
    DialogState before, after;
    std::vector<std::string> texts;
    bool buttonVisible = true, mainDisabled = false, focusOnOk = false;
    std::string initialText = "?";
    LRESULT limit = 0;
    RECT work = {}, addRect = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const FocusTracker focus;
    RunModal(dlg, [&](HWND hDlg) {
        // Off the middle: the Add dialog opens in the middle of the work area all the same.
        ::SetWindowPos(hDlg, nullptr, work.left + 5, work.top + 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ClickLabel(hDlg, "Mid");
        PickComboRow(hDlg, IDC_COMBO_TYPE, 0);
        before = CaptureState(hDlg);
        const AddOutcome outcome = Add(hDlg, [&](HWND hName) {
            HWND hAdd = ::GetParent(hName);
            ::GetWindowRect(hAdd, &addRect);
            mainDisabled = !::IsWindowEnabled(hDlg);
            focusOnOk = focus.LastFocused() == ::GetDlgItem(hAdd, IDOK);
            initialText = GetText(hName);
            limit = ::SendMessageA(hName, EM_GETLIMITTEXT, 0, 0);
            TypeText(hName, "Lambda");
        });
        EXPECT_TRUE(outcome.prompts.empty());
        EXPECT_FALSE(outcome.stayedOpen);
        buttonVisible = ::IsWindowVisible(::GetDlgItem(hDlg, IDC_ADD_SUBSYSTEM)) != FALSE;
        after = CaptureState(hDlg);
        texts = SubSystemTexts(hDlg);
    });
    EXPECT_FALSE(buttonVisible);
    EXPECT_TRUE(mainDisabled);
    EXPECT_TRUE(focusOnOk);
    EXPECT_EQ("", initialText);
    EXPECT_EQ(32, limit);
    EXPECT_NEAR((work.left + work.right) / 2, (addRect.left + addRect.right) / 2, 2);
    EXPECT_NEAR((work.top + work.bottom) / 2, (addRect.top + addRect.bottom) / 2, 2);
    EXPECT_EQ(std::vector<std::string>({"Alpha", "Lambda", "Mid", "Zeta"}), texts);

    // Only the new item differs: nothing was selected, refreshed or stored.
    ASSERT_EQ(before.tree.size() + 1, after.tree.size());
    const TreeItemState& added = after.tree[3];
    EXPECT_EQ("Lambda", added.text);
    EXPECT_EQ(1, added.depth);
    EXPECT_EQ(3, added.data); // appended after the three loaded subsystems
    EXPECT_FALSE(added.selected);
    after.tree.erase(after.tree.begin() + 3);
    EXPECT_EQ(before.Describe(), after.Describe());
    EXPECT_FALSE(sandbox.KeyExists(SubSystemKey("Lambda").c_str()));
}

TEST_F(AddSubSystem, NameFieldHoldsAtMost32Bytes) {
    std::string typed;
    RunModal(dlg, [&](HWND hDlg) {
        const AddOutcome outcome = Add(hDlg, [&](HWND hName) {
            TypeText(hName, k32 + "x");
            typed = GetText(hName);
        });
        EXPECT_TRUE(outcome.prompts.empty());
        EXPECT_FALSE(outcome.stayedOpen);
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(k32, typed);
    EXPECT_EQ("Default", Value(sandbox, SubSystemKey(k32), "LogLevel"));
}

// Each refusal shows one prompt captioned with the application's name and leaves the Add dialog
// open with its text selected in the focused field; nothing is added.
TEST_F(AddSubSystem, RefusedNamesKeepTheAddDialogOpen) {
    struct Case {
        const char* what;
        std::string name; // put in with WM_SETTEXT, past the field's limit
        std::string prompt;
    };
    const std::vector<Case> cases = {
        {"empty", "", kEmptyNamePrompt},
        {"backslash", "Mid\\Sub", "A sub system name cannot contain a backslash"},
        // Pasted, say: a name nobody sees as it is, as every command refuses it too.
        {"tab", "Mid\tSub", "A sub system name cannot contain a control character"},
        {"DEL", "Mid\x7F", "A sub system name cannot contain a control character"},
        {"33 bytes", k32 + "x", "Please enter no more than 32 characters."},
        // The length is tested first: one prompt, not two.
        {"33 bytes with a backslash", "a\\" + std::string(31, 'b'),
         "Please enter no more than 32 characters."},
    };
    std::vector<std::string> texts;
    RunModal(dlg, [&](HWND hDlg) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            const AddOutcome outcome =
                Add(hDlg, [&](HWND hName) { ::SetWindowTextA(hName, c.name.c_str()); });
            ASSERT_EQ(1u, outcome.prompts.size());
            EXPECT_EQ(c.prompt, outcome.prompts[0].text);
            EXPECT_EQ(AfxGetAppName(), outcome.prompts[0].caption);
            EXPECT_TRUE(outcome.stayedOpen);
            EXPECT_TRUE(outcome.focusInName);
            EXPECT_TRUE(outcome.nameSelected);
        }
        texts = SubSystemTexts(hDlg);
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(std::vector<std::string>({"Alpha", "Mid", "Zeta"}), texts);
    EXPECT_EQ(std::vector<std::string>({"Alpha", "Mid", "Zeta"}),
              sandbox.SubKeys(testing_support::kBaseKey));
}

// The refusal looks for a real backslash: in a double-byte code page such as 932 the second byte
// of many characters is 0x5C without being one, and the registry takes such names.
TEST(AddSubSystemName, BackslashIsFoundAsACharacterNotAsAByte) {
    const char sjisWithTrail5C[] = "\x95\x5C"; // one code page 932 character
    EXPECT_EQ(-1, CString(sjisWithTrail5C).Find('\\', 932));
    EXPECT_EQ(-1, (CString("Log") + sjisWithTrail5C + "A").Find('\\', 932));
    EXPECT_EQ(2, (CString(sjisWithTrail5C) + "\\x").Find('\\', 932));
    // In code page 1252 both bytes are characters of their own.
    EXPECT_EQ(1, CString(sjisWithTrail5C).Find('\\', 1252));
    EXPECT_EQ(3, CString("Mid\\Sub").Find('\\', 1252));
}

TEST_F(AddSubSystem, EmptyNamePromptIsAnExclamation) {
    HICON shown = nullptr;
    bool cancelButton = true;
    RunModal(dlg, [&](HWND hDlg) {
        WithPopups([&] { SendCommand(hDlg, IDC_ADD_SUBSYSTEM, BN_CLICKED); },
                   [&](const Popup& add) {
                       WithPopups([&] { ClickButton(add.hWnd, IDOK); },
                                  [&](const Popup& box) {
                                      shown = reinterpret_cast<HICON>(::SendDlgItemMessageA(
                                          box.hWnd, kMessageBoxIconId, STM_GETICON, 0, 0));
                                      cancelButton = ::GetDlgItem(box.hWnd, IDCANCEL) != nullptr;
                                      ClickButton(box.hWnd, IDOK);
                                  });
                       ClickButton(add.hWnd, IDCANCEL);
                   });
    });
    ASSERT_NE(nullptr, shown);
    EXPECT_EQ(::LoadIconA(nullptr, IDI_EXCLAMATION), shown);
    EXPECT_FALSE(cancelButton); // a single OK button
}

TEST_F(AddSubSystem, CancelledAddChangesNothing) {
    DialogState before, afterCancel, afterEscape;
    RunModal(dlg, [&](HWND hDlg) {
        before = CaptureState(hDlg);
        WithPopups([&] { SendCommand(hDlg, IDC_ADD_SUBSYSTEM, BN_CLICKED); },
                   [&](const Popup& add) {
                       TypeText(::GetDlgItem(add.hWnd, IDC_EDIT_SUBSYSTEM_NAME), "Kappa");
                       ClickButton(add.hWnd, IDCANCEL);
                   });
        afterCancel = CaptureState(hDlg);
        // Escape goes through the Add dialog's own loop.
        WithPopups([&] { SendCommand(hDlg, IDC_ADD_SUBSYSTEM, BN_CLICKED); },
                   [&](const Popup& add) {
                       HWND hName = ::GetDlgItem(add.hWnd, IDC_EDIT_SUBSYSTEM_NAME);
                       TypeText(hName, "Kappa");
                       ::PostMessageA(hName, WM_KEYDOWN, VK_ESCAPE, 1);
                   });
        afterEscape = CaptureState(hDlg);
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(before.Describe(), afterCancel.Describe());
    EXPECT_EQ(before.Describe(), afterEscape.Describe());
    EXPECT_FALSE(sandbox.KeyExists(SubSystemKey("Kappa").c_str()));
}

// Names are taken as typed; the registry ignores letter case, so a name that only differs in
// case is the same key. The subsystems are stored in list order, the added ones last.
TEST_F(AddSubSystem, UnusualNamesAreStoredAsTyped) {
    struct Case {
        std::string name, key;
        std::vector<std::string> items;   // in the tree after the add
        std::vector<std::string> restart; // in the tree of the next start
    };
    const std::vector<Case> cases = {
        {"   ", "   ", {"   ", "Alpha", "Mid", "Zeta"}, {"   ", "Alpha", "Mid", "Zeta"}},
        {"Mid", "Mid", {"Alpha", "Mid", "Mid", "Zeta"}, {"Alpha", "Mid", "Zeta"}},
        {"mID", "Mid", {"Alpha", "Mid", "mID", "Zeta"}, {"Alpha", "Mid", "Zeta"}},
        {"zeta-2",
         "zeta-2",
         {"Alpha", "Mid", "Zeta", "zeta-2"},
         {"Alpha", "Mid", "Zeta", "zeta-2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("'" + c.name + "'");
        RegistrySandbox inner;
        inner.SetString(SubSystemKey("Zeta").c_str(), "LogLevel", "Trace");
        inner.SetString(SubSystemKey("Mid").c_str(), "LogLevel", "Debug");
        inner.SetString(SubSystemKey("Mid").c_str(), "LogType", "Information");
        inner.CreateKey(SubSystemKey("Alpha").c_str());
        std::vector<std::string> items, restart;
        {
            CQuarnEventLogConfigurationDlg first;
            app.m_pMainWnd = &first;
            EXPECT_EQ(IDOK, RunModal(first, [&](HWND hDlg) {
                          EXPECT_FALSE(AddTyped(hDlg, c.name).stayedOpen);
                          items = SubSystemTexts(hDlg);
                          ClickButton(hDlg, IDOK);
                      }));
        }
        EXPECT_EQ(c.items, items);
        EXPECT_EQ("Default", Value(inner, SubSystemKey(c.key), "LogLevel"));
        EXPECT_EQ("Default", Value(inner, SubSystemKey(c.key), "LogType"));
        {
            CQuarnEventLogConfigurationDlg second;
            app.m_pMainWnd = &second;
            RunModal(second, [&](HWND hDlg) { restart = SubSystemTexts(hDlg); });
        }
        app.m_pMainWnd = &dlg;
        EXPECT_EQ(c.restart, restart);
    }
}

// The added item's data leads to the added settings: editing it edits the new subsystem, and
// Apply writes it with the rest; switched off, it is stored as None and None. Each added item
// stands where the tree's own sort puts it, also where the registry lists the subsystems in
// another order (a'd, a-c, ab; the tree shows ab, a-c, a'd) and after an earlier add.
TEST_F(AddSubSystem, AddedSubSystemIsEditedAndSavedWithTheRest) {
    for (const char* name : {"ab", "a-c", "a'd"})
        sandbox.CreateKey(SubSystemKey(name).c_str());
    DialogState shown, switchedOff;
    std::vector<std::string> added, restart;
    RunModal(dlg, [&](HWND hDlg) {
        for (const char* name : {"abc", "b-item", "Bz", "Beta"})
            EXPECT_FALSE(AddTyped(hDlg, name).stayedOpen);
        added = SubSystemTexts(hDlg);
        ClickLabel(hDlg, "Beta");
        shown = CaptureState(hDlg);
        ClickButton(hDlg, IDC_USE_DEFAULT_LEVEL);
        PickComboRow(hDlg, IDC_COMBO_LEVEL, 3); // None
        ClickButton(hDlg, IDC_APPLY);
        ClickCheckBox(hDlg, "Bz");
        ClickButton(hDlg, IDC_APPLY);
        switchedOff = CaptureState(hDlg);
    });
    EXPECT_EQ("Beta", shown.title);
    EXPECT_EQ("9", shown.hiddenIndex); // after a'd, a-c, ab, Alpha, Mid, Zeta, abc, b-item, Bz
    EXPECT_TRUE(shown.useDefaultLevel);
    EXPECT_TRUE(shown.useDefaultType);
    EXPECT_FALSE(shown.levelListEnabled);
    EXPECT_TRUE(shown.useDefaultLevelEnabled);
    // Every subsystem item is checked once the dialog has refreshed after the adds.
    for (const TreeItemState& item : shown.tree)
        EXPECT_TRUE(item.checked) << item.text;
    EXPECT_EQ("None", Value(sandbox, SubSystemKey("Beta"), "LogLevel"));
    EXPECT_EQ("Default", Value(sandbox, SubSystemKey("Beta"), "LogType"));
    EXPECT_EQ("Default", Value(sandbox, SubSystemKey("b-item"), "LogLevel"));
    EXPECT_EQ("Bz", switchedOff.title);
    EXPECT_EQ("None", Value(sandbox, SubSystemKey("Bz"), "LogLevel"));
    EXPECT_EQ("None", Value(sandbox, SubSystemKey("Bz"), "LogType"));
    EXPECT_FALSE(switchedOff.levelListEnabled || switchedOff.typeListEnabled ||
                 switchedOff.useDefaultLevelEnabled || switchedOff.useDefaultTypeEnabled ||
                 switchedOff.levelDescriptionEnabled || switchedOff.typeDescriptionEnabled);

    CQuarnEventLogConfigurationDlg next;
    app.m_pMainWnd = &next;
    RunModal(next, [&](HWND hDlg) { restart = SubSystemTexts(hDlg); });
    app.m_pMainWnd = &dlg;
    EXPECT_EQ(std::vector<std::string>(
                  {"ab", "abc", "a-c", "a'd", "Alpha", "Beta", "b-item", "Bz", "Mid", "Zeta"}),
              restart);
    EXPECT_EQ(restart, added);
}

// Runs again with the ANSI code page 932 (CMakeLists.txt): a name whose character has 0x5C as
// its second byte is taken and saved under that name, read back as the same character.
TEST_F(AddSubSystem, DoubleByteNameWithTrailByte5CIsSaved) {
    if (::GetACP() != 932)
        GTEST_SKIP() << "runs with the ANSI code page 932";
    const std::string name = "Log\x95\x5C"; // "Log" and U+8868
    RunModal(dlg, [&](HWND hDlg) {
        const AddOutcome outcome = AddTyped(hDlg, name.c_str());
        EXPECT_TRUE(outcome.prompts.empty());
        EXPECT_FALSE(outcome.stayedOpen);
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(std::vector<std::string>({"Alpha", name, "Mid", "Zeta"}),
              sandbox.SubKeys(testing_support::kBaseKey));
    EXPECT_EQ("Default", Value(sandbox, SubSystemKey(name), "LogLevel"));
    wchar_t wide[8] = {};
    ::MultiByteToWideChar(932, 0, name.c_str(), -1, wide, 8);
    EXPECT_EQ(std::wstring(L"Log\u8868"), wide);
}

TEST_F(AddSubSystem, CancellingTheMainDialogWritesNothing) {
    const std::string before = DumpConfiguration(sandbox);
    const INT_PTR result = RunModal(dlg, [&](HWND hDlg) {
        EXPECT_FALSE(AddTyped(hDlg, "Kappa").stayedOpen);
        ClickButton(hDlg, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    // Start-up creates the base key when it is missing; here it existed already.
    EXPECT_EQ(before, DumpConfiguration(sandbox));
}

} // namespace
