// The main dialog at the DPI of the monitor it is on. At start-up it is drawn at the system's DPI:
// 96 in the suite's prefix, and 144 and 192 in this program started again with the prefix's
// resolution set for it alone. Wine 8 has one DPI for every window of a program and never tells
// a window that its DPI changed, so here the test sends the real dialog the messages with which
// Windows moves it to a monitor of another DPI: first the question for its size, then
// WM_DPICHANGED with the rectangle that follows.
#include "res/resource.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/ModalDriver.h"
#include "ui/CheckBoxImages.h"
#include "ui/Dpi.h"
#include "ui/QuarnEventLogConfigurationDlg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

// The template: 340 x 265 dialog units of 8-point MS Sans Serif, 6 x 13 pixels per 4 x 8 units
// at 96 DPI.
const SIZE kClientAt96 = {::MulDiv(340, 6, 4), ::MulDiv(265, 13, 8)};

std::string ClassOf(HWND hWnd) {
    char szClass[32] = {};
    ::GetClassNameA(hWnd, szClass, sizeof szClass);
    return szClass;
}

RECT RectIn(HWND hWnd, HWND hParent) {
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    ::MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Describe(HWND hWnd) {
    return ClassOf(hWnd) + " " + std::to_string(::GetDlgCtrlID(hWnd)) + " '" + GetText(hWnd) + "'";
}

std::vector<HWND> ShownControls(HWND hDlg) {
    std::vector<HWND> controls;
    for (HWND hWnd = ::GetWindow(hDlg, GW_CHILD); hWnd; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT))
        if (::GetWindowLongA(hWnd, GWL_STYLE) & WS_VISIBLE)
            controls.push_back(hWnd);
    return controls;
}

// The room a control's text takes as its own font draws it: on one line, and wrapped at a width.
SIZE TextSize(HWND hWnd, int nWrapWidth = 0) {
    const std::string text = GetText(hWnd);
    const HDC hDC = ::GetDC(hWnd);
    const HGDIOBJ hOld =
        ::SelectObject(hDC, reinterpret_cast<HFONT>(::SendMessageA(hWnd, WM_GETFONT, 0, 0)));
    RECT rect = {0, 0, nWrapWidth, 0};
    ::DrawTextA(hDC, text.c_str(), -1, &rect,
                DT_CALCRECT | DT_NOPREFIX | (nWrapWidth ? DT_WORDBREAK : DT_SINGLELINE));
    ::SelectObject(hDC, hOld);
    ::ReleaseDC(hWnd, hDC);
    return {rect.right, rect.bottom};
}

// Every shown label, check box and button shows its whole text in its own font: a label on the
// lines it has room for, a check box beside its box; nothing overlaps anything else (a group box
// is a frame around controls), and everything lies inside the client area.
void ExpectEverythingFits(HWND hDlg, UINT nDpi) {
    SCOPED_TRACE("at " + std::to_string(nDpi) + " DPI");
    RECT client;
    ::GetClientRect(hDlg, &client);
    const std::vector<HWND> controls = ShownControls(hDlg);
    for (HWND hWnd : controls) {
        const RECT rect = RectIn(hWnd, hDlg);
        const int nWidth = rect.right - rect.left, nHeight = rect.bottom - rect.top;
        const std::string cls = ClassOf(hWnd);
        const LONG lStyle = ::GetWindowLongA(hWnd, GWL_STYLE);
        RECT inside;
        EXPECT_TRUE(::IntersectRect(&inside, &rect, &client) && ::EqualRect(&inside, &rect))
            << Describe(hWnd) << " lies outside the dialog";
        if (GetText(hWnd).empty())
            continue;
        if (cls == "Static") {
            const SIZE line = TextSize(hWnd);
            const SIZE wrapped = TextSize(hWnd, nWidth);
            if (nHeight < 2 * line.cy) {
                EXPECT_LE(line.cx, nWidth) << Describe(hWnd) << " is cut at the side";
            }
            EXPECT_LE(wrapped.cy, nHeight) << Describe(hWnd) << " is cut at the bottom";
        } else if (cls == "Button" && (lStyle & BS_TYPEMASK) != BS_GROUPBOX) {
            const SIZE line = TextSize(hWnd);
            const bool bCheckBox = (lStyle & BS_TYPEMASK) == BS_AUTOCHECKBOX;
            const int nBox = bCheckBox ? SystemMetricForDpi(SM_CXMENUCHECK, nDpi) : 0;
            EXPECT_LE(nBox + line.cx, nWidth) << Describe(hWnd) << " is cut at the side";
            EXPECT_LE(line.cy, nHeight) << Describe(hWnd) << " is cut at the bottom";
        }
    }
    for (size_t i = 0; i < controls.size(); ++i) {
        for (size_t j = i + 1; j < controls.size(); ++j) {
            const auto isFrame = [](HWND hWnd) {
                return ClassOf(hWnd) == "Button" &&
                       (::GetWindowLongA(hWnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
            };
            if (isFrame(controls[i]) || isFrame(controls[j]))
                continue;
            const RECT a = RectIn(controls[i], hDlg), b = RectIn(controls[j], hDlg);
            RECT overlap;
            EXPECT_FALSE(::IntersectRect(&overlap, &a, &b))
                << Describe(controls[i]) << " overlaps " << Describe(controls[j]);
        }
    }
}

LONG FontHeight(HWND hWnd) {
    LOGFONTA font = {};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(hWnd, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    return font.lfHeight;
}

// The stock GUI font's height at nDpi; every control but the title has it, the title its bold
// 16 pixels at 96 DPI.
void ExpectFonts(HWND hDlg, UINT nDpi) {
    SCOPED_TRACE("at " + std::to_string(nDpi) + " DPI");
    LOGFONTA stock = {};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
    const LONG lGuiHeight =
        ::MulDiv(stock.lfHeight, static_cast<int>(nDpi), static_cast<int>(SystemDpi()));
    for (HWND hWnd = ::GetWindow(hDlg, GW_CHILD); hWnd; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(hWnd) == IDC_STATIC_TITLE)
            EXPECT_EQ(::MulDiv(16, static_cast<int>(nDpi), 96), FontHeight(hWnd));
        else
            EXPECT_EQ(lGuiHeight, FontHeight(hWnd)) << Describe(hWnd);
    }
}

SIZE StateImageSize(HWND hDlg) {
    const HIMAGELIST hImages =
        reinterpret_cast<HIMAGELIST>(::SendMessageA(Tree(hDlg), TVM_GETIMAGELIST, TVSIL_STATE, 0));
    int cx = 0, cy = 0;
    if (hImages)
        ::ImageList_GetIconSize(hImages, &cx, &cy);
    return {cx, cy};
}

// A tree whose items are laid out for its check boxes: a click on the leftmost pixel column of
// the selected item's box ticks it, a second one clears it, and nothing else changes.
void ExpectCheckBoxWorks(HWND hDlg, const std::string& item) {
    const RECT label = LabelRect(Tree(hDlg), FindItem(hDlg, item));
    const POINT box = {label.left - StateImageSize(hDlg).cx, (label.top + label.bottom) / 2};
    const std::string before = CaptureState(hDlg).Describe();
    ClickAt(Tree(hDlg), box);
    EXPECT_NE(before, CaptureState(hDlg).Describe());
    ClickAt(Tree(hDlg), box);
    EXPECT_EQ(before, CaptureState(hDlg).Describe());
}

// Moves the dialog as Windows moves a window to a monitor of another DPI: asks its size there,
// then sends the rectangle of that size where the window now is, shifted a little. Returns it.
RECT MoveToMonitorOfDpi(HWND hDlg, UINT nDpi) {
    RECT window;
    ::GetWindowRect(hDlg, &window);
    SIZE size = {window.right - window.left, window.bottom - window.top};
    EXPECT_TRUE(::SendMessageA(hDlg, WM_GETDPISCALEDSIZE, nDpi, reinterpret_cast<LPARAM>(&size)));
    RECT suggested = {window.left + 8, window.top + 8, window.left + 8 + size.cx,
                      window.top + 8 + size.cy};
    ::SendMessageA(hDlg, WM_DPICHANGED, MAKEWPARAM(nDpi, nDpi),
                   reinterpret_cast<LPARAM>(&suggested));
    PumpMessages();
    return suggested;
}

RECT ClientRect(HWND hDlg) {
    RECT client;
    ::GetClientRect(hDlg, &client);
    return client;
}

// A rectangle at nTo DPI, less a pixel of rounding all round.
RECT Scaled(const RECT& rect, UINT nTo, UINT nFrom) {
    const auto scale = [&](LONG n) { return ::MulDiv(n, static_cast<int>(nTo), nFrom); };
    return {scale(rect.left) + 1, scale(rect.top) + 1, scale(rect.right) - 1,
            scale(rect.bottom) - 1};
}

bool Contains(const RECT& outer, const RECT& inner) {
    RECT both;
    return ::IntersectRect(&both, &outer, &inner) && ::EqualRect(&both, &inner);
}

// The prefix's screen resolution, which Wine reads as each program starts, set for a while and
// then put back as it was.
class CLogPixels {
public:
    explicit CLogPixels(DWORD dwDpi) {
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_hKey, nullptr);
        DWORD dwSize = sizeof m_dwBefore;
        m_bHadValue =
            ::RegQueryValueExA(m_hKey, kName, nullptr, nullptr,
                               reinterpret_cast<BYTE*>(&m_dwBefore), &dwSize) == ERROR_SUCCESS;
        EXPECT_EQ(ERROR_SUCCESS,
                  ::RegSetValueExA(m_hKey, kName, 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(&dwDpi), sizeof dwDpi));
    }
    ~CLogPixels() { Restore(); }
    void Restore() {
        if (!m_hKey)
            return;
        if (m_bHadValue)
            ::RegSetValueExA(m_hKey, kName, 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&m_dwBefore), sizeof m_dwBefore);
        else
            ::RegDeleteValueA(m_hKey, kName);
        ::RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }

private:
    static constexpr const char* kName = "LogPixels";
    HKEY m_hKey = nullptr;
    DWORD m_dwBefore = 0;
    bool m_bHadValue = false;
};

// Set by this program started again, once it has read its DPI: then the resolution goes back.
constexpr char kDpiReadEventVariable[] = "QUARN_TEST_DPI_READ";

} // namespace

// At start-up, at whatever DPI the system has: the template's layout in proportion to the DPI,
// the fonts at that DPI, the tree view's own check boxes (which the dialog's own are drawn like),
// every text in full.
TEST(DialogDpi, StartUpAtTheSystemDpi) {
    const UINT nDpi = SystemDpi();
    if (const char* event = std::getenv(kDpiReadEventVariable)) {
        if (const HANDLE hRead = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, event)) {
            ::SetEvent(hRead);
            ::CloseHandle(hRead);
        }
    }
    if (const char* expected = std::getenv("QUARN_TEST_DPI")) {
        ASSERT_EQ(static_cast<UINT>(std::atoi(expected)), nDpi) << "the prefix's LogPixels";
    }
    RegistrySandbox sandbox;
    FillEditingConfiguration(sandbox);
    CQuarnEventLogConfigurationDlg dlg;
    RunModal(dlg, [&](HWND hDlg) {
        EXPECT_EQ(nDpi, WindowDpi(hDlg));
        const RECT client = ClientRect(hDlg);
        EXPECT_NEAR(::MulDiv(kClientAt96.cx, nDpi, 96), client.right, 1);
        EXPECT_NEAR(::MulDiv(kClientAt96.cy, nDpi, 96), client.bottom, 1);
        ExpectFonts(hDlg, nDpi);
        const HIMAGELIST hOwn = CreateCheckBoxStateImages(Tree(hDlg), nDpi);
        ASSERT_NE(nullptr, hOwn);
        int cx = 0, cy = 0;
        ::ImageList_GetIconSize(hOwn, &cx, &cy);
        ::ImageList_Destroy(hOwn);
        EXPECT_EQ(StateImageSize(hDlg).cx, cx);
        EXPECT_EQ(StateImageSize(hDlg).cy, cy);
        ExpectEverythingFits(hDlg, nDpi);
        ClickLabel(hDlg, "Alpha");
        ExpectCheckBoxWorks(hDlg, "Alpha");
    });
}

// Moved to monitors of 144 and 192 DPI and back: the window takes the suggested rectangle, the
// controls (labels aside, which fit their text) and the client area scale with the DPI, fonts
// and check boxes are those of the new DPI, every text fits, and the tree keeps every mark, the
// selection and what is shown. Back at the start's DPI, everything is exactly as it started.
TEST(DialogDpi, MovedToMonitorsOfOtherDpi) {
    RegistrySandbox sandbox;
    FillEditingConfiguration(sandbox);
    CQuarnEventLogConfigurationDlg dlg;
    const UINT nStart = SystemDpi();
    RunModal(dlg, [&](HWND hDlg) {
        ClickLabel(hDlg, "Gamma");
        const DialogState shown = CaptureState(hDlg);
        const RECT client = ClientRect(hDlg);
        const SIZE box = StateImageSize(hDlg);
        std::vector<RECT> places;
        for (HWND hWnd = ::GetWindow(hDlg, GW_CHILD); hWnd; hWnd = ::GetWindow(hWnd, GW_HWNDNEXT))
            places.push_back(RectIn(hWnd, hDlg));

        for (UINT nDpi : {144u, 192u, nStart}) {
            SCOPED_TRACE("moved to " + std::to_string(nDpi) + " DPI");
            const RECT suggested = MoveToMonitorOfDpi(hDlg, nDpi);
            RECT window;
            ::GetWindowRect(hDlg, &window);
            EXPECT_TRUE(::EqualRect(&suggested, &window));
            // Wine keeps the frame, which Windows would draw at the new DPI too: the client area
            // can only come out larger here.
            EXPECT_TRUE(Contains(ClientRect(hDlg), Scaled(client, nDpi, nStart)));
            EXPECT_NEAR(::MulDiv(box.cx, nDpi, nStart), StateImageSize(hDlg).cx, 1);
            ExpectFonts(hDlg, nDpi);
            EXPECT_EQ(shown.Describe(), CaptureState(hDlg).Describe());
            auto was = places.begin();
            for (HWND hWnd = ::GetWindow(hDlg, GW_CHILD); hWnd;
                 hWnd = ::GetWindow(hWnd, GW_HWNDNEXT), ++was) {
                RECT place = RectIn(hWnd, hDlg);
                if (nDpi == nStart) {
                    EXPECT_TRUE(::EqualRect(&*was, &place)) << Describe(hWnd);
                }
                // A closed combo box is as high as its font makes it.
                const RECT scaled = Scaled(*was, nDpi, nStart);
                if (ClassOf(hWnd) == "ComboBox")
                    place.bottom = scaled.bottom;
                if (ClassOf(hWnd) != "Static") {
                    EXPECT_TRUE(Contains(place, scaled)) << Describe(hWnd);
                }
            }
            ExpectEverythingFits(hDlg, nDpi);
            ExpectCheckBoxWorks(hDlg, "Gamma");
        }
        EXPECT_EQ(
            ::GetStockObject(DEFAULT_GUI_FONT),
            reinterpret_cast<HGDIOBJ>(::SendMessageA(::GetDlgItem(hDlg, IDOK), WM_GETFONT, 0, 0)));
    });
}

// The start-up case again at 144 and 192 DPI, in this program started again with the prefix's
// resolution set until it has read it.
TEST(DialogDpi, StartUpAt144And192) {
    if (std::getenv("QUARN_TEST_DPI"))
        GTEST_SKIP() << "started again for one DPI";
    char szProgram[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, szProgram, MAX_PATH);
    const std::string event = "QuarnTestDpiRead" + std::to_string(::GetCurrentProcessId());
    const HANDLE hRead = ::CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    ASSERT_NE(nullptr, hRead);
    for (DWORD dwDpi : {144u, 192u}) {
        SCOPED_TRACE("at " + std::to_string(dwDpi) + " DPI");
        ::ResetEvent(hRead);
        ::SetEnvironmentVariableA("QUARN_TEST_DPI", std::to_string(dwDpi).c_str());
        ::SetEnvironmentVariableA(kDpiReadEventVariable, event.c_str());
        std::string command =
            std::string("\"") + szProgram + "\" --gtest_filter=DialogDpi.StartUpAtTheSystemDpi";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        CLogPixels logPixels(dwDpi);
        const BOOL bStarted = ::CreateProcessA(szProgram, &command[0], nullptr, nullptr, TRUE, 0,
                                               nullptr, nullptr, &startup, &process);
        ::SetEnvironmentVariableA("QUARN_TEST_DPI", nullptr);
        ::SetEnvironmentVariableA(kDpiReadEventVariable, nullptr);
        ASSERT_TRUE(bStarted);
        const HANDLE waits[] = {hRead, process.hProcess};
        ::WaitForMultipleObjects(2, waits, FALSE, 30000);
        logPixels.Restore();
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 30000));
        DWORD dwExit = 1;
        ::GetExitCodeProcess(process.hProcess, &dwExit);
        EXPECT_EQ(0u, dwExit);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
    }
    ::CloseHandle(hRead);
}
