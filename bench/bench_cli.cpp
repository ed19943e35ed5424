// Measures the command line's commands as the number of subsystems grows: show --json and check
// against the bare registry reads they need, check --expect (a baseline of every subsystem)
// against those and the baseline file's reading; a
// second import of that baseline, which has nothing to change and must cost no more than
// checking it; and set of one value, which must not depend on the number at all. The commands run
// in process, as quarnlogcfg.exe runs them after its start-up, with their output built and then
// dropped.
#include "bench/BenchClock.h"
#include "cli/CommandLine.h"
#include "logconfig/LogLayout.h"
#include "registry/Registry.h"
#include "tests/support/RegistrySandbox.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using namespace bench;

namespace {

class CDiscard : public COutput {
public:
    DWORD WriteText(const std::string& strUtf8) override {
        m_nBytes += strUtf8.size();
        return ERROR_SUCCESS;
    }
    DWORD WriteDocument(const std::string& strUtf8) override { return WriteText(strUtf8); }
    size_t m_nBytes = 0;
};

class CNoInput : public CInput {
public:
    DWORD ReadAll(std::string&) override { return ERROR_SUCCESS; }
};

double Command(const std::vector<std::string>& args) {
    CDiscard out, err;
    CNoInput in;
    const double start = NowMs();
    const int code = RunCommandLine(args, in, out, err);
    const double elapsed = NowMs() - start;
    if (code > 1) {
        std::fprintf(stderr, "%s failed with exit code %d\n", args[0].c_str(), code);
        std::exit(1);
    }
    return elapsed;
}

std::string SubSystemName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "SubSystem%04d", i);
    return name;
}

// The dialog benchmark's configuration: mixed levels and types, every seventh subsystem
// switched off; some pairs hold exactly one None, which check lists.
void PrepareConfiguration(RegistrySandbox& sandbox, int n) {
    const std::string base = kLogConfigBaseKey;
    sandbox.SetString(base.c_str(), "DefaultLogLevel", "Debug");
    sandbox.SetString(base.c_str(), "DefaultLogType", "Warning");
    sandbox.SetString(base.c_str(), "ExpireLogsAfter", "30");
    for (int i = 0; i < n; ++i) {
        const std::string key = base + "\\" + SubSystemName(i);
        const bool off = i % 7 == 3;
        sandbox.SetString(key.c_str(), "LogLevel", off ? "None" : kLevels[i % 5]);
        sandbox.SetString(key.c_str(), "LogType", off ? "None" : kTypes[i % 6]);
    }
}

// What reading the configuration cannot do without: the base key's three values, the
// enumeration, and each subsystem's key opened and its two values read, with plain Win32 calls.
double BareReads() {
    const double start = NowMs();
    HKEY hBase = nullptr;
    ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLogConfigBaseKey, 0, KEY_READ | kRegistryViewFlag, &hBase);
    char data[kRegistryValueBufferSize];
    DWORD dwType = 0, dwSize = 0;
    for (const char* value :
         {kExpireLogsAfterValueName, kDefaultLogLevelValueName, kDefaultLogTypeValueName}) {
        dwSize = sizeof data;
        ::RegQueryValueExA(hBase, value, nullptr, &dwType, reinterpret_cast<BYTE*>(data), &dwSize);
    }
    std::vector<std::string> names;
    char name[kSubSystemNameBufferSize];
    for (DWORD i = 0;; ++i) {
        DWORD dwLength = sizeof name;
        if (::RegEnumKeyExA(hBase, i, name, &dwLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, dwLength);
    }
    ::RegCloseKey(hBase);
    const std::string prefix = std::string(kLogConfigBaseKey) + "\\";
    for (const std::string& sub : names) {
        HKEY hKey = nullptr;
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, (prefix + sub).c_str(), 0, KEY_READ | kRegistryViewFlag,
                        &hKey);
        for (const char* value : {kLogLevelValueName, kLogTypeValueName}) {
            dwSize = sizeof data;
            ::RegQueryValueExA(hKey, value, nullptr, &dwType, reinterpret_cast<BYTE*>(data),
                               &dwSize);
        }
        ::RegCloseKey(hKey);
    }
    return NowMs() - start;
}

// What check --expect and import need besides: the baseline file opened and read whole.
double BareFileRead(const std::string& path) {
    const double start = NowMs();
    const HANDLE hFile = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string text;
    char buffer[65536];
    DWORD dwRead = 0;
    while (::ReadFile(hFile, buffer, sizeof buffer, &dwRead, nullptr) && dwRead > 0)
        text.append(buffer, dwRead);
    ::CloseHandle(hFile);
    return NowMs() - start;
}

// One value written where set writes it: the key opened for writing and the value set.
double BareSet(const std::string& name) {
    const double start = NowMs();
    CRegistryT<0> key(HKEY_LOCAL_MACHINE, SubSystemKeyPath(name.c_str()));
    key.Open();
    WriteRegistryText(key.m_hKey, kLogLevelValueName, "Trace");
    return NowMs() - start;
}

} // namespace

// Arguments: the numbers of subsystems to measure (default 10 1000 10000).
int main(int argc, char** argv) {
    std::vector<int> sizes = {10, 1000, 10000};
    if (argc > 1)
        sizes.clear();
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    const std::string baseline = std::string(dir) + "quarn-bench-baseline.json";

    std::printf("%6s %10s %10s %10s %10s %10s %10s %8s %8s %8s %8s %10s %10s\n", "N", "show",
                "check", "expect", "import", "bare", "bare+file", "show/b", "check/b", "expect/bf",
                "import/e", "set", "bare set");
    for (int n : sizes) {
        RegistrySandbox sandbox;
        PrepareConfiguration(sandbox, n);
        Command({"export", baseline});
        const int runs = n >= 10000 ? 5 : 9;
        // A first round unmeasured: the registry's pages and the program's code are warm after it.
        BareReads();
        Command({"show", "--json"});
        Command({"check"});
        std::vector<double> show, check, expect, import, bare, bareFile, set, bareSet;
        for (int run = 0; run < runs; ++run) {
            bare.push_back(BareReads());
            bareFile.push_back(bare.back() + BareFileRead(baseline));
            show.push_back(Command({"show", "--json"}));
            check.push_back(Command({"check"}));
            expect.push_back(Command({"check", "--expect", baseline}));
            import.push_back(Command({"import", baseline}));
            const std::string name = SubSystemName(n / 2);
            set.push_back(Command({"set", name, "--level", run % 2 ? "Trace" : "Debug"}));
            bareSet.push_back(BareSet(name));
        }
        const double b = Median(bare), bf = Median(bareFile);
        std::printf("%6d %10.2f %10.2f %10.2f %10.2f %10.2f %10.2f %8.2f %8.2f %8.2f %8.2f %10.3f "
                    "%10.3f\n",
                    n, Median(show), Median(check), Median(expect), Median(import), b, bf,
                    Median(show) / b, Median(check) / b, Median(expect) / bf,
                    Median(import) / Median(expect), Median(set), Median(bareSet));
        std::fflush(stdout);
    }
    std::remove(baseline.c_str());
    return 0;
}
