// The command line's commands, run in process against the real (sandboxed) registry: what each
// prints, its exit code, and what it leaves in the registry.
#include "cli/Commands.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

using testing_support::kBaseKey;
using testing_support::SubSystemKey;

namespace {

class CCapture : public COutput {
public:
    void WriteText(const std::string& strUtf8) override { m_str += strUtf8; }
    void WriteDocument(const std::string& strUtf8) override { m_str += strUtf8; }
    std::string m_str;
};

struct Result {
    int code;
    std::string out, err;
};

Result Cli(const std::vector<std::string>& args) {
    CCapture out, err;
    const int code = RunCommandLine(args, out, err);
    return {code, out.m_str, err.m_str};
}

std::string TempFile(const std::string& name, const std::string& content) {
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "quarn-cli-" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

// Every key and value below the base key, with types and bytes, to tell any write.
std::string Snapshot(const RegistrySandbox& sandbox) {
    std::string text;
    std::vector<std::string> keys = {kBaseKey};
    for (const std::string& name : sandbox.SubKeys(kBaseKey))
        keys.push_back(SubSystemKey(name));
    for (const std::string& key : keys) {
        text += key + "\n";
        for (const char* value :
             {"DefaultLogLevel", "DefaultLogType", "ExpireLogsAfter", "LogLevel", "LogType"}) {
            DWORD type = 0;
            std::vector<unsigned char> data;
            if (sandbox.GetRaw(key.c_str(), value, &type, &data))
                text += std::string(value) + " " + std::to_string(type) + " " +
                        std::string(data.begin(), data.end()) + "\n";
        }
    }
    return text;
}

// Default settings Debug/Warning, 30 days; Network Trace/Default; "beta" Default/Default;
// Reports switched off; "Zähler" (a name of the ANSI code page beyond ASCII) Release/Error.
void FillConfiguration(RegistrySandbox& sandbox) {
    sandbox.SetString(kBaseKey, "DefaultLogLevel", "Debug");
    sandbox.SetString(kBaseKey, "DefaultLogType", "warning");
    sandbox.SetString(kBaseKey, "ExpireLogsAfter", "30");
    sandbox.SetString(SubSystemKey("Network").c_str(), "LogLevel", "Trace");
    sandbox.SetString(SubSystemKey("Network").c_str(), "LogType", "Default");
    sandbox.CreateKey(SubSystemKey("beta").c_str());
    sandbox.SetString(SubSystemKey("Reports").c_str(), "LogLevel", "None");
    sandbox.SetString(SubSystemKey("Reports").c_str(), "LogType", "None");
    sandbox.SetString(SubSystemKey("Z\xE4hler").c_str(), "LogLevel", "Release");
    sandbox.SetString(SubSystemKey("Z\xE4hler").c_str(), "LogType", "Error");
}

} // namespace

TEST(CommandLine, ShowGivesTheConfigurationAsTheDialogLoadsIt) {
    ASSERT_EQ(1252u, ::GetACP());
    RegistrySandbox sandbox;
    // No configuration: the dialog's defaults, and nothing is created.
    Result r = Cli({"show", "--json"});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out),
              nlohmann::json::parse(R"({"expireLogsAfter": 2, "default": {"level": "Release",
                                    "type": "Error"}, "subsystems": []})"));
    EXPECT_FALSE(sandbox.KeyExists(kBaseKey));

    FillConfiguration(sandbox);
    r = Cli({"show", "/json"});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out), nlohmann::json::parse(R"({"expireLogsAfter": 30,
        "default": {"level": "Debug", "type": "Warning"}, "subsystems": [
        {"name": "beta", "level": "Default", "type": "Default", "effectiveLevel": "Debug",
         "effectiveType": "Warning"},
        {"name": "Network", "level": "Trace", "type": "Default", "effectiveLevel": "Trace",
         "effectiveType": "Warning"},
        {"name": "Reports", "level": "None", "type": "None", "effectiveLevel": "None",
         "effectiveType": "None"},
        {"name": "Z\u00e4hler", "level": "Release", "type": "Error", "effectiveLevel": "Release",
         "effectiveType": "Error"}]})"));

    r = Cli({"show", "reports", "Z\xC3\xA4hler"});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ("Delete logs older than 30 days\n\n"
              "Name              Level    Type     Effective level  Effective type  Logs\n"
              "Default Settings  Debug    Warning  Debug            Warning         yes\n"
              "Reports           None     None     None             None            no\n"
              "Z\xC3\xA4hler            Release  Error    Release          Error           yes\n",
              r.out);

    r = Cli({"show", "Network", "Nowhere"});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("", r.out);
    EXPECT_NE(std::string::npos, r.err.find("no subsystem \"Nowhere\"")) << r.err;
}

TEST(CommandLine, CheckListsEveryProblemAndEveryDifferenceFromAnExpectedFile) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    Result r = Cli({"check"});
    EXPECT_EQ(0, r.code) << r.out;
    EXPECT_EQ("", r.out);

    sandbox.SetString(kBaseKey, "DefaultLogType", "Default");
    sandbox.SetString(kBaseKey, "ExpireLogsAfter", "1e3");
    sandbox.SetString(SubSystemKey("Network").c_str(), "LogLevel", "Dbg");
    sandbox.SetString(SubSystemKey("Reports").c_str(), "LogType", "Error");
    const DWORD dword = 2;
    sandbox.SetRaw(SubSystemKey("beta").c_str(), "LogLevel", REG_DWORD, &dword, sizeof dword);
    const std::string longWord(250, 'x');
    sandbox.SetString(SubSystemKey("beta").c_str(), "LogType", longWord.c_str());
    r = Cli({"check"});
    EXPECT_EQ(1, r.code);
    const std::string base = "HKLM\\SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging";
    EXPECT_EQ(
        base +
            ": ExpireLogsAfter holds \"1e3\", not a day count from 1 to 365 in decimal digits "
            "(the dialog reads 1)\n" +
            base +
            ": DefaultLogType holds \"Default\", which the default settings cannot follow\n" +
            base + "\\beta: LogLevel is REG_DWORD 2, not REG_SZ\n" + base +
            "\\beta: LogLevel holds \"\x02\", which is not a level, so the dialog shows "
            "\"Default\"\n" +
            base +
            "\\beta: LogType holds 251 bytes, more than the 200 that the dialog reads, so "
            "it counts as missing\n" +
            base +
            "\\Network: LogLevel holds \"Dbg\", which is not a level, so the dialog shows "
            "\"Default\"\n" +
            base +
            "\\Reports: LogLevel None with LogType Error logs nothing, but only None and "
            "None is switched off\n",
        r.out);

    // Differences from a file: only what the file holds; a missing subsystem; effective fields.
    const std::string expect = TempFile("expect.json", R"({"expireLogsAfter": 1,
        "default": {"level": "debug"}, "subsystems": [
        {"name": "NETWORK", "level": "Default", "effectiveLevel": "Debug"},
        {"name": "Reports", "effectiveType": "Warning"}, {"name": "Missing"}]})");
    sandbox.SetString(kBaseKey, "ExpireLogsAfter", "1");
    sandbox.SetString(SubSystemKey("Network").c_str(), "LogLevel", "Release");
    sandbox.SetString(SubSystemKey("Reports").c_str(), "LogLevel", "Trace");
    sandbox.SetString(SubSystemKey("beta").c_str(), "LogLevel", "Trace");
    sandbox.SetString(SubSystemKey("beta").c_str(), "LogType", "Default");
    r = Cli({"check", "--expect", expect});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ(base +
                  ": DefaultLogType holds \"Default\", which the default settings cannot follow\n" +
                  base + "\\Network: LogLevel is Release, expected Default\n" + base +
                  "\\Reports: the effective type is Error, expected Warning\n" + base +
                  "\\Missing: no such subsystem, expected one\n",
              r.out);

    r = Cli({"check", "/expect:" + TempFile("bad.json", "{\"subsystems\": [{\"name\": 1}]}")});
    EXPECT_EQ(2, r.code);
    EXPECT_NE(std::string::npos, r.err.find("/subsystems/0/name")) << r.err;
}

TEST(CommandLine, SetWritesOnlyTheNamedValuesAsTheDialogWritesThem) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    EXPECT_EQ(0, Cli({"set", "network", "--level", "dEBUG"}).code);
    EXPECT_EQ(0, Cli({"set", "/default", "/type:information", "/days:365"}).code);
    DWORD type = 0;
    std::vector<unsigned char> data;
    ASSERT_TRUE(sandbox.GetRaw(SubSystemKey("Network").c_str(), "LogLevel", &type, &data));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(std::string("Debug", 6), std::string(data.begin(), data.end()));
    std::string text;
    EXPECT_TRUE(sandbox.GetString(kBaseKey, "DefaultLogType", &text) && text == "Information");
    EXPECT_TRUE(sandbox.GetString(kBaseKey, "ExpireLogsAfter", &text) && text == "365");
    EXPECT_TRUE(sandbox.GetString(kBaseKey, "DefaultLogLevel", &text) && text == "Debug");
    EXPECT_TRUE(sandbox.GetString(SubSystemKey("Network").c_str(), "LogType", &text) &&
                text == "Default");

    // Refusals write nothing, even where another value of the same command was sound.
    const std::string before = Snapshot(sandbox);
    const std::vector<std::pair<int, std::vector<std::string>>> refused = {
        {1, {"set", "Nowhere", "--level", "Trace"}},
        {2, {"set", "--default", "--level", "Default"}},
        {2, {"set", "Network", "--level", "Dbg"}},
        {2, {"set", "Network", "--type", "Errors"}},
        {2, {"set", "Network", "--default", "--level", "Trace"}},
        {2, {"set", "--level", "Trace"}},
        {2, {"set", "Network"}},
        {2, {"set"}},
        {2, {"set", "Net\\Sub", "--level", "Trace"}},
    };
    for (const auto& [code, args] : refused)
        EXPECT_EQ(code, Cli(args).code) << args[1];
    for (const char* days : {"0", "366", "abc", "1e3", "-5", " 7", ""})
        EXPECT_EQ(2, Cli({"set", "--days", days, "--default", "--level", "Trace"}).code) << days;
    EXPECT_EQ(before, Snapshot(sandbox));
}

TEST(CommandLine, AddCreatesASubsystemUnderTheAddDialogsNameRules) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    const std::string name32(32, 'n');
    EXPECT_EQ(0, Cli({"add", name32}).code);
    EXPECT_EQ(0, Cli({"add", "  blanks  "}).code);
    std::string text;
    EXPECT_TRUE(sandbox.GetString(SubSystemKey(name32).c_str(), "LogLevel", &text) &&
                text == "Default");
    EXPECT_TRUE(sandbox.GetString(SubSystemKey(name32).c_str(), "LogType", &text) &&
                text == "Default");
    EXPECT_TRUE(sandbox.KeyExists(SubSystemKey("  blanks  ").c_str()));

    const std::string before = Snapshot(sandbox);
    EXPECT_EQ(1, Cli({"add", "NETWORK"}).code);
    for (const std::string& bad : {name32 + "n", std::string(), std::string("A\\B"),
                                   std::string("\xE6\x97\xA5\xE6\x9C\xAC")}) {
        const Result r = Cli({"add", bad});
        EXPECT_EQ(2, r.code) << bad;
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(before, Snapshot(sandbox));
}

TEST(CommandLine, ExplainSaysWhetherAndWhyAnEventIsLogged) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    Result r = Cli({"explain", "Network", "trace", "Warning"});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ("Network logs Trace Warning events.\nBecause its level Trace logs Release, Debug and "
              "Trace events, and its type Default, that is the default settings' Warning, logs "
              "FatalError, Error and Warning events.\n",
              r.out);
    r = Cli({"explain", "beta", "Trace", "Error"});
    EXPECT_EQ("beta does not log Trace Error events.\nBecause its level Default, that is the "
              "default settings' Debug, logs Release and Debug events, and its type Default, "
              "that is the default settings' Warning, logs FatalError, Error and Warning "
              "events.\n",
              r.out);
    r = Cli({"explain", "Reports", "Release", "FatalError"});
    EXPECT_EQ("Reports does not log Release FatalError events.\nIt is switched off: its level "
              "and type are None and None.\n",
              r.out);
    EXPECT_EQ(2, Cli({"explain", "Network", "None", "Error"}).code);
    EXPECT_EQ(2, Cli({"explain", "Network", "Trace", "Default"}).code);
    EXPECT_EQ(1, Cli({"explain", "Nowhere", "Trace", "Error"}).code);
}

TEST(CommandLine, ExportAndImportRoundTripAndABadFileWritesNothing) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    const std::string file = TempFile("export.json", "");
    ASSERT_EQ(0, Cli({"export", file}).code);
    std::ifstream in(file, std::ios::binary);
    const std::string exported((std::istreambuf_iterator<char>(in)), {});
    const std::string shown = Cli({"show", "--json"}).out;
    EXPECT_EQ(shown, exported);
    EXPECT_EQ(shown, Cli({"export", "-"}).out);

    // Every value the file holds, words respelt, missing keys created; nothing deleted.
    sandbox.CreateKey(SubSystemKey("Extra").c_str());
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, SubSystemKey("Network").c_str());
    ASSERT_EQ(0, Cli({"import", file}).code);
    std::string text;
    EXPECT_TRUE(sandbox.GetString(kBaseKey, "DefaultLogType", &text) && text == "Warning");
    EXPECT_TRUE(sandbox.GetString(SubSystemKey("beta").c_str(), "LogType", &text) &&
                text == "Default");
    EXPECT_TRUE(sandbox.KeyExists(SubSystemKey("Extra").c_str()));
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, SubSystemKey("Extra").c_str());
    EXPECT_EQ(shown, Cli({"show", "--json"}).out);
    const std::string before = Snapshot(sandbox);

    const std::vector<std::pair<std::string, std::string>> bad = {
        {"{\"expireLogsAfter\": 14,", "not JSON: "},
        {"[1]", "/: an object"},
        {R"({"expireLogsAfter": 0})", "/expireLogsAfter"},
        {R"({"expireLogsAfter": 366})", "/expireLogsAfter"},
        {R"({"expireLogsAfter": "abc"})", "/expireLogsAfter"},
        {R"({"expireLogsAfter": 1e3})", "/expireLogsAfter"},
        {R"({"expireLogsAfter": 14.0})", "/expireLogsAfter"},
        {R"({"expire": 14})", "unknown field \"expire\""},
        {R"({"default": {"level": "Default"}})", "/default/level"},
        {R"({"subsystems": [{"name": "New", "level": "Trace"}, {"name": "A\\B"}]})",
         "/subsystems/1/name"},
        {R"({"subsystems": [{"name": "123456789012345678901234567890123"}]})", "longer than 32"},
        {R"({"subsystems": [{"name": "日本"}]})", "ANSI code page"},
        {R"({"subsystems": [{"name": "New"}, {"name": "NEW"}]})", "given before"},
        {R"({"subsystems": [{"name": "New", "type": "Warnings"}]})", "/subsystems/0/type"},
        {R"({"subsystems": [{"name": "Network", "level": "Trace", "effectiveLevel": "Debug"}]})",
         "/subsystems/0/effectiveLevel"},
        {R"({"default": {"type": "Error"}, "subsystems": [{"name": "Network",
            "type": "Default", "effectiveType": "Warning"}]})",
         "/subsystems/0/effectiveType"},
    };
    for (const auto& [content, place] : bad) {
        const Result r = Cli({"import", TempFile("bad.json", content)});
        EXPECT_EQ(2, r.code) << content;
        EXPECT_NE(std::string::npos, r.err.find(place)) << r.err;
    }
    const Result missing = Cli({"import", file + ".missing"});
    EXPECT_EQ(2, missing.code);
    EXPECT_NE(std::string::npos, missing.err.find(".missing: ")) << missing.err;
    EXPECT_EQ(before, Snapshot(sandbox));

    // A file saved by PowerShell's ">" is UTF-16.
    std::string utf16 = "\xFF\xFE";
    for (char ch : std::string(R"({"expireLogsAfter": 7})"))
        utf16 += std::string{ch, '\0'};
    EXPECT_EQ(0, Cli({"import", TempFile("utf16.json", utf16)}).code);
    EXPECT_TRUE(sandbox.GetString(kBaseKey, "ExpireLogsAfter", &text) && text == "7");
}

TEST(CommandLine, BadCommandLinesAndRegistryFailuresHaveTheirExitCodes) {
    RegistrySandbox sandbox;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"show", "--xml"}, {"add"}, {"explain", "A", "Trace"}}) {
        const Result r = Cli(args);
        EXPECT_EQ(2, r.code) << (args.empty() ? "" : args[0]);
        EXPECT_NE(std::string::npos, r.err.find("--help")) << r.err;
    }
    const Result help = Cli({"/?"});
    EXPECT_EQ(0, help.code);
    EXPECT_NE(std::string::npos, help.out.find("3  the registry failed")) << help.out;
    EXPECT_NE(std::string::npos, Cli({"set", "/?"}).out.find("--level"));

    // A key below a volatile one cannot be created: the system's reason, exit code 3.
    sandbox.CreateVolatileKey(kBaseKey);
    const Result r = Cli({"add", "Network"});
    EXPECT_EQ(3, r.code);
    EXPECT_NE(std::string::npos, r.err.find("cannot be created: ")) << r.err;
    EXPECT_GT(r.err.size(),
              std::string("quarnlogcfg: the subsystem \"Network\" cannot be created: \n").size());
}
