// The main dialog's start-up, run for real under a sandboxed registry: what it creates, how it
// orders and shows the subsystems, how it reads the day count whatever the stored data, what each
// node shows, and how it tells the user that the configuration cannot be opened.
#include "res/resource.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/ModalDriver.h"
#include "ui/QuarnEventLogConfigurationDlg.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

using Strings = std::vector<std::string>;

// The tree part of a state description, and the rest (title, both groups, days, hidden index).
std::string TreeText(const DialogState& state) {
    const std::string text = state.Describe();
    return text.substr(0, text.find("title="));
}
std::string Panel(const DialogState& state) {
    const std::string text = state.Describe();
    return text.substr(text.find("title="));
}

std::string Panel(const std::string& title, const std::string& level, const std::string& type,
                  const std::string& days, int index) {
    return "title=" + title + "\nlevel: " + level + "\ntype: " + type + "\ndays=" + days +
           " index=" + std::to_string(index) + "\n";
}

// Shown for the default settings when nothing is stored.
const std::string kReleaseLevel = "default=0(0) row=0(1) 'Only Release events will be logged'(1)";
const std::string kErrorType = "default=0(0) row=1(1) 'Errors and Fatal Errors will be logged'(1)";

Strings ComboRows(HWND hDlg, int nID) {
    HWND hCombo = ::GetDlgItem(hDlg, nID);
    Strings rows;
    const int count = static_cast<int>(::SendMessageA(hCombo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char buffer[256] = {};
        ::SendMessageA(hCombo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(buffer));
        rows.push_back(buffer);
    }
    return rows;
}

std::string SystemMessage(DWORD code) {
    char buffer[512] = {};
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, code, 0, buffer, sizeof buffer, nullptr);
    while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r'))
        --length;
    return std::string(buffer, length);
}

} // namespace

TEST(DialogStartup, WithoutBaseKeyCreatesItEmptyAndShowsTheDefaults) {
    RegistrySandbox sandbox;
    ASSERT_FALSE(sandbox.KeyExists(kBaseKey));

    CQuarnEventLogConfigurationDlg dlg;
    DialogState state{};
    Strings levels, types;
    INT_PTR result = 0;
    const std::vector<Popup> popups = WithPopups([&] {
        result = RunModal(dlg, [&](HWND hDlg) {
            state = CaptureState(hDlg);
            levels = ComboRows(hDlg, IDC_COMBO_LEVEL);
            types = ComboRows(hDlg, IDC_COMBO_TYPE);
        });
    });

    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(popups.empty()) << popups.front().text;
    // The tree view refuses to expand an item without children, so the empty heading does not
    // carry the expanded state.
    EXPECT_EQ("[x] Default Settings data=-1 selected\n"
              "[ ] SubSystems data=0\n",
              TreeText(state));
    EXPECT_EQ(Panel("Default Settings", kReleaseLevel, kErrorType, "2", -1), Panel(state));
    // The lists in table order, unsorted, so that a row is a table index.
    EXPECT_EQ(Strings({"Release", "Debug", "Trace", "None"}), levels);
    EXPECT_EQ(Strings({"Fatal Errors", "Errors", "Warnings", "Information", "None"}), types);
    // Opening the dialog creates the base key and writes nothing into it.
    EXPECT_TRUE(sandbox.KeyExists(kBaseKey));
    EXPECT_EQ(0, sandbox.ValueCount(kBaseKey));
    EXPECT_TRUE(sandbox.SubKeys(kBaseKey).empty());
}

// The registry lists "a'd", "a-c", "ab" (by character code), the tree sorts them as words, where
// hyphens and apostrophes weigh less: "ab", "a-c", "a'd". Item data stays the load position.
TEST(DialogStartup, SubSystemsKeepLoadOrderWhileTheTreeShowsThemSorted) {
    RegistrySandbox sandbox;
    sandbox.SetString(SubSystemKey("ab").c_str(), "LogType", "Information");
    sandbox.SetString(SubSystemKey("a-c").c_str(), "LogLevel", "Debug");
    sandbox.SetString(SubSystemKey("a'd").c_str(), "LogLevel", "Trace");
    sandbox.SetString(SubSystemKey("a'd").c_str(), "LogType", "Warning");
    ASSERT_EQ(Strings({"a'd", "a-c", "ab"}), sandbox.SubKeys(kBaseKey));

    CQuarnEventLogConfigurationDlg dlg;
    DialogState atStart{};
    Strings panels;
    RunModal(dlg, [&](HWND hDlg) {
        atStart = CaptureState(hDlg);
        for (const char* name : {"ab", "a-c", "a'd"}) {
            ClickLabel(hDlg, name);
            panels.push_back(Panel(CaptureState(hDlg)));
        }
    });

    EXPECT_EQ("[x] Default Settings data=-1 selected\n"
              "[x] SubSystems data=0 expanded\n"
              "  [x] ab data=2\n"
              "  [x] a-c data=1\n"
              "  [x] a'd data=0\n",
              TreeText(atStart));
    // Each item shows its own settings; a Default value leaves the list on its previous row.
    EXPECT_EQ(Strings({
                  Panel("ab", "default=1(1) row=0(0) 'Default Value used'(1)",
                        "default=0(1) row=3(1) 'Events of all types will be logged'(1)", "2", 2),
                  Panel("a-c", "default=0(1) row=1(1) 'Debug and Release events will be logged'(1)",
                        "default=1(1) row=3(0) 'Default Value used'(1)", "2", 1),
                  Panel("a'd", "default=0(1) row=2(1) 'Events of all levels will be logged'(1)",
                        "default=0(1) row=2(1) 'Warnings, Errors and Fatal Errors will be "
                        "logged'(1)",
                        "2", 0),
              }),
              panels);
}

// A key stored as None and None starts unchecked; "SubSystems" is checked exactly when every
// subsystem is.
TEST(DialogStartup, SwitchedOffSubSystemsAndTheSubSystemsCheck) {
    struct Stored {
        const char* name;
        const char* level;
        const char* type;
    };
    struct Case {
        std::vector<Stored> stored;
        std::string tree;
    };
    const Case cases[] = {
        {{}, "[x] Default Settings data=-1 selected\n[ ] SubSystems data=0\n"},
        {{{"Alpha", "Debug", "Error"}, {"Beta", nullptr, nullptr}},
         "[x] Default Settings data=-1 selected\n[x] SubSystems data=0 expanded\n"
         "  [x] Alpha data=0\n  [x] Beta data=1\n"},
        {{{"Alpha", "none", "NONE"}, {"Beta", "Debug", nullptr}},
         "[x] Default Settings data=-1 selected\n[ ] SubSystems data=0 expanded\n"
         "  [ ] Alpha data=0\n  [x] Beta data=1\n"},
        {{{"Alpha", "None", "None"}, {"Beta", "None", "None"}},
         "[x] Default Settings data=-1 selected\n[ ] SubSystems data=0 expanded\n"
         "  [ ] Alpha data=0\n  [ ] Beta data=1\n"},
        // Only the pair None and None switches a node off.
        {{{"Alpha", "None", "Warning"}, {"Beta", "Release", "None"}},
         "[x] Default Settings data=-1 selected\n[x] SubSystems data=0 expanded\n"
         "  [x] Alpha data=0\n  [x] Beta data=1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tree);
        RegistrySandbox sandbox;
        for (const Stored& s : c.stored) {
            sandbox.CreateKey(SubSystemKey(s.name).c_str());
            if (s.level)
                sandbox.SetString(SubSystemKey(s.name).c_str(), "LogLevel", s.level);
            if (s.type)
                sandbox.SetString(SubSystemKey(s.name).c_str(), "LogType", s.type);
        }
        CQuarnEventLogConfigurationDlg dlg;
        DialogState atStart{}, alpha{};
        RunModal(dlg, [&](HWND hDlg) {
            atStart = CaptureState(hDlg);
            if (FindItem(hDlg, "Alpha")) {
                ClickLabel(hDlg, "Alpha");
                alpha = CaptureState(hDlg);
            }
        });
        EXPECT_EQ(c.tree, TreeText(atStart));
        if (c.stored.empty())
            continue;
        ASSERT_GE(atStart.tree.size(), 3u);
        if (atStart.tree[2].checked)
            continue;
        // Selected, a switched-off node keeps its values on screen with every control disabled,
        // and selecting it does not switch it on.
        EXPECT_EQ(Panel("Alpha", "default=0(0) row=3(0) 'No events will be logged'(0)",
                        "default=0(0) row=4(0) 'No events will be logged'(0)", "2", 0),
                  Panel(alpha));
        EXPECT_FALSE(alpha.tree[2].checked);
        EXPECT_TRUE(alpha.tree[2].selected);
    }
}

// The day count is the leading number of whatever data is stored, read in the "C" locale; the
// user's locale is back in force afterwards and nothing is written.
TEST(DialogStartup, ExpireLogsAfterTakesTheLeadingNumberOfAnyData) {
    struct Case {
        const char* what;
        DWORD type; // 0: no value
        std::string data;
        const char* shown;
    };
    const std::string kMaxRead = "7" + std::string(198, ' ') + std::string(1, '\0'); // 200 bytes
    const Case cases[] = {
        {"plain", REG_SZ, std::string("30\0", 3), "30"},
        {"blank then digits then a word", REG_SZ, std::string(" 14days\0", 8), "14"},
        {"no digits", REG_SZ, std::string("abc\0", 4), "0"},
        {"signed", REG_SZ, std::string("-5\0", 3), "-5"},
        {"missing", 0, "", "2"},
        // 0x00003534: its bytes read as the text "45", not as the number 13620.
        {"REG_DWORD", REG_DWORD, std::string("45\0\0", 4), "45"},
        {"binary without a terminating zero", REG_BINARY, "77", "77"},
        {"exactly 200 bytes", REG_SZ, kMaxRead, "7"},
        {"201 bytes", REG_SZ, " " + kMaxRead, "2"},
        {"beyond the range of long", REG_SZ, std::string("99999999999999999999\0", 21),
         "2147483647"},
        {"beyond the range of long, negative", REG_SZ, std::string("-99999999999999999999\0", 22),
         "-2147483648"},
    };

    ASSERT_NE(nullptr, std::setlocale(LC_ALL, "German_Germany.1252"));
    const std::string userLocale = std::setlocale(LC_ALL, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RegistrySandbox sandbox;
        sandbox.CreateKey(kBaseKey);
        if (c.type)
            sandbox.SetRaw(kBaseKey, "ExpireLogsAfter", c.type, c.data.data(),
                           static_cast<DWORD>(c.data.size()));
        CQuarnEventLogConfigurationDlg dlg;
        std::string days;
        RunModal(dlg, [&](HWND hDlg) { days = GetText(hDlg, IDC_EDIT_EXPIRE_DAYS); });
        EXPECT_EQ(c.shown, days);
        EXPECT_EQ(userLocale, std::setlocale(LC_ALL, nullptr));
        DWORD type = 0;
        std::vector<unsigned char> bytes;
        EXPECT_EQ(c.type != 0, sandbox.GetRaw(kBaseKey, "ExpireLogsAfter", &type, &bytes));
        EXPECT_EQ(c.type, c.type ? type : 0);
        EXPECT_EQ(c.data, std::string(bytes.begin(), bytes.end()));
    }
    std::setlocale(LC_ALL, "C");
}

// What each kind of node shows, and which of its controls can be used.
TEST(DialogStartup, EachNodeShowsItsOwnValuesAndEnableStates) {
    RegistrySandbox sandbox;
    // Stored as "Default", the default settings' level follows nothing; its box can be cleared.
    sandbox.SetString(kBaseKey, "DefaultLogLevel", "Default");
    sandbox.SetString(kBaseKey, "DefaultLogType", "information");
    sandbox.SetString(SubSystemKey("Own").c_str(), "LogLevel", "Trace");
    sandbox.SetString(SubSystemKey("Own").c_str(), "LogType", "FatalError");
    sandbox.CreateKey(SubSystemKey("Follows").c_str());
    sandbox.SetString(SubSystemKey("Mixed").c_str(), "LogLevel", "Debug");
    sandbox.SetString(SubSystemKey("Mixed").c_str(), "LogType", "Default");

    CQuarnEventLogConfigurationDlg dlg;
    Strings panels;
    RunModal(dlg, [&](HWND hDlg) {
        panels.push_back(Panel(CaptureState(hDlg)));
        for (const char* name : {"Own", "Follows", "Mixed", "Default Settings"}) {
            ClickLabel(hDlg, name);
            panels.push_back(Panel(CaptureState(hDlg)));
        }
    });

    const std::string defaultUsedLevelOnDefaults = "default=1(1) row=0(0) 'Default Value used'(1)";
    const std::string informationType =
        "default=0(0) row=3(1) 'Events of all types will be logged'(1)";
    EXPECT_EQ(
        Strings({
            Panel("Default Settings", defaultUsedLevelOnDefaults, informationType, "2", -1),
            Panel("Own", "default=0(1) row=2(1) 'Events of all levels will be logged'(1)",
                  "default=0(1) row=0(1) 'Only Fatal Errors will be logged'(1)", "2", 2),
            // The lists keep the rows of the node shown before.
            Panel("Follows", "default=1(1) row=2(0) 'Default Value used'(1)",
                  "default=1(1) row=0(0) 'Default Value used'(1)", "2", 0),
            Panel("Mixed", "default=0(1) row=1(1) 'Debug and Release events will be logged'(1)",
                  "default=1(1) row=0(0) 'Default Value used'(1)", "2", 1),
            Panel("Default Settings", "default=1(1) row=1(0) 'Default Value used'(1)",
                  informationType, "2", -1),
        }),
        panels);
}

// "SubSystems" is a heading: neither the mouse nor the keyboard makes it the current node.
TEST(DialogStartup, SubSystemsHeadingIsNeverSelected) {
    RegistrySandbox sandbox;
    sandbox.SetString(SubSystemKey("Alpha").c_str(), "LogLevel", "Debug");
    sandbox.SetString(SubSystemKey("Zeta").c_str(), "LogLevel", "Trace");

    CQuarnEventLogConfigurationDlg dlg;
    DialogState atStart{}, afterClick{}, onAlpha{}, afterClickFromAlpha{}, afterKeyUp{};
    RunModal(dlg, [&](HWND hDlg) {
        atStart = CaptureState(hDlg);
        ClickLabel(hDlg, "SubSystems");
        afterClick = CaptureState(hDlg);
        ClickLabel(hDlg, "Alpha");
        onAlpha = CaptureState(hDlg);
        ClickLabel(hDlg, "SubSystems");
        afterClickFromAlpha = CaptureState(hDlg);
        PressKey(Tree(hDlg), VK_UP); // from Alpha, the item above is "SubSystems"
        afterKeyUp = CaptureState(hDlg);
    });

    EXPECT_EQ(atStart.Describe(), afterClick.Describe());
    ASSERT_EQ("title=Alpha\n", Panel(onAlpha).substr(0, 12));
    EXPECT_EQ(onAlpha.Describe(), afterClickFromAlpha.Describe());
    EXPECT_EQ(onAlpha.Describe(), afterKeyUp.Describe());
}

// When the base key can be neither opened nor created, the dialog shows what an empty
// configuration shows and, once it is up, says why nothing can be edited.
TEST(DialogStartup, UnopenableConfigurationIsShownAsDefaultsAndReported) {
    RegistrySandbox sandbox;
    // Below a volatile key the non-volatile base key cannot be created.
    sandbox.CreateVolatileKey("SOFTWARE\\Brivantex\\Quarns");

    CQuarnEventLogConfigurationDlg dlg;
    DialogState state{};
    bool dialogUpAtReport = false, ownedByDialog = false;
    std::string titleAtReport;
    const std::vector<Popup> popups = WithPopups(
        [&] {
            RunModal(dlg, [&](HWND hDlg) {
                // The report may still be on its way: wait for it to be closed.
                for (int i = 0; i < 400 && dialogUpAtReport == false; ++i) {
                    PumpMessages();
                    ::Sleep(5);
                }
                state = CaptureState(hDlg);
            });
        },
        [&](const Popup& popup) {
            dialogUpAtReport = ::IsWindowVisible(dlg.m_hWnd) != FALSE;
            titleAtReport = GetText(dlg.m_hWnd, IDC_STATIC_TITLE);
            ownedByDialog = ::GetWindow(popup.hWnd, GW_OWNER) == dlg.m_hWnd;
            ::SendMessageA(popup.hWnd, WM_COMMAND, IDOK, 0);
        });

    ASSERT_EQ(1u, popups.size());
    EXPECT_NE(std::string::npos,
              popups[0].text.find("logging configuration could not be opened for editing"))
        << popups[0].text;
    const std::string reason = SystemMessage(ERROR_CHILD_MUST_BE_VOLATILE);
    ASSERT_FALSE(reason.empty());
    EXPECT_NE(std::string::npos, popups[0].text.find(reason)) << popups[0].text;
    EXPECT_TRUE(dialogUpAtReport);
    EXPECT_EQ("Default Settings", titleAtReport);
    EXPECT_TRUE(ownedByDialog);

    EXPECT_EQ("[x] Default Settings data=-1 selected\n"
              "[ ] SubSystems data=0\n",
              TreeText(state));
    EXPECT_EQ(Panel("Default Settings", kReleaseLevel, kErrorType, "2", -1), Panel(state));
    EXPECT_FALSE(sandbox.KeyExists(kBaseKey));
}
