#include "bench/DialogScenario.h"

#include "bench/BenchClock.h"
#include "tests/support/DialogProbe.h"

#include <commctrl.h>

#include <cstdio>

using namespace testing_support;

namespace bench {

long g_treeMessages = 0;

LRESULT CALLBACK CountTreeMessages(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    // Only the tree receives messages of this range in the dialog.
    if (code == HC_ACTION && message->message >= TV_FIRST && message->message < TV_FIRST + 0x100)
        ++g_treeMessages;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string SubSystemName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "SubSystem%04d", i);
    return name;
}

bool StartsOff(int i) {
    return i % 2 == 1;
}

void PrepareConfiguration(RegistrySandbox& sandbox, int n) {
    sandbox.SetString(kBaseKey, "DefaultLogLevel", "Debug");
    sandbox.SetString(kBaseKey, "DefaultLogType", "Warning");
    sandbox.SetString(kBaseKey, "ExpireLogsAfter", "30");
    for (int i = 0; i < n; ++i) {
        const std::string key = SubSystemKey(SubSystemName(i));
        const bool off = StartsOff(i);
        sandbox.SetString(key.c_str(), "LogLevel", off ? "None" : kLevels[i == n / 2 ? 1 : i % 5]);
        sandbox.SetString(key.c_str(), "LogType", off ? "None" : kTypes[i % 6]);
    }
}

} // namespace bench
