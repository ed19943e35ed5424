// Saving from the running main dialog: the day count's check at Apply and OK, what Apply, OK
// and Cancel leave in the registry, what another program wrote meanwhile, a save the registry
// refuses, and the next start of the dialog on what was saved.
#include "framework/WinApp.h"
#include "registry/Registry.h"
#include "res/resource.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/RegistrySandbox.h"
#include "ui/QuarnEventLogConfigurationDlg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace testing_support;

namespace {

// The editing configuration and Delta, with a level of its own.
void FillConfiguration(RegistrySandbox& sandbox) {
    FillEditingConfiguration(sandbox);
    sandbox.SetString(SubSystemKey("Delta").c_str(), "LogLevel", "Release");
}

class DialogSaving : public ::testing::Test {
protected:
    void SetUp() override {
        FillConfiguration(sandbox);
        app.m_pMainWnd = &dlg; // as in the application: message boxes belong to the dialog
    }

    std::string Value(const std::string& key, const char* name) const {
        std::string value;
        return sandbox.GetString(key.c_str(), name, &value) ? value : "(missing)";
    }

    RegistrySandbox sandbox;
    CQuarnEventLogConfigurationDlg dlg;
    CWinApp app;
};

// Presses a button of the dialog; returns the message boxes it raised (closed with OK).
std::vector<Popup> Press(HWND hDlg, int nID) {
    return WithPopups([&] { ClickButton(hDlg, nID); });
}

bool IsOpen(HWND hDlg) {
    return ::IsWindow(hDlg) && ::IsWindowVisible(hDlg);
}

// Adds a subsystem through the hidden "Add SubSystem" command.
void AddSubSystem(HWND hDlg, const char* name) {
    WithPopups([&] { SendCommand(hDlg, IDC_ADD_SUBSYSTEM, BN_CLICKED); },
               [&](const Popup& add) {
                   TypeText(::GetDlgItem(add.hWnd, IDC_EDIT_SUBSYSTEM_NAME), name);
                   ClickButton(add.hWnd, IDOK);
               });
}

// The system's own text for an error code, without its line break.
std::string SystemText(DWORD error) {
    char buffer[512] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                     buffer, sizeof buffer, nullptr);
    std::string text = buffer;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// Refused counts prompt once at Apply and once at OK, leave the focus in the field, the dialog
// open and the registry as it was. A refused count does not hold up a list change or a selection
// change, which prompt as well; the field then shows the last number taken, or keeps an
// out-of-range one.
TEST_F(DialogSaving, DayCountIsCheckedAtApplyAndOk) {
    struct Case {
        const char* days;
        int button;              // for an accepted count: Apply or OK
        const char* afterChange; // for a refused count: the field after a list change
    };
    const std::vector<Case> cases = {
        {"1", IDC_APPLY, nullptr}, {"365", IDOK, nullptr}, {"0", 0, "0"},
        {"366", 0, "366"},         {"abc", 0, "30"},       {"", 0, "30"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.days + "'");
        RegistrySandbox inner;
        FillConfiguration(inner);
        const std::string before = DumpConfiguration(inner);
        CQuarnEventLogConfigurationDlg run;
        app.m_pMainWnd = &run;
        const INT_PTR result = RunModal(run, [&](HWND hDlg) {
            SetText(hDlg, IDC_EDIT_EXPIRE_DAYS, c.days);
            if (c.button != 0) {
                EXPECT_TRUE(Press(hDlg, c.button).empty());
                return;
            }
            HWND hDays = ::GetDlgItem(hDlg, IDC_EDIT_EXPIRE_DAYS);
            for (int button : {IDC_APPLY, IDOK}) {
                const FocusTracker focus;
                const std::vector<Popup> prompts = Press(hDlg, button);
                ASSERT_EQ(1u, prompts.size());
                EXPECT_EQ(AfxGetAppName(), prompts[0].caption);
                EXPECT_EQ(hDays, focus.LastFocused());
                EXPECT_TRUE(IsOpen(hDlg));
                EXPECT_EQ(before, DumpConfiguration(inner));
            }
            const std::vector<Popup> prompts =
                WithPopups([&] { PickComboRow(hDlg, IDC_COMBO_LEVEL, kTrace); });
            EXPECT_EQ(1u, prompts.size());
            EXPECT_EQ(c.afterChange, GetText(hDlg, IDC_EDIT_EXPIRE_DAYS));
            // A selection change goes on as well, after one prompt.
            SetText(hDlg, IDC_EDIT_EXPIRE_DAYS, c.days);
            EXPECT_EQ(1u, WithPopups([&] { ClickLabel(hDlg, "Alpha"); }).size());
            EXPECT_EQ("Alpha", GetText(hDlg, IDC_STATIC_TITLE));
            EXPECT_EQ(c.afterChange, GetText(hDlg, IDC_EDIT_EXPIRE_DAYS));
            // So does a tick of "Use Default Value": it stays ticked and is saved once the
            // count is mended.
            SetText(hDlg, IDC_EDIT_EXPIRE_DAYS, c.days);
            EXPECT_EQ(1u, Press(hDlg, IDC_USE_DEFAULT_TYPE).size());
            EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(hDlg, IDC_USE_DEFAULT_TYPE));
            SetText(hDlg, IDC_EDIT_EXPIRE_DAYS, "12");
            EXPECT_TRUE(Press(hDlg, IDC_APPLY).empty());
            std::string type;
            inner.GetString(SubSystemKey("Alpha").c_str(), "LogType", &type);
            EXPECT_EQ("Default", type);
            EXPECT_TRUE(Press(hDlg, IDOK).empty());
        });
        EXPECT_EQ(c.button == IDC_APPLY ? IDCANCEL : IDOK, result); // Apply keeps it open
        std::string days, level;
        inner.GetString(kBaseKey, "ExpireLogsAfter", &days);
        inner.GetString(kBaseKey, "DefaultLogLevel", &level);
        if (c.button != 0) {
            EXPECT_EQ(std::to_string(std::atoi(c.days)), days);
        } else {
            EXPECT_EQ("12", days);
            EXPECT_EQ("Trace", level); // the list change made while the count was refused
        }
    }
    app.m_pMainWnd = &dlg;
}

// Every Apply writes everything again, changed or not; Cancel keeps what Apply wrote and drops
// what came after. What another program wrote in between is overwritten only once the user
// says Yes; the dialog's own writes never ask.
TEST_F(DialogSaving, ApplyTwiceThenCancel) {
    std::string afterFirst, afterSecond;
    const INT_PTR result = RunModal(dlg, [&](HWND hDlg) {
        EXPECT_TRUE(Press(hDlg, IDC_APPLY).empty());
        afterFirst = DumpConfiguration(sandbox);
        sandbox.SetString(kBaseKey, "ExpireLogsAfter", "77");
        sandbox.SetString(SubSystemKey("Alpha").c_str(), "LogLevel", "Release");
        sandbox.SetString(SubSystemKey("Gamma").c_str(), "LogType", "Error");
        sandbox.SetString(SubSystemKey("Beta").c_str(), "LogType", "Default"); // as it was
        const std::vector<Popup> prompts =
            WithPopups([&] { ClickButton(hDlg, IDC_APPLY); },
                       [](const Popup& prompt) {
                           EXPECT_NE(nullptr, ::GetDlgItem(prompt.hWnd, IDNO));
                           ClickButton(prompt.hWnd, IDYES);
                       });
        ASSERT_EQ(1u, prompts.size());
        EXPECT_EQ(AfxGetAppName(), prompts[0].caption);
        for (const char* name : {"days", "Alpha", "Gamma", "overwrite"})
            EXPECT_NE(std::string::npos, prompts[0].text.find(name)) << prompts[0].text;
        for (const char* name : {"Beta", "Delta", "Default Settings"})
            EXPECT_EQ(std::string::npos, prompts[0].text.find(name)) << prompts[0].text;
        afterSecond = DumpConfiguration(sandbox);
        EXPECT_TRUE(Press(hDlg, IDC_APPLY).empty());
        PickComboRow(hDlg, IDC_COMBO_LEVEL, kRelease);
        SetText(hDlg, IDC_EDIT_EXPIRE_DAYS, "5");
        ClickLabel(hDlg, "Alpha");
        ClickCheckBox(hDlg, "Alpha");
        EXPECT_TRUE(Press(hDlg, IDCANCEL).empty());
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(afterFirst, afterSecond);
    EXPECT_EQ(afterFirst, DumpConfiguration(sandbox));
    EXPECT_EQ("\\DefaultLogLevel=1:Debug\\0\n"
              "\\DefaultLogType=1:Warning\\0\n"
              "\\ExpireLogsAfter=1:30\\0\n"
              "\\Alpha\\LogLevel=1:Trace\\0\n"
              "\\Alpha\\LogType=1:Information\\0\n"
              "\\Beta\\LogLevel=1:Default\\0\n"
              "\\Beta\\LogType=1:Default\\0\n"
              "\\Delta\\LogLevel=1:Release\\0\n"
              "\\Delta\\LogType=1:Default\\0\n"
              "\\Gamma\\LogLevel=1:None\\0\n"
              "\\Gamma\\LogType=1:None\\0\n",
              afterFirst);
}

// After an Apply of the user's own, another program changes a subsystem the user did not touch,
// deletes loaded subsystem keys and adds one. Apply and OK each ask once, naming ten and counting
// the rest; No writes nothing and keeps the dialog open with the user's edit. What the other
// program writes while the question is open is asked about on its own after Yes, and No to that
// writes nothing either. Yes writes everything; the added key stays. "alpha", added beside the
// loaded "Alpha", is the same key, which holds what was written last: neither is taken for
// changed.
TEST_F(DialogSaving, OutsideChangesAreOverwrittenOnlyWhenTheUserSaysYes) {
    for (int i = 1; i <= 11; ++i)
        sandbox.CreateKey(SubSystemKey("S" + std::to_string(100 + i)).c_str());
    auto answer = [](int button) {
        return [button](const Popup& prompt) { ClickButton(prompt.hWnd, button); };
    };
    const INT_PTR result = RunModal(dlg, [&](HWND hDlg) {
        // The dialog's own change, applied: never another program's.
        PickComboRow(hDlg, IDC_COMBO_LEVEL, kTrace);
        AddSubSystem(hDlg, "alpha");
        EXPECT_TRUE(WithPopups([&] { ClickButton(hDlg, IDC_APPLY); }, answer(IDNO)).empty());
        SetText(hDlg, IDC_EDIT_EXPIRE_DAYS, "9"); // an edit not yet applied
        sandbox.SetString(SubSystemKey("Beta").c_str(), "LogLevel", "Debug");
        sandbox.DeleteKey(SubSystemKey("Gamma").c_str());
        for (int i = 1; i <= 11; ++i)
            sandbox.DeleteKey(SubSystemKey("S" + std::to_string(100 + i)).c_str());
        sandbox.SetString(SubSystemKey("Zeta").c_str(), "LogLevel", "Trace");
        const std::string outside = DumpConfiguration(sandbox);
        const DialogState before = CaptureState(hDlg);
        for (int button : {IDC_APPLY, IDOK}) {
            const std::vector<Popup> prompts =
                WithPopups([&] { ClickButton(hDlg, button); }, answer(IDNO));
            ASSERT_EQ(1u, prompts.size());
            const std::string& text = prompts[0].text;
            for (const char* name : {"Beta\n", "Gamma (deleted)", "S108 (deleted)", "and 3 more"})
                EXPECT_NE(std::string::npos, text.find(name)) << text;
            for (const char* name :
                 {"Alpha", "alpha", "Delta", "S109", "Zeta", "Default Settings", "days"})
                EXPECT_EQ(std::string::npos, text.find(name)) << text;
            EXPECT_TRUE(IsOpen(hDlg));
            EXPECT_EQ(outside, DumpConfiguration(sandbox));
            EXPECT_EQ(before.Describe(), CaptureState(hDlg).Describe());
        }
        std::string whileAsked;
        const std::vector<Popup> prompts =
            WithPopups([&] { ClickButton(hDlg, IDC_APPLY); },
                       [&](const Popup& prompt) {
                           if (whileAsked.empty()) {
                               sandbox.SetString(SubSystemKey("Delta").c_str(), "LogType", "Error");
                               whileAsked = DumpConfiguration(sandbox);
                               ClickButton(prompt.hWnd, IDYES);
                           } else {
                               ClickButton(prompt.hWnd, IDNO);
                           }
                       });
        ASSERT_EQ(2u, prompts.size());
        EXPECT_NE(std::string::npos, prompts[0].text.find("Beta\n")) << prompts[0].text;
        EXPECT_EQ(std::string::npos, prompts[0].text.find("Delta")) << prompts[0].text;
        for (const char* name : {"again", "Delta\n", "overwrite"})
            EXPECT_NE(std::string::npos, prompts[1].text.find(name)) << prompts[1].text;
        for (const char* name : {"Beta", "Gamma", "S10", "days"})
            EXPECT_EQ(std::string::npos, prompts[1].text.find(name)) << prompts[1].text;
        EXPECT_EQ(whileAsked, DumpConfiguration(sandbox));
        EXPECT_EQ(before.Describe(), CaptureState(hDlg).Describe());
        const std::vector<Popup> all =
            WithPopups([&] { ClickButton(hDlg, IDC_APPLY); }, answer(IDYES));
        ASSERT_EQ(1u, all.size());
        for (const char* name : {"Beta\n", "Delta\n", "Gamma (deleted)"})
            EXPECT_NE(std::string::npos, all[0].text.find(name)) << all[0].text;
        EXPECT_EQ(std::string::npos, all[0].text.find("again")) << all[0].text;
        EXPECT_TRUE(Press(hDlg, IDOK).empty());
    });
    EXPECT_EQ(IDOK, result);
    const std::string saved = DumpConfiguration(sandbox);
    for (const char* line : {"\\ExpireLogsAfter=1:9\\0\n", "\\Alpha\\LogLevel=1:Default\\0\n",
                             "\\Beta\\LogLevel=1:Default\\0\n", "\\Delta\\LogType=1:Default\\0\n",
                             "\\Gamma\\LogLevel=1:None\\0\n", "\\S111\\LogType=1:Default\\0\n",
                             "\\Zeta\\LogLevel=1:Trace\\0\n"})
        EXPECT_NE(std::string::npos, saved.find(line)) << saved;
}

// A base key that another program deleted is a change like any other, and looking at it
// creates nothing: after No it is still gone. What the watch cannot read back is not taken for
// deleted: while the configuration cannot be opened at all, and while one subsystem's key cannot
// be, Apply asks, says so, and names what it can tell; what it remembers of the unread keys
// stays, also across a save that fails on them, so that the key's deletion is named later. A
// subsystem added in the dialog is watched from its adding on: a key of its name that another
// program writes is a change.
TEST_F(DialogSaving, WhatCannotBeReadBackIsNotTakenForDeleted) {
    auto apply = [](HWND hDlg, int button) {
        return WithPopups([&] { ClickButton(hDlg, IDC_APPLY); },
                          [button](const Popup& popup) {
                              ClickButton(popup.hWnd,
                                          ::GetDlgItem(popup.hWnd, button) ? button : IDOK);
                          });
    };
    auto expectAsked = [](const std::vector<Popup>& prompts, std::vector<const char*> said,
                          std::vector<const char*> unsaid) {
        ASSERT_EQ(1u, prompts.size());
        said.push_back("could not be read back in full");
        for (const char* text : said)
            EXPECT_NE(std::string::npos, prompts[0].text.find(text)) << prompts[0].text;
        for (const char* text : unsaid)
            EXPECT_EQ(std::string::npos, prompts[0].text.find(text)) << prompts[0].text;
    };
    RunModal(dlg, [&](HWND hDlg) {
        sandbox.DeleteKey(kBaseKey);
        const std::vector<Popup> deleted = apply(hDlg, IDNO);
        ASSERT_EQ(1u, deleted.size());
        for (const char* name : {"Alpha (deleted)", "Gamma (deleted)", "days", "Default Settings"})
            EXPECT_NE(std::string::npos, deleted[0].text.find(name)) << deleted[0].text;
        EXPECT_EQ(std::string::npos, deleted[0].text.find("read back")) << deleted[0].text;
        EXPECT_FALSE(sandbox.KeyExists(kBaseKey));
        sandbox.CreateUnopenableKey(kBaseKey);
        expectAsked(apply(hDlg, IDNO), {}, {"Alpha", "deleted"});
        // Put back as it was loaded: nothing to ask about.
        sandbox.DeleteKey(kBaseKey);
        FillConfiguration(sandbox);
        EXPECT_TRUE(apply(hDlg, IDNO).empty());

        AddSubSystem(hDlg, "Reports");
        sandbox.SetString(SubSystemKey("Reports").c_str(), "LogLevel", "Trace");
        sandbox.DeleteKey(SubSystemKey("Gamma").c_str());
        sandbox.CreateUnopenableKey(SubSystemKey("Gamma").c_str());
        expectAsked(apply(hDlg, IDNO), {"Reports\n", "Gamma"},
                    {"deleted", "Alpha", "Beta", "Delta", "days", "Default Settings"});
        EXPECT_EQ("Trace", Value(SubSystemKey("Reports"), "LogLevel"));
        // Yes writes all it can; Gamma's key cannot be written either.
        const std::vector<Popup> messages = apply(hDlg, IDYES);
        ASSERT_EQ(2u, messages.size());
        EXPECT_NE(std::string::npos, messages[1].text.find("could not be saved"));
        EXPECT_EQ("Default", Value(SubSystemKey("Reports"), "LogLevel"));
        sandbox.SetString(SubSystemKey("Beta").c_str(), "LogLevel", "Debug");
        expectAsked(apply(hDlg, IDNO), {"Beta\n", "Gamma"},
                    {"deleted", "Reports", "Alpha", "Delta", "days"});
        sandbox.DeleteKey(SubSystemKey("Gamma").c_str());
        const std::vector<Popup> gone = apply(hDlg, IDNO);
        ASSERT_EQ(1u, gone.size());
        for (const char* name : {"Beta\n", "Gamma (deleted)"})
            EXPECT_NE(std::string::npos, gone[0].text.find(name)) << gone[0].text;
        EXPECT_EQ(std::string::npos, gone[0].text.find("read back")) << gone[0].text;
    });
}

// Everything a user can change, applied, then seen again at the next start exactly as left. A
// key whose name the ANSI code page cannot hold, written by a Unicode program, enumerates as
// "??", which opens no key: it is neither shown nor written.
TEST_F(DialogSaving, NextStartShowsWhatWasSaved) {
    HKEY hUnicode = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                                L"SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging\\\x65E5\x5FD7", 0,
                                nullptr, 0, KEY_WRITE | kRegistryViewFlag, nullptr, &hUnicode,
                                nullptr));
    ::RegCloseKey(hUnicode);
    const std::vector<std::string> shown = {"Alpha", "Beta", "Delta", "Gamma"};
    const char* const nodes[] = {"Default Settings", "Alpha", "Beta", "Delta", "Gamma"};
    std::vector<std::string> seen, seenNext;
    const INT_PTR result = RunModal(dlg, [&](HWND hDlg) {
        EXPECT_EQ(shown, SubSystemTexts(hDlg));
        PickComboRow(hDlg, IDC_COMBO_LEVEL, kTrace);
        PickComboRow(hDlg, IDC_COMBO_TYPE, kInformation);
        ClickCheckBox(hDlg, "Alpha"); // off
        ClickLabel(hDlg, "Beta");
        ClickButton(hDlg, IDC_USE_DEFAULT_LEVEL); // takes the row still shown: Alpha's Trace
        ClickButton(hDlg, IDC_USE_DEFAULT_TYPE);
        PickComboRow(hDlg, IDC_COMBO_TYPE, kFatalErrors);
        ClickCheckBox(hDlg, "Gamma"); // on; its level and type are None until changed
        PickComboRow(hDlg, IDC_COMBO_LEVEL, kDebug);
        ClickLabel(hDlg, "Delta");
        ClickButton(hDlg, IDC_USE_DEFAULT_LEVEL);
        // Typed last: a check box click in the tree would put the last count taken back.
        SetText(hDlg, IDC_EDIT_EXPIRE_DAYS, "365");
        EXPECT_TRUE(Press(hDlg, IDC_APPLY).empty());
        for (const char* node : nodes) {
            ClickLabel(hDlg, node);
            seen.push_back(CaptureState(hDlg).Describe());
        }
        // Enter is OK: the dialog's own loop turns it into the default button's command.
        ::PostMessageA(::GetDlgItem(hDlg, IDC_EDIT_EXPIRE_DAYS), WM_KEYDOWN, VK_RETURN, 1);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ("\\DefaultLogLevel=1:Trace\\0\n"
              "\\DefaultLogType=1:Information\\0\n"
              "\\ExpireLogsAfter=1:365\\0\n"
              "\\Alpha\\LogLevel=1:None\\0\n"
              "\\Alpha\\LogType=1:None\\0\n"
              "\\Beta\\LogLevel=1:Trace\\0\n"
              "\\Beta\\LogType=1:FatalError\\0\n"
              "\\Delta\\LogLevel=1:Default\\0\n"
              "\\Delta\\LogType=1:Default\\0\n"
              "\\Gamma\\LogLevel=1:Debug\\0\n"
              "\\Gamma\\LogType=1:None\\0\n",
              DumpConfiguration(sandbox));

    CQuarnEventLogConfigurationDlg next;
    app.m_pMainWnd = &next;
    RunModal(next, [&](HWND hDlg) {
        EXPECT_EQ(shown, SubSystemTexts(hDlg));
        for (const char* node : nodes) {
            ClickLabel(hDlg, node);
            seenNext.push_back(CaptureState(hDlg).Describe());
        }
    });
    app.m_pMainWnd = &dlg;
    ASSERT_EQ(seen.size(), seenNext.size());
    for (size_t i = 0; i < seen.size(); ++i) {
        if (std::string(nodes[i]) == "Alpha")
            continue;
        EXPECT_EQ(seen[i], seenNext[i]) << nodes[i];
    }
    // A switched-off node keeps its level and type only while the dialog is open: it is stored
    // as None/None and comes back so.
    EXPECT_NE(std::string::npos, seen[1].find("row=2(0)")) << seen[1];
    EXPECT_NE(std::string::npos, seenNext[1].find("row=3(0)")) << seenNext[1];
    EXPECT_NE(std::string::npos, seenNext[1].find("[ ] Alpha")) << seenNext[1];
}

// Below a volatile base key, a subsystem key that does not exist yet cannot be created. Apply
// and OK then say so once, with the system's reason, and the dialog stays open with nothing
// lost; what could be written has been, and counts as the dialog's own.
TEST_F(DialogSaving, SaveTheRegistryRefusesIsReportedAndKeepsTheDialogOpen) {
    RegistrySandbox inner;
    inner.CreateVolatileKey(kBaseKey);
    inner.SetString(kBaseKey, "ExpireLogsAfter", "30");
    inner.CreateVolatileKey(SubSystemKey("Alpha").c_str());
    inner.SetString(SubSystemKey("Alpha").c_str(), "LogLevel", "Trace");
    CQuarnEventLogConfigurationDlg run;
    app.m_pMainWnd = &run;
    DialogState before, after;
    const INT_PTR result = RunModal(run, [&](HWND hDlg) {
        AddSubSystem(hDlg, "Kappa");
        AddSubSystem(hDlg, "Lambda");
        ClickLabel(hDlg, "Alpha");
        PickComboRow(hDlg, IDC_COMBO_LEVEL, kDebug);
        SetText(hDlg, IDC_EDIT_EXPIRE_DAYS, "9");
        before = CaptureState(hDlg);
        for (int button : {IDC_APPLY, IDOK}) {
            const std::vector<Popup> messages = Press(hDlg, button);
            ASSERT_EQ(1u, messages.size());
            EXPECT_EQ(AfxGetAppName(), messages[0].caption);
            EXPECT_NE(std::string::npos,
                      messages[0].text.find("The logging configuration could not be saved."));
            ASSERT_FALSE(SystemText(ERROR_CHILD_MUST_BE_VOLATILE).empty());
            EXPECT_NE(std::string::npos,
                      messages[0].text.find(SystemText(ERROR_CHILD_MUST_BE_VOLATILE)))
                << messages[0].text;
            EXPECT_TRUE(IsOpen(hDlg));
        }
        // The dialog's own writes do not count, the keys it could not create are not missed,
        // and another program's change is still noticed.
        inner.SetString(SubSystemKey("Alpha").c_str(), "LogType", "Warning");
        const std::vector<Popup> messages =
            WithPopups([&] { ClickButton(hDlg, IDC_APPLY); },
                       [](const Popup& popup) {
                           ClickButton(popup.hWnd, ::GetDlgItem(popup.hWnd, IDYES) ? IDYES : IDOK);
                       });
        ASSERT_EQ(2u, messages.size()); // the question, then the failure again
        EXPECT_NE(std::string::npos, messages[0].text.find("Alpha")) << messages[0].text;
        for (const char* name : {"Kappa", "Lambda", "days", "Default Settings"})
            EXPECT_EQ(std::string::npos, messages[0].text.find(name)) << messages[0].text;
        after = CaptureState(hDlg);
    });
    app.m_pMainWnd = &dlg;
    EXPECT_EQ(IDCANCEL, result); // cancelled by the driver once the script ended
    EXPECT_EQ(before.Describe(), after.Describe());
    std::string days, level;
    inner.GetString(kBaseKey, "ExpireLogsAfter", &days);
    inner.GetString(SubSystemKey("Alpha").c_str(), "LogLevel", &level);
    EXPECT_EQ("9", days);
    EXPECT_EQ("Debug", level);
    EXPECT_FALSE(inner.KeyExists(SubSystemKey("Kappa").c_str()));
}

} // namespace
