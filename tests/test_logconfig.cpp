// The level and type vocabulary, the registry layout and the settings objects, against the real
// (sandboxed) registry.
#include "logconfig/DefaultLogSettings.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "logconfig/StoredConfiguration.h"
#include "logconfig/SubSystemLogSettings.h"
#include "logconfig/SubSystemName.h"
#include "registry/Registry.h"
#include "registry/RegistryWatch.h"
#include "tests/support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdlib>
#include <string>

namespace {

const std::string kBase = kLogConfigBaseKey;

std::string Stored(const RegistrySandbox& sandbox, const std::string& key, const char* value) {
    std::string text;
    return sandbox.GetString(key.c_str(), value, &text) ? text : "<missing>";
}

// "level type enabled" of a subsystem loaded from a fresh key holding the given words
// (nullptr: value absent).
std::string LoadSubSystem(RegistrySandbox& sandbox, const char* pszLevel, const char* pszType) {
    static int nKeys = 0;
    const std::string name = "Sub" + std::to_string(++nKeys), key = kBase + "\\" + name;
    sandbox.CreateKey(key.c_str());
    if (pszLevel)
        sandbox.SetString(key.c_str(), "LogLevel", pszLevel);
    if (pszType)
        sandbox.SetString(key.c_str(), "LogType", pszType);
    CSubSystemLogSettings settings(name.c_str());
    settings.Load();
    return std::to_string(settings.GetLogLevel()) + " " + std::to_string(settings.GetLogType()) +
           (settings.IsEnabled() ? " on" : " off");
}

} // namespace

TEST(LogOptions, WordsMatchInAnyCaseAndAreWrittenInOneSpelling) {
    for (const char* word : {"release", "RELEASE", "Release"})
        EXPECT_EQ(StringToLogLevel(word), LOG_LEVEL_RELEASE) << word;
    EXPECT_EQ(StringToLogType("fatalERROR"), LOG_TYPE_FATAL_ERROR);
    for (int nLevel = -1; nLevel <= LOG_LEVEL_DEFAULT + 1; ++nLevel)
        EXPECT_EQ(StringToLogLevel(LogLevelToString(nLevel)),
                  nLevel < 0 || nLevel > LOG_LEVEL_DEFAULT ? LOG_LEVEL_DEFAULT : nLevel);
    for (int nType = -1; nType <= LOG_TYPE_DEFAULT + 1; ++nType)
        EXPECT_EQ(StringToLogType(LogTypeToString(nType)),
                  nType < 0 || nType > LOG_TYPE_DEFAULT ? LOG_TYPE_DEFAULT : nType);
    EXPECT_EQ(LogLevelToString(LOG_LEVEL_DEFAULT), "Default");
    EXPECT_EQ(LogTypeToString(LOG_TYPE_FATAL_ERROR), "FatalError");
    EXPECT_EQ(LogLevelToString(5), "");
    EXPECT_EQ(LogTypeToString(INT_MIN), "");
    // Display names and near misses are not registry words.
    for (const char* word : {"Default", "", " None", "Errors", "Fatal Errors", "Warnings"}) {
        EXPECT_EQ(StringToLogType(word), LOG_TYPE_DEFAULT) << '"' << word << '"';
        EXPECT_EQ(StringToLogLevel(word), LOG_LEVEL_DEFAULT) << '"' << word << '"';
    }
    // Those who must refuse a word tell Default from a word that is none.
    EXPECT_EQ(FindLogLevelWord("default"), LOG_LEVEL_DEFAULT);
    EXPECT_EQ(FindLogTypeWord("WARNING"), LOG_TYPE_WARNING);
    for (const CString& word : {CString("Dbg"), CString(), CString("None\0x", 6)})
        EXPECT_EQ(FindLogLevelWord(word), -1) << word;
}

TEST(LogOptions, DisplayTablesAreIndexedByValue) {
    for (int nRow = 0; nRow < kLogLevelOptionCount; ++nRow)
        EXPECT_EQ(FindLogLevelOption(g_LogLevelOptions[nRow].nValue), nRow);
    for (int nRow = 0; nRow < kLogTypeOptionCount; ++nRow)
        EXPECT_EQ(FindLogTypeOption(g_LogTypeOptions[nRow].nValue), nRow);
    EXPECT_EQ(g_LogTypeOptions[kLogTypeOptionCount - 1].nValue, LOG_TYPE_NONE);
    EXPECT_EQ(FindLogLevelOption(LOG_LEVEL_DEFAULT), -1);
    EXPECT_EQ(FindLogTypeOption(LOG_TYPE_DEFAULT), -1);
    EXPECT_STREQ(g_LogTypeOptions[LOG_TYPE_WARNING].pszName, "Warnings");
}

TEST(LogLayout, ReadsOnlyTheBytesReturnedWhateverTheType) {
    RegistrySandbox sandbox;
    const DWORD dwDigits = 0x34333231; // "1234", no NUL
    sandbox.SetRaw("K", "Dword", REG_DWORD, &dwDigits, sizeof dwDigits);
    sandbox.SetRaw("K", "Binary", REG_BINARY, "xyz", 3);
    sandbox.SetRaw("K", "Inner", REG_SZ, "12\0zz", 5);
    // The registry adds a terminator to string data when the byte after it is a NUL, so these
    // come from a longer text.
    const std::string text(kRegistryValueBufferSize + 2, 'a');
    sandbox.SetRaw("K", "Full", REG_SZ, text.data(), kRegistryValueBufferSize);
    sandbox.SetRaw("K", "TooLong", REG_SZ, text.data(), kRegistryValueBufferSize + 1);

    CRegistryT<1> reg(HKEY_LOCAL_MACHINE, "K");
    ASSERT_EQ(reg.Open(), 0);
    const auto read = [&](HKEY hKey, const char* pszName) {
        CString value("<unchanged>");
        const bool bRead = ReadRegistryText(hKey, pszName, value);
        return std::to_string(bRead) + ":" + static_cast<const char*>(value);
    };
    EXPECT_EQ(read(reg.m_hKey, "Dword"), "1:1234");
    EXPECT_EQ(read(reg.m_hKey, "Binary"), "1:xyz");
    EXPECT_EQ(read(reg.m_hKey, "Inner"), "1:12");
    EXPECT_EQ(read(reg.m_hKey, "Full"), "1:" + text.substr(0, kRegistryValueBufferSize));
    EXPECT_EQ(read(reg.m_hKey, "TooLong"), "0:<unchanged>");
    EXPECT_EQ(read(reg.m_hKey, "Missing"), "0:<unchanged>");
    EXPECT_EQ(read(nullptr, "Dword"), "0:<unchanged>");
}

TEST(LogLayout, DayCountsParseLikeAtolButSaturate) {
    EXPECT_EQ(ParseDayCount(" \t+7 days"), 7);
    EXPECT_EQ(ParseDayCount("-3"), -3);
    EXPECT_EQ(ParseDayCount("12.5"), 12);
    EXPECT_EQ(ParseDayCount("days 7"), 0);
    EXPECT_EQ(ParseDayCount("0x10"), 0);
    EXPECT_EQ(ParseDayCount("2147483648"), INT_MAX);
    EXPECT_EQ(ParseDayCount("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseDayCount("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(FormatDayCount(INT_MIN), "-2147483648");
}

TEST(LogLayout, DayCountsUseTheCLocaleAndRestoreTheUsersOne) {
    if (std::setlocale(LC_ALL, "German_Germany.1252") == nullptr)
        GTEST_SKIP() << "no German locale";
    const std::string userLocale = std::setlocale(LC_ALL, nullptr);
    // Here a no-break space (0xA0) is white space that atol skips; the "C" locale does not.
    ASSERT_EQ(std::atol("\xA0"
                        "7"),
              7);
    EXPECT_EQ(ParseDayCount("\xA0"
                            "7"),
              0);
    EXPECT_EQ(FormatDayCount(1234567), "1234567");
    EXPECT_EQ(std::setlocale(LC_ALL, nullptr), userLocale);
    std::setlocale(LC_ALL, "C");
}

TEST(LogLayout, ExpireLogsAfterIsDecimalTextWithItsNul) {
    RegistrySandbox sandbox;
    CRegistryT<0> reg(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    ASSERT_EQ(reg.Open(), 0);
    int nDays = kDefaultExpireLogsAfterDays;
    EXPECT_FALSE(ReadExpireLogsAfter(reg.m_hKey, nDays));
    EXPECT_EQ(nDays, 2);

    EXPECT_EQ(WriteExpireLogsAfter(reg.m_hKey, 30), 0);
    DWORD dwType = 0;
    std::vector<unsigned char> data;
    ASSERT_TRUE(sandbox.GetRaw(kLogConfigBaseKey, "ExpireLogsAfter", &dwType, &data));
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, (std::vector<unsigned char>{'3', '0', '\0'}));
    EXPECT_TRUE(ReadExpireLogsAfter(reg.m_hKey, nDays));
    EXPECT_EQ(nDays, 30);

    const DWORD dwNumber = 5; // bytes 05 00 00 00: text without digits
    sandbox.SetRaw(kLogConfigBaseKey, "ExpireLogsAfter", REG_DWORD, &dwNumber, sizeof dwNumber);
    EXPECT_TRUE(ReadExpireLogsAfter(reg.m_hKey, nDays));
    EXPECT_EQ(nDays, 0);
}

TEST(LogLayout, SubSystemsAreTheBaseKeysChildrenInRegistryOrder) {
    RegistrySandbox sandbox;
    EXPECT_TRUE(EnumerateSubSystemNames().empty());
    EXPECT_EQ(sandbox.ValueCount(kLogConfigBaseKey), 0); // created, empty

    for (const char* name : {"b", "a-c", "_x", "Ab", "b\\Nested"})
        sandbox.CreateKey((kBase + "\\" + name).c_str());
    std::vector<std::string> names;
    for (const CString& name : EnumerateSubSystemNames())
        names.emplace_back(name);
    EXPECT_EQ(names, sandbox.SubKeys(kLogConfigBaseKey));
    EXPECT_EQ(names.size(), 4u);

    // Names the code page cannot hold, as a Unicode program writes them: "日志" comes back as
    // "??", which opens nothing, and "Āb" as the real "Ab", which is left out as a repeat. A
    // reading leaves both out and counts them; a key that cannot be opened is listed apart
    // without losing the rest.
    for (const wchar_t* name : {L"\x65E5\x5FD7", L"\x0100"
                                                 L"b"}) {
        HKEY hKey = nullptr;
        ASSERT_EQ(
            ::RegCreateKeyExW(
                HKEY_LOCAL_MACHINE,
                (L"SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging\\" + std::wstring(name)).c_str(),
                0, nullptr, 0, KEY_WRITE | kRegistryViewFlag, nullptr, &hKey, nullptr),
            0);
        ::RegCloseKey(hKey);
    }
    sandbox.CreateUnopenableKey((kBase + "\\Loop").c_str());
    CRegistryT<1> base(HKEY_LOCAL_MACHINE, kBase.c_str());
    ASSERT_EQ(base.Open(), 0);
    size_t nRepeats = 0;
    EXPECT_EQ(EnumerateSubSystemNames(base.m_hKey, &nRepeats).size(), 6u); // with "??" and Loop
    EXPECT_EQ(nRepeats, 1u);
    CStoredConfiguration stored;
    EXPECT_EQ(stored.Read(), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(stored.m_unreadable.size(), 1u);
    EXPECT_EQ(stored.m_unreadable[0].strName, "Loop");
    EXPECT_EQ(stored.m_nKeysBeyondCodePage, 2u);
    std::string read;
    for (const auto& subSystem : stored.m_subSystems)
        read += std::string(subSystem.pSettings->GetName()) + " ";
    EXPECT_EQ(read, "_x Ab a-c b ");
    EXPECT_EQ(SubSystemNamesBeyondCodePage(base.m_hKey),
              (std::vector<std::wstring>{L"\x0100"
                                         L"b",
                                         L"\x65E5\x5FD7"}));
    EXPECT_TRUE(SubSystemNamesBeyondCodePage(base.m_hKey, CP_UTF8).empty());
    // Under UTF-8 as the ANSI code page, which takes no flags, names convert; a broken surrogate
    // does not.
    CString utf8;
    EXPECT_TRUE(WideToCodePage(L"\x65E5\x5FD7", CP_UTF8, utf8));
    EXPECT_EQ(utf8, "\xE6\x97\xA5\xE5\xBF\x97");
    EXPECT_FALSE(CodePageHolds(L"a\xD800", CP_UTF8));
    EXPECT_FALSE(CodePageHolds(L"\x65E5", 1252));

    RegistrySandbox unwritable;
    unwritable.CreateVolatileKey("SOFTWARE\\Brivantex");
    EXPECT_TRUE(EnumerateSubSystemNames().empty());
}

TEST(SubSystemLogSettings, LoadsWordsInAnyCaseAndNoneAndNoneAsSwitchedOff) {
    RegistrySandbox sandbox;
    CSubSystemLogSettings missing("Missing");
    missing.Load();
    EXPECT_EQ(missing.GetLogLevel(), LOG_LEVEL_DEFAULT);
    EXPECT_EQ(missing.GetLogType(), LOG_TYPE_DEFAULT);
    EXPECT_TRUE(missing.IsEnabled());
    EXPECT_TRUE(sandbox.SubKeys("").empty()); // the read-only load created nothing

    EXPECT_EQ(LoadSubSystem(sandbox, nullptr, nullptr), "4 5 on");
    EXPECT_EQ(LoadSubSystem(sandbox, "none", "NONE"), "3 4 off");
    EXPECT_EQ(LoadSubSystem(sandbox, "None", "Error"), "3 1 on");
    EXPECT_EQ(LoadSubSystem(sandbox, "debug", nullptr), "1 5 on");
    const char szBinary[] = {'T', 'r', 'a', 'c', 'e'}; // no NUL
    sandbox.SetRaw((kBase + "\\Bin").c_str(), "LogLevel", REG_BINARY, szBinary, sizeof szBinary);
    CSubSystemLogSettings binary("Bin");
    binary.Load();
    EXPECT_EQ(binary.GetLogLevel(), LOG_LEVEL_TRACE);
}

TEST(SubSystemLogSettings, SavesEveryValueAndNoneAndNoneWhileSwitchedOff) {
    RegistrySandbox sandbox;
    const std::string key = kBase + "\\Sub";
    CSubSystemLogSettings settings("Sub");
    EXPECT_EQ(settings.Save(), 0); // a new subsystem creates its key
    EXPECT_EQ(Stored(sandbox, key, "LogLevel") + Stored(sandbox, key, "LogType"), "DefaultDefault");

    settings.SetLogLevel(LOG_LEVEL_TRACE);
    settings.SetLogType(LOG_TYPE_INFORMATION);
    settings.SetEnabled(false);
    EXPECT_EQ(settings.Save(), 0);
    EXPECT_EQ(Stored(sandbox, key, "LogLevel") + Stored(sandbox, key, "LogType"), "NoneNone");
    EXPECT_EQ(settings.GetLogLevel(), LOG_LEVEL_TRACE);
    settings.SetEnabled(true);
    settings.Save();
    EXPECT_EQ(Stored(sandbox, key, "LogLevel") + Stored(sandbox, key, "LogType"),
              "TraceInformation");

    // Switched back on after loading None and None, it still stores None and None.
    settings.SetEnabled(false);
    settings.Save();
    settings.Load();
    EXPECT_FALSE(settings.IsEnabled());
    settings.SetEnabled(true);
    settings.Save();
    EXPECT_EQ(Stored(sandbox, key, "LogLevel") + Stored(sandbox, key, "LogType"), "NoneNone");
}

TEST(DefaultLogSettings, MissingValuesMeanReleaseAndErrorAndStoredWordsAnyCase) {
    RegistrySandbox sandbox;
    CDefaultLogSettings settings;
    EXPECT_EQ(settings.GetName(), "Default Settings");
    settings.Load();
    EXPECT_EQ(sandbox.ValueCount(kLogConfigBaseKey), 0); // the base key was created, empty
    EXPECT_EQ(settings.GetLogLevel(), LOG_LEVEL_RELEASE);
    EXPECT_EQ(settings.GetLogType(), LOG_TYPE_ERROR);
    EXPECT_TRUE(settings.IsEnabled());
    EXPECT_EQ(settings.Save(), 0);
    EXPECT_EQ(Stored(sandbox, kBase, "DefaultLogLevel") + Stored(sandbox, kBase, "DefaultLogType"),
              "ReleaseError");

    // Readable but unknown words (an empty one too) mean Default, not the missing-value words.
    sandbox.SetString(kLogConfigBaseKey, "DefaultLogLevel", "debug");
    sandbox.SetString(kLogConfigBaseKey, "DefaultLogType", "");
    settings.Load();
    EXPECT_EQ(settings.GetLogLevel(), LOG_LEVEL_DEBUG);
    EXPECT_EQ(settings.GetLogType(), LOG_TYPE_DEFAULT);
    settings.Save();
    EXPECT_EQ(Stored(sandbox, kBase, "DefaultLogLevel") + Stored(sandbox, kBase, "DefaultLogType"),
              "DebugDefault");

    sandbox.SetString(kLogConfigBaseKey, "DefaultLogLevel", "NONE");
    sandbox.SetString(kLogConfigBaseKey, "DefaultLogType", "none");
    settings.Load();
    EXPECT_FALSE(settings.IsEnabled());
}

TEST(LogSettings, SaveReportsARegistryFailureAndStoresNothing) {
    RegistrySandbox sandbox;
    sandbox.CreateVolatileKey("SOFTWARE\\Brivantex");
    CDefaultLogSettings defaults;
    defaults.Load();
    EXPECT_EQ(defaults.GetLogLevel(), LOG_LEVEL_RELEASE);
    EXPECT_EQ(defaults.GetLogType(), LOG_TYPE_ERROR);
    EXPECT_EQ(defaults.Save(), ERROR_CHILD_MUST_BE_VOLATILE);
    CSubSystemLogSettings subsystem("Sub");
    EXPECT_EQ(subsystem.Save(), ERROR_CHILD_MUST_BE_VOLATILE);
    // A watch that cannot start says that something changed, so that Apply compares rather
    // than miss another program's change. It creates nothing to watch.
    CRegistryWatch watch(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    EXPECT_EQ(watch.Start(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(watch.HasChanged());
    EXPECT_TRUE(sandbox.SubKeys("SOFTWARE\\Brivantex").empty());
    EXPECT_EQ(sandbox.ValueCount("SOFTWARE\\Brivantex"), 0);
}
