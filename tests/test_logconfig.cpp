// The level and type vocabulary, the registry layout and the settings objects, against the real
// (sandboxed) registry.
#include "logconfig/DefaultLogSettings.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "logconfig/SubSystemLogSettings.h"
#include "registry/Registry.h"
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

// Loads a subsystem from a fresh key holding the given words (nullptr: value absent).
struct Loaded {
    int nLevel, nType;
    bool bEnabled;
};
Loaded LoadSubSystem(RegistrySandbox& sandbox, const char* pszLevel, const char* pszType) {
    static int nKeys = 0;
    const std::string name = "Sub" + std::to_string(++nKeys);
    const std::string key = kBase + "\\" + name;
    sandbox.CreateKey(key.c_str());
    if (pszLevel)
        sandbox.SetString(key.c_str(), "LogLevel", pszLevel);
    if (pszType)
        sandbox.SetString(key.c_str(), "LogType", pszType);
    CSubSystemLogSettings settings(name.c_str());
    settings.Load();
    return {settings.GetLogLevel(), settings.GetLogType(), settings.IsEnabled()};
}

} // namespace

TEST(LogOptions, WordsMatchInAnyCaseAndAreWrittenInOneSpelling) {
    for (const char* word : {"release", "RELEASE", "Release", "rElEaSe"})
        EXPECT_EQ(StringToLogLevel(word), LOG_LEVEL_RELEASE) << word;
    EXPECT_EQ(StringToLogLevel("TRACE"), LOG_LEVEL_TRACE);
    EXPECT_EQ(StringToLogType("fatalerror"), LOG_TYPE_FATAL_ERROR);
    EXPECT_EQ(StringToLogType("INFORMATION"), LOG_TYPE_INFORMATION);
    EXPECT_EQ(StringToLogType("none"), LOG_TYPE_NONE);
    for (int nLevel = LOG_LEVEL_RELEASE; nLevel <= LOG_LEVEL_DEFAULT; ++nLevel)
        EXPECT_EQ(StringToLogLevel(LogLevelToString(nLevel)), nLevel);
    for (int nType = LOG_TYPE_FATAL_ERROR; nType <= LOG_TYPE_DEFAULT; ++nType)
        EXPECT_EQ(StringToLogType(LogTypeToString(nType)), nType);
    EXPECT_EQ(LogLevelToString(LOG_LEVEL_RELEASE), "Release");
    EXPECT_EQ(LogLevelToString(LOG_LEVEL_DEFAULT), "Default");
    EXPECT_EQ(LogTypeToString(LOG_TYPE_FATAL_ERROR), "FatalError");
    EXPECT_EQ(LogTypeToString(LOG_TYPE_DEFAULT), "Default");
}

TEST(LogOptions, AnythingElseMeansDefault) {
    for (const char* word : {"Default", "", " None", "None ", "Releases", "Errors"})
        EXPECT_EQ(StringToLogLevel(word), LOG_LEVEL_DEFAULT) << '"' << word << '"';
    // The display names are not registry words.
    for (const char* word : {"Default", "", " None", "Errors", "Fatal Errors", "Warnings"})
        EXPECT_EQ(StringToLogType(word), LOG_TYPE_DEFAULT) << '"' << word << '"';
    for (int nValue : {-1, 5, 6, INT_MAX, INT_MIN})
        EXPECT_EQ(LogLevelToString(nValue), "") << nValue;
    for (int nValue : {-1, 6, INT_MAX})
        EXPECT_EQ(LogTypeToString(nValue), "") << nValue;
}

TEST(LogOptions, DisplayTablesAreIndexedByValue) {
    for (int nRow = 0; nRow < kLogLevelOptionCount; ++nRow) {
        EXPECT_EQ(g_LogLevelOptions[nRow].nValue, nRow);
        EXPECT_EQ(FindLogLevelOption(nRow), nRow);
    }
    for (int nRow = 0; nRow < kLogTypeOptionCount; ++nRow) {
        EXPECT_EQ(g_LogTypeOptions[nRow].nValue, nRow);
        EXPECT_EQ(FindLogTypeOption(nRow), nRow);
    }
    EXPECT_EQ(FindLogLevelOption(LOG_LEVEL_DEFAULT), -1);
    EXPECT_EQ(FindLogTypeOption(LOG_TYPE_DEFAULT), -1);
    EXPECT_EQ(FindLogTypeOption(-1), -1);
    EXPECT_STREQ(g_LogTypeOptions[LOG_TYPE_WARNING].pszName, "Warnings");
    EXPECT_STREQ(g_LogTypeOptions[LOG_TYPE_WARNING].pszDescription,
                 "Warnings, Errors and Fatal Errors will be logged");
}

TEST(LogLayout, ReadsOnlyTheBytesReturnedWhateverTheType) {
    RegistrySandbox sandbox;
    sandbox.CreateKey("K");
    const DWORD dwDigits = 0x34333231; // "1234", no NUL
    sandbox.SetRaw("K", "Dword", REG_DWORD, &dwDigits, sizeof dwDigits);
    sandbox.SetRaw("K", "Binary", REG_BINARY, "xyz", 3);
    sandbox.SetRaw("K", "Inner", REG_SZ, "12\0zz", 5);
    sandbox.SetRaw("K", "Empty", REG_SZ, "", 0);
    // The registry adds a terminator to string data when the byte after it is a NUL, so these
    // come from a longer text.
    const std::string text(kRegistryValueBufferSize + 2, 'a');
    sandbox.SetRaw("K", "Full", REG_SZ, text.data(), kRegistryValueBufferSize);
    sandbox.SetRaw("K", "TooLong", REG_SZ, text.data(), kRegistryValueBufferSize + 1);

    CRegistryT<1> reg(HKEY_LOCAL_MACHINE, "K");
    ASSERT_EQ(reg.Open(), 0);
    const auto read = [&](const char* pszName) {
        CString text("<unchanged>");
        const bool bRead = ReadRegistryText(reg.m_hKey, pszName, text);
        return std::to_string(bRead) + ":" + static_cast<const char*>(text);
    };
    EXPECT_EQ(read("Dword"), "1:1234");
    EXPECT_EQ(read("Binary"), "1:xyz");
    EXPECT_EQ(read("Inner"), "1:12");
    EXPECT_EQ(read("Empty"), "1:");
    EXPECT_EQ(read("Full"), "1:" + text.substr(0, kRegistryValueBufferSize));
    EXPECT_EQ(read("TooLong"), "0:<unchanged>");
    EXPECT_EQ(read("Missing"), "0:<unchanged>");
    CString kept("kept");
    EXPECT_FALSE(ReadRegistryText(nullptr, "Dword", kept));
    EXPECT_EQ(kept, "kept");
}

TEST(LogLayout, DayCountsParseLikeAtolButSaturate) {
    EXPECT_EQ(ParseDayCount("42"), 42);
    EXPECT_EQ(ParseDayCount(" \t+7 days"), 7);
    EXPECT_EQ(ParseDayCount("-3"), -3);
    EXPECT_EQ(ParseDayCount("12.5"), 12);
    EXPECT_EQ(ParseDayCount("days 7"), 0);
    EXPECT_EQ(ParseDayCount(""), 0);
    EXPECT_EQ(ParseDayCount("0x10"), 0);
    EXPECT_EQ(ParseDayCount("2147483647"), INT_MAX);
    EXPECT_EQ(ParseDayCount("2147483648"), INT_MAX);
    EXPECT_EQ(ParseDayCount("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseDayCount("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(FormatDayCount(365), "365");
    EXPECT_EQ(FormatDayCount(INT_MIN), "-2147483648");
}

TEST(LogLayout, DayCountsUseTheCLocaleAndRestoreTheUsersOne) {
    if (std::setlocale(LC_ALL, "German_Germany.1252") == nullptr)
        GTEST_SKIP() << "no German locale";
    const std::string userLocale = std::setlocale(LC_ALL, nullptr);
    // In this locale a no-break space (0xA0) is white space that atol would skip; the "C"
    // locale does not know it.
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

    sandbox.SetString(kLogConfigBaseKey, "expirelogsafter", "12 days");
    EXPECT_TRUE(ReadExpireLogsAfter(reg.m_hKey, nDays));
    EXPECT_EQ(nDays, 12);
    const DWORD dwNumber = 5; // bytes 05 00 00 00: text "\x05", no digits
    sandbox.SetRaw(kLogConfigBaseKey, "ExpireLogsAfter", REG_DWORD, &dwNumber, sizeof dwNumber);
    EXPECT_TRUE(ReadExpireLogsAfter(reg.m_hKey, nDays));
    EXPECT_EQ(nDays, 0);
}

TEST(LogLayout, SubSystemsAreTheBaseKeysChildrenInRegistryOrder) {
    RegistrySandbox sandbox;
    EXPECT_TRUE(EnumerateSubSystemNames().empty());
    EXPECT_TRUE(sandbox.KeyExists(kLogConfigBaseKey)); // created, empty
    EXPECT_EQ(sandbox.ValueCount(kLogConfigBaseKey), 0);

    for (const char* name : {"b", "a-c", "_x", "Ab"})
        sandbox.CreateKey((kBase + "\\" + name).c_str());
    sandbox.CreateKey((kBase + "\\b\\Nested").c_str());
    std::vector<std::string> names;
    for (const CString& name : EnumerateSubSystemNames())
        names.emplace_back(name);
    EXPECT_EQ(names, sandbox.SubKeys(kLogConfigBaseKey));
    EXPECT_EQ(names.size(), 4u);

    RegistrySandbox locked;
    locked.CreateVolatileKey("SOFTWARE\\Brivantex");
    EXPECT_TRUE(EnumerateSubSystemNames().empty());
}

TEST(SubSystemLogSettings, MissingKeyLoadsAsDefaultAndCreatesNothing) {
    RegistrySandbox sandbox;
    CSubSystemLogSettings settings("New");
    settings.Load();
    EXPECT_EQ(settings.GetLogLevel(), LOG_LEVEL_DEFAULT);
    EXPECT_EQ(settings.GetLogType(), LOG_TYPE_DEFAULT);
    EXPECT_TRUE(settings.IsEnabled());
    EXPECT_TRUE(sandbox.SubKeys("").empty());

    EXPECT_EQ(settings.Save(), 0);
    EXPECT_EQ(Stored(sandbox, kBase + "\\New", "LogLevel"), "Default");
    EXPECT_EQ(Stored(sandbox, kBase + "\\New", "LogType"), "Default");

    const Loaded empty = LoadSubSystem(sandbox, nullptr, nullptr);
    EXPECT_EQ(empty.nLevel, LOG_LEVEL_DEFAULT);
    EXPECT_EQ(empty.nType, LOG_TYPE_DEFAULT);
}

TEST(SubSystemLogSettings, NoneAndNoneInAnyCaseIsSwitchedOff) {
    RegistrySandbox sandbox;
    Loaded loaded = LoadSubSystem(sandbox, "none", "NONE");
    EXPECT_FALSE(loaded.bEnabled);
    loaded = LoadSubSystem(sandbox, "None", "Error");
    EXPECT_TRUE(loaded.bEnabled);
    EXPECT_EQ(loaded.nLevel, LOG_LEVEL_NONE);
    EXPECT_EQ(loaded.nType, LOG_TYPE_ERROR);
    loaded = LoadSubSystem(sandbox, "debug", "warning");
    EXPECT_EQ(loaded.nLevel, LOG_LEVEL_DEBUG);
    EXPECT_EQ(loaded.nType, LOG_TYPE_WARNING);
    loaded = LoadSubSystem(sandbox, "Trace", nullptr);
    EXPECT_EQ(loaded.nType, LOG_TYPE_DEFAULT);

    // Switching a None/None subsystem back on keeps None/None.
    const std::string key = kBase + "\\Sub";
    CSubSystemLogSettings off("Sub");
    sandbox.SetString(key.c_str(), "LogLevel", "none");
    sandbox.SetString(key.c_str(), "LogType", "NONE");
    off.Load();
    off.SetEnabled(true);
    EXPECT_EQ(off.Save(), 0);
    EXPECT_EQ(Stored(sandbox, key, "LogLevel"), "None");
    EXPECT_EQ(Stored(sandbox, key, "LogType"), "None");
}

TEST(SubSystemLogSettings, SwitchedOffSavesNoneAndKeepsItsValues) {
    RegistrySandbox sandbox;
    const std::string key = kBase + "\\Sub";
    CSubSystemLogSettings settings("Sub");
    settings.SetLogLevel(LOG_LEVEL_TRACE);
    settings.SetLogType(LOG_TYPE_INFORMATION);
    settings.SetEnabled(false);
    EXPECT_EQ(settings.Save(), 0);
    EXPECT_EQ(Stored(sandbox, key, "LogLevel"), "None");
    EXPECT_EQ(Stored(sandbox, key, "LogType"), "None");
    EXPECT_EQ(settings.GetLogLevel(), LOG_LEVEL_TRACE);

    settings.SetEnabled(true);
    EXPECT_EQ(settings.Save(), 0);
    EXPECT_EQ(Stored(sandbox, key, "LogLevel"), "Trace");
    EXPECT_EQ(Stored(sandbox, key, "LogType"), "Information");

    settings.SetLogLevel(7); // outside the enumeration: stored empty, read back as Default
    settings.SetLogType(-1);
    EXPECT_EQ(settings.Save(), 0);
    EXPECT_EQ(Stored(sandbox, key, "LogLevel"), "");
    settings.Load();
    EXPECT_EQ(settings.GetLogLevel(), LOG_LEVEL_DEFAULT);
    EXPECT_EQ(settings.GetLogType(), LOG_TYPE_DEFAULT);
}

TEST(SubSystemLogSettings, LoadSetsEveryValueThroughTheVirtualSetters) {
    struct Recording : CSubSystemLogSettings {
        Recording() : CSubSystemLogSettings("Sub") {}
        void SetLogLevel(int n) override { calls += "L" + std::to_string(n); }
        void SetLogType(int n) override { calls += "T" + std::to_string(n); }
        void SetEnabled(bool b) override { calls += b ? "+" : "-"; }
        std::string calls;
    };
    RegistrySandbox sandbox;
    const std::string key = kBase + "\\Sub";
    sandbox.SetString(key.c_str(), "LogLevel", "None");
    sandbox.SetString(key.c_str(), "LogType", "None");
    Recording recording;
    recording.Load();
    // The recorder stores nothing, so the None/None test sees the initial Default values.
    EXPECT_EQ(recording.calls, "L3T4+");
}

TEST(SubSystemLogSettings, NameWithBackslashSavesANestedKey) {
    RegistrySandbox sandbox;
    CSubSystemLogSettings settings("Outer\\Inner");
    EXPECT_EQ(settings.Save(), 0);
    EXPECT_EQ(Stored(sandbox, kBase + "\\Outer\\Inner", "LogType"), "Default");
    ASSERT_EQ(EnumerateSubSystemNames().size(), 1u);
    EXPECT_EQ(EnumerateSubSystemNames()[0], "Outer");
}

TEST(DefaultLogSettings, MissingBaseKeyIsCreatedAndLoadsReleaseAndError) {
    RegistrySandbox sandbox;
    CDefaultLogSettings settings;
    EXPECT_EQ(settings.GetName(), "Default Settings");
    EXPECT_EQ(settings.GetLogLevel(), LOG_LEVEL_DEFAULT);
    settings.Load();
    EXPECT_TRUE(sandbox.KeyExists(kLogConfigBaseKey));
    EXPECT_EQ(sandbox.ValueCount(kLogConfigBaseKey), 0);
    EXPECT_EQ(settings.GetLogLevel(), LOG_LEVEL_RELEASE);
    EXPECT_EQ(settings.GetLogType(), LOG_TYPE_ERROR);
    EXPECT_TRUE(settings.IsEnabled());

    EXPECT_EQ(settings.Save(), 0);
    EXPECT_EQ(Stored(sandbox, kBase, "DefaultLogLevel"), "Release");
    EXPECT_EQ(Stored(sandbox, kBase, "DefaultLogType"), "Error");
    EXPECT_EQ(sandbox.ValueCount(kLogConfigBaseKey), 2);
}

TEST(DefaultLogSettings, StoredWordsLoadInAnyCaseAndUnknownOnesAsDefault) {
    RegistrySandbox sandbox;
    CDefaultLogSettings settings;
    sandbox.SetString(kLogConfigBaseKey, "DefaultLogLevel", "debug");
    sandbox.SetString(kLogConfigBaseKey, "DefaultLogType", "Warnings");
    settings.Load();
    EXPECT_EQ(settings.GetLogLevel(), LOG_LEVEL_DEBUG);
    EXPECT_EQ(settings.GetLogType(), LOG_TYPE_DEFAULT);
    settings.Save();
    EXPECT_EQ(Stored(sandbox, kBase, "DefaultLogLevel"), "Debug");
    EXPECT_EQ(Stored(sandbox, kBase, "DefaultLogType"), "Default");

    sandbox.SetString(kLogConfigBaseKey, "DefaultLogLevel", "");
    sandbox.SetRaw(kLogConfigBaseKey, "DefaultLogType", REG_BINARY, "none", 4);
    settings.Load();
    EXPECT_EQ(settings.GetLogLevel(), LOG_LEVEL_DEFAULT);
    EXPECT_EQ(settings.GetLogType(), LOG_TYPE_NONE);
    EXPECT_TRUE(settings.IsEnabled());

    sandbox.SetString(kLogConfigBaseKey, "DefaultLogLevel", "NONE");
    settings.Load();
    EXPECT_FALSE(settings.IsEnabled());
    settings.SetEnabled(true);
    settings.SetLogLevel(LOG_LEVEL_TRACE);
    settings.SetEnabled(false);
    settings.Save();
    EXPECT_EQ(Stored(sandbox, kBase, "DefaultLogLevel"), "None");
    EXPECT_EQ(Stored(sandbox, kBase, "DefaultLogType"), "None");
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
    EXPECT_TRUE(sandbox.SubKeys("SOFTWARE\\Brivantex").empty());
    EXPECT_EQ(sandbox.ValueCount("SOFTWARE\\Brivantex"), 0);
}
