#include "tests/support/ModalDriver.h"
#include "tests/support/RegistrySandbox.h"
#include "ui/QuarnEventLogConfigurationDlg.h"
#include "res/resource.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <cstdio>

using namespace testing_support;

TEST(Smoke, Opens) {
    RegistrySandbox sandbox;
    sandbox.SetString("SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging\\Zeta", "LogLevel", "Debug");
    sandbox.SetString("SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging\\Alpha", "LogLevel", "none");
    sandbox.SetString("SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging\\Alpha", "LogType", "none");
    CQuarnEventLogConfigurationDlg dlg;
    std::string title, days, levelDesc;
    int count = 0;
    INT_PTR r = RunModal(dlg, [&](HWND h) {
        title = GetText(h, IDC_STATIC_TITLE);
        days = GetText(h, IDC_EDIT_EXPIRE_DAYS);
        levelDesc = GetText(h, IDC_EDIT_LEVEL_DESCRIPTION);
        count = (int)SendMessageA(GetDlgItem(h, IDC_TREE), TVM_GETCOUNT, 0, 0);
        ClickButton(h, IDC_APPLY);
    });
    EXPECT_EQ(IDCANCEL, r);
    EXPECT_EQ("Default Settings", title);
    EXPECT_EQ("2", days);
    EXPECT_EQ("Only Release events will be logged", levelDesc);
    EXPECT_EQ(4, count);
    std::string v;
    EXPECT_TRUE(sandbox.GetString("SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging", "ExpireLogsAfter", &v));
    EXPECT_EQ("2", v);
    EXPECT_TRUE(sandbox.GetString("SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging\\Alpha", "LogType", &v));
    EXPECT_EQ("None", v);
}
