// The main dialog's window: fonts, the tree's check marks after painting, the system menu's About
// entry and command, the icons, the minimised painting and the platform's own system commands.
#include "app/AboutDlg.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/ModalDriver.h"
#include "ui/QuarnEventLogConfigurationDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

BOOL CALLBACK CollectChild(HWND hWnd, LPARAM lParam) {
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

// Records whether the window is asked to erase an icon's background, then goes on as before.
WNDPROC g_pfnDialogProc = nullptr;
int g_nIconErase = 0;
LRESULT CALLBACK SpyIconErase(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ICONERASEBKGND && wParam != 0 && lParam == 0)
        ++g_nIconErase;
    return ::CallWindowProcA(g_pfnDialogProc, hWnd, message, wParam, lParam);
}

// The About box doing in OnInitDialog what any dialog may do before it is first shown.
class CSelfPlacingAbout : public CAboutDlg {
public:
    explicit CSelfPlacingAbout(const std::function<void(HWND)>& onInit) : m_onInit(onInit) {}
    BOOL OnInitDialog() override {
        const BOOL result = CAboutDlg::OnInitDialog();
        m_onInit(m_hWnd);
        return result;
    }

private:
    std::function<void(HWND)> m_onInit;
};

} // namespace

// Every child has the stock GUI font, hidden ones included, except the bold title; the check
// marks set at start-up survive the tree's painting.
TEST(DialogChrome, FontsAndCheckMarksAfterPainting) {
    RegistrySandbox sandbox;
    sandbox.SetString(SubSystemKey("Alpha").c_str(), "LogLevel", "None");
    sandbox.SetString(SubSystemKey("Alpha").c_str(), "LogType", "None");
    sandbox.SetString(SubSystemKey("Zeta").c_str(), "LogLevel", "Debug");

    const HFONT hStock = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    CQuarnEventLogConfigurationDlg dlg;
    std::vector<int> otherFonts; // ids of children without the stock font, besides the title
    int nChildren = 0;
    LOGFONTA title = {};
    HFONT hTitle = nullptr;
    DialogState painted{};
    bool hasStateImages = false;
    RunModal(dlg, [&](HWND hDlg) {
        std::vector<HWND> children;
        ::EnumChildWindows(hDlg, &CollectChild, reinterpret_cast<LPARAM>(&children));
        nChildren = static_cast<int>(children.size());
        for (HWND hChild : children) {
            const HFONT hFont = reinterpret_cast<HFONT>(::SendMessageA(hChild, WM_GETFONT, 0, 0));
            if (::GetDlgCtrlID(hChild) == IDC_STATIC_TITLE)
                hTitle = hFont;
            else if (hFont != hStock)
                otherFonts.push_back(::GetDlgCtrlID(hChild));
        }
        if (hTitle)
            ::GetObjectA(hTitle, sizeof title, &title);

        ::RedrawWindow(Tree(hDlg), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        painted = CaptureState(hDlg);
        hasStateImages = ::SendMessageA(Tree(hDlg), TVM_GETIMAGELIST, TVSIL_STATE, 0) != 0;
    });

    EXPECT_EQ(20, nChildren); // every control of the template
    EXPECT_EQ(std::vector<int>(), otherFonts);
    ASSERT_NE(nullptr, hTitle);
    EXPECT_NE(hStock, hTitle);
    EXPECT_EQ(700, title.lfWeight);
    EXPECT_EQ(16, title.lfHeight);
    EXPECT_EQ(0, title.lfWidth);
    EXPECT_EQ(ANSI_CHARSET, title.lfCharSet);
    EXPECT_FALSE(title.lfItalic || title.lfUnderline || title.lfStrikeOut);
    EXPECT_STREQ("", title.lfFaceName);

    EXPECT_TRUE(hasStateImages);
    EXPECT_EQ("[x] Default Settings data=-1 selected\n"
              "[ ] SubSystems data=0 expanded\n"
              "  [ ] Alpha data=0\n"
              "  [x] Zeta data=1\n",
              painted.Describe().substr(0, painted.Describe().find("title=")));
}

// The system menu ends with a separator and the About entry; the one icon serves as the large
// and the small icon and as the drag icon.
TEST(DialogChrome, SystemMenuEntryAndIcons) {
    RegistrySandbox sandbox;
    CQuarnEventLogConfigurationDlg dlg;
    int nItems = 0;
    UINT separatorState = 0, aboutId = 0;
    std::string aboutText;
    LRESULT dragIcon = 0, bigIcon = 0, smallIcon = 0;
    RunModal(dlg, [&](HWND hDlg) {
        HMENU hMenu = ::GetSystemMenu(hDlg, FALSE);
        nItems = ::GetMenuItemCount(hMenu);
        if (nItems >= 2) {
            separatorState = ::GetMenuState(hMenu, static_cast<UINT>(nItems - 2), MF_BYPOSITION);
            aboutId = ::GetMenuItemID(hMenu, nItems - 1);
            char text[128] = {};
            ::GetMenuStringA(hMenu, static_cast<UINT>(nItems - 1), text, sizeof text,
                             MF_BYPOSITION);
            aboutText = text;
        }
        dragIcon = ::SendMessageA(hDlg, WM_QUERYDRAGICON, 0, 0);
        bigIcon = ::SendMessageA(hDlg, WM_GETICON, ICON_BIG, 0);
        smallIcon = ::SendMessageA(hDlg, WM_GETICON, ICON_SMALL, 0);
    });

    ASSERT_GE(nItems, 2);
    EXPECT_TRUE(separatorState & MF_SEPARATOR);
    EXPECT_EQ(0x0010u, aboutId);
    EXPECT_EQ("&About QuarnEventLogConfiguration...", aboutText);

    const HICON hAppIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    ASSERT_NE(nullptr, hAppIcon);
    EXPECT_EQ(reinterpret_cast<LRESULT>(hAppIcon), dragIcon);
    EXPECT_EQ(dragIcon, bigIcon);
    EXPECT_EQ(dragIcon, smallIcon);
}

// Every command whose id is 0x0010 once its four low bits are cleared opens the About box, modal
// to the dialog; other commands go to the platform, which minimises, restores and closes.
TEST(DialogChrome, SystemCommands) {
    RegistrySandbox sandbox;
    struct Command {
        WPARAM id;
        bool opensAbout;
    };
    const Command commands[] = {{0x0010, true},     {0x0011, true},  {0x001F, true},
                                {0x0020, false},    {0x000F, false}, {SC_MINIMIZE, false},
                                {SC_RESTORE, false}};

    // As in the program, the dialog is the application's main window, which owns the About box.
    CWinApp app;
    CQuarnEventLogConfigurationDlg dlg;
    app.m_pMainWnd = &dlg;
    std::vector<std::vector<Popup>> popups;
    std::vector<std::string> aboutFacts;
    bool iconicAfterMinimise = false, iconicAfterRestore = true;
    int iconErasesMinimised = 0, iconErasesRestored = 0;
    bool hiddenByClose = false;
    INT_PTR result = 0;
    result = RunModal(dlg, [&](HWND hDlg) {
        for (const Command& command : commands) {
            popups.push_back(WithPopups(
                [&] { ::SendMessageA(hDlg, WM_SYSCOMMAND, command.id, 0); },
                [&](const Popup& popup) {
                    char cls[64] = {};
                    ::GetClassNameA(popup.hWnd, cls, sizeof cls);
                    const LONG style = ::GetWindowLongA(popup.hWnd, GWL_STYLE);
                    aboutFacts.push_back(
                        std::string(cls) + " popup=" + std::to_string((style & WS_POPUP) != 0) +
                        " owner=" + std::to_string(::GetWindow(popup.hWnd, GW_OWNER) == hDlg) +
                        " ownerDisabled=" + std::to_string(!::IsWindowEnabled(hDlg)));
                    ::SendMessageA(popup.hWnd, WM_COMMAND, IDOK, 0);
                }));
            PumpMessages();
            if (command.id == SC_MINIMIZE) {
                iconicAfterMinimise = ::IsIconic(hDlg) != FALSE;
                // A minimised window paints the application icon; under Wine its client area is
                // empty, so only the icon branch can be observed, not where the icon lands.
                g_pfnDialogProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
                    hDlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SpyIconErase)));
                g_nIconErase = 0;
                ::SendMessageA(hDlg, WM_PAINT, 0, 0);
                iconErasesMinimised = g_nIconErase;
            } else if (command.id == SC_RESTORE) {
                iconicAfterRestore = ::IsIconic(hDlg) != FALSE;
                g_nIconErase = 0;
                ::RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                ::SendMessageA(hDlg, WM_PAINT, 0, 0);
                iconErasesRestored = g_nIconErase;
                ::SetWindowLongPtrA(hDlg, GWLP_WNDPROC,
                                    reinterpret_cast<LONG_PTR>(g_pfnDialogProc));
            }
        }
        // Closing cancels: an edit made on screen is not written.
        PickComboRow(hDlg, IDC_COMBO_LEVEL, 2);
        ::SendMessageA(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
        PumpMessages();
        hiddenByClose = !::IsWindowVisible(hDlg);
    });

    ASSERT_EQ(std::size(commands), popups.size());
    for (size_t i = 0; i < popups.size(); ++i) {
        SCOPED_TRACE(commands[i].id);
        ASSERT_EQ(commands[i].opensAbout ? 1u : 0u, popups[i].size());
        if (commands[i].opensAbout) {
            EXPECT_EQ("About QuarnEventLogConfiguration", popups[i][0].caption);
        }
    }
    for (const std::string& facts : aboutFacts)
        EXPECT_EQ("#32770 popup=1 owner=1 ownerDisabled=1", facts);

    EXPECT_TRUE(iconicAfterMinimise);
    EXPECT_EQ(1, iconErasesMinimised);
    EXPECT_FALSE(iconicAfterRestore);
    EXPECT_EQ(0, iconErasesRestored);

    EXPECT_TRUE(hiddenByClose);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(0, sandbox.ValueCount(kBaseKey));
}

// The main dialog, which has no owner, opens in the middle of the work area and the About box in
// the middle of the main dialog; over a main dialog hanging off a corner of the screen the About
// box stays inside the work area, against that corner, and over a minimised or hidden main dialog
// it opens in the middle of the work area. A dialog larger than the work area shows its top-left
// corner; one that moved or showed itself while starting keeps its place.
TEST(DialogChrome, DialogsOpenCentred) {
    RegistrySandbox sandbox;
    CWinApp app;
    CQuarnEventLogConfigurationDlg dlg;
    app.m_pMainWnd = &dlg;
    RECT work = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT main = {}, about = {}, aboutTopLeft = {}, aboutBottomRight = {};
    RECT aboutOverMinimised = {}, aboutOverHidden = {};
    RunModal(dlg, [&](HWND hDlg) {
        const auto aboutRect = [&] {
            RECT rect = {};
            WithPopups([&] { ::SendMessageA(hDlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); },
                       [&](const Popup& popup) {
                           ::GetWindowRect(popup.hWnd, &rect);
                           ::SendMessageA(popup.hWnd, WM_COMMAND, IDOK, 0);
                       });
            return rect;
        };
        ::GetWindowRect(hDlg, &main);
        about = aboutRect();
        const int width = main.right - main.left, height = main.bottom - main.top;
        ::SetWindowPos(hDlg, nullptr, work.left + 40 - width, work.top + 40 - height, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
        aboutTopLeft = aboutRect();
        ::SetWindowPos(hDlg, nullptr, work.right - 40, work.bottom - 40, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
        aboutBottomRight = aboutRect();
        ::ShowWindow(hDlg, SW_MINIMIZE);
        aboutOverMinimised = aboutRect();
        ::ShowWindow(hDlg, SW_RESTORE);
        ::ShowWindow(hDlg, SW_HIDE);
        aboutOverHidden = aboutRect();
        ::ShowWindow(hDlg, SW_SHOW);
    });

    const auto expectSameCentre = [](const RECT& outer, const RECT& inner) {
        EXPECT_NEAR((outer.left + outer.right) / 2, (inner.left + inner.right) / 2, 2);
        EXPECT_NEAR((outer.top + outer.bottom) / 2, (inner.top + inner.bottom) / 2, 2);
    };
    ASSERT_GT(main.right - main.left, about.right - about.left);
    expectSameCentre(work, main);
    expectSameCentre(main, about);
    EXPECT_EQ(work.left, aboutTopLeft.left);
    EXPECT_EQ(work.top, aboutTopLeft.top);
    EXPECT_EQ(work.right, aboutBottomRight.right);
    EXPECT_EQ(work.bottom, aboutBottomRight.bottom);
    EXPECT_EQ(about.right - about.left, aboutBottomRight.right - aboutBottomRight.left);
    expectSameCentre(work, aboutOverMinimised);
    expectSameCentre(work, aboutOverHidden);

    // The main dialog is gone: these About boxes have no owner.
    const auto placed = [](const std::function<void(HWND)>& onInit) {
        CSelfPlacingAbout self(onInit);
        RECT rect = {};
        RunModal(self, [&](HWND hAbout) { ::GetWindowRect(hAbout, &rect); });
        return rect;
    };
    const RECT large = placed([&](HWND hAbout) {
        ::SetWindowPos(hAbout, nullptr, 0, 0, work.right - work.left + 60,
                       work.bottom - work.top + 40, SWP_NOMOVE | SWP_NOZORDER);
    });
    EXPECT_EQ(work.left, large.left);
    EXPECT_EQ(work.top, large.top);
    const RECT moved = placed([&](HWND hAbout) {
        ::SetWindowPos(hAbout, nullptr, work.left + 13, work.top + 17, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER);
    });
    EXPECT_EQ(work.left + 13, moved.left);
    EXPECT_EQ(work.top + 17, moved.top);
    RECT whenShown = {};
    const RECT shown = placed([&](HWND hAbout) {
        ::ShowWindow(hAbout, SW_SHOWNA);
        ::GetWindowRect(hAbout, &whenShown);
    });
    EXPECT_EQ(whenShown.left, shown.left);
    EXPECT_EQ(whenShown.top, shown.top);
    EXPECT_NE((work.left + work.right) / 2, (shown.left + shown.right) / 2); // not centred
}
