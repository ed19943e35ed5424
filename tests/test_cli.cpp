// The command line's commands, run in process against the real (sandboxed) registry: what each
// prints, its exit code, and what it leaves in the registry.
#include "cli/ConfigurationSchema.h"
#include "logconfig/LogOptions.h"
#include "tests/support/CliRunner.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

using namespace testing_support;
using nlohmann::json;

namespace {

const std::string kBase = "HKLM\\SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging";

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

std::string Value(const RegistrySandbox& sandbox, const std::string& key, const char* name) {
    std::string text;
    return sandbox.GetString(key.c_str(), name, &text) ? text : "(missing)";
}

} // namespace

TEST(CommandLine, ShowGivesTheConfigurationAsTheDialogLoadsIt) {
    ASSERT_EQ(1252u, ::GetACP());
    RegistrySandbox sandbox;
    // No configuration: the dialog's defaults, said so, and nothing is created.
    CliResult r = Cli({"show", "--json"});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ(json::parse(r.out), json::parse(R"({"configured": false, "expireLogsAfter": 2,
        "default": {"level": "Release", "type": "Error"}, "subsystems": []})"));
    EXPECT_EQ(0u, Cli({"show"}).out.find("Nothing is configured: " + kBase + " does not exist"));
    EXPECT_FALSE(sandbox.KeyExists(kBaseKey));

    FillConfiguration(sandbox);
    // A key written by a Unicode program, whose name the code page cannot hold, is left out
    // with a note rather than shown as "??".
    CreateWideSubSystemKey(L"\x65E5\x5FD7");
    r = Cli({"show", "/JSON"});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ(json::parse(r.out), json::parse(R"({"configured": true, "expireLogsAfter": 30,
        "default": {"level": "Debug", "type": "Warning"}, "subsystems": [
        {"name": "beta", "level": "Default", "type": "Default", "effectiveLevel": "Debug",
         "effectiveType": "Warning"},
        {"name": "Network", "level": "Trace", "type": "Default", "effectiveLevel": "Trace",
         "effectiveType": "Warning"},
        {"name": "Reports", "level": "None", "type": "None", "effectiveLevel": "None",
         "effectiveType": "None"},
        {"name": "Z\u00e4hler", "level": "Release", "type": "Error", "effectiveLevel": "Release",
         "effectiveType": "Error"}]})"));
    EXPECT_EQ("quarnlogcfg: note: " + kBase +
                  "\\\xE6\x97\xA5\xE5\xBF\x97 is left out: its name cannot be read or written "
                  "through the ANSI code page (quarnlogcfg remove deletes it by that name)\n",
              r.err);

    r = Cli({"show", "reports", "Z\xC3\xA4hler"});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ("", r.err);
    EXPECT_EQ("Delete logs older than 30 days\n\n"
              "Name              Level    Type     Effective level  Effective type  Logs\n"
              "Default Settings  Debug    Warning  Debug            Warning         yes\n"
              "Reports           None     None     None             None            no\n"
              "Z\xC3\xA4hler            Release  Error    Release          Error           yes\n",
              r.out);
    EXPECT_EQ(json::parse(Cli({"show", "--json", "NETWORK"}).out)["subsystems"].size(), 1u);

    r = Cli({"show", "Network", "Nowhere"});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("", r.out);
    EXPECT_NE(std::string::npos, r.err.find("no subsystem \"Nowhere\"")) << r.err;
}

TEST(CommandLine, CheckListsEveryProblemOneALine) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    // A name with a blank at an end is sound, as the dialog adds it; check points it out.
    sandbox.CreateKey(SubSystemKey("Trail ").c_str());
    CliResult r = Cli({"check"});
    EXPECT_EQ(0, r.code) << r.out;
    EXPECT_EQ("", r.out);
    EXPECT_EQ("quarnlogcfg: note: " + kBase + "\\Trail : the name \"Trail \" ends with a blank\n",
              r.err);

    sandbox.SetString(kBaseKey, "DefaultLogType", "Default");
    sandbox.SetString(kBaseKey, "ExpireLogsAfter", "1e3");
    sandbox.SetString(SubSystemKey("Network").c_str(), "LogLevel", "Tr\nace");
    sandbox.SetString(SubSystemKey("Reports").c_str(), "LogType", "Error");
    const DWORD dword = 0;
    sandbox.SetRaw(SubSystemKey("beta").c_str(), "LogLevel", REG_DWORD, &dword, sizeof dword);
    sandbox.SetString(SubSystemKey("beta").c_str(), "LogType", std::string(250, 'x').c_str());
    CreateWideSubSystemKey(L"\x65E5\x5FD7");
    r = Cli({"check"});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ(kBase +
                  ": ExpireLogsAfter holds \"1e3\", not a whole number of days from 1 to 365 in "
                  "decimal digits (the dialog reads 1)\n" +
                  kBase +
                  ": DefaultLogType holds \"Default\", which the default settings cannot follow\n" +
                  kBase +
                  "\\beta: LogLevel is REG_DWORD 0, not REG_SZ text: the dialog reads it as \"\", "
                  "that is Default\n" +
                  kBase +
                  "\\beta: LogType holds 251 bytes, more than the 200 that the dialog reads, so "
                  "it counts as missing\n" +
                  kBase +
                  "\\Network: LogLevel holds \"Tr\\nace\", which is not a level, so the dialog "
                  "shows \"Default\"\n" +
                  kBase +
                  "\\Reports: LogLevel None with LogType Error logs nothing, but only None and "
                  "None is switched off\n" +
                  kBase +
                  "\\\xE6\x97\xA5\xE5\xBF\x97: the name cannot be read or written through the "
                  "ANSI code page (1252): the dialog and the components that use it do not see "
                  "this subsystem\n",
              r.out);
}

// A baseline decides on what it holds: whatever importing it would write. Problems it cannot
// mend are notes, which count only with --strict; one import reaches compliance.
TEST(CommandLine, CheckExpectDecidesOnWhatTheBaselineGoverns) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    sandbox.SetString(SubSystemKey("Reports").c_str(), "LogType", "Error"); // one None
    sandbox.SetString(SubSystemKey("beta").c_str(), "LogLevel", "Dbg");
    const DWORD dwDays = 30;
    sandbox.SetRaw(kBaseKey, "ExpireLogsAfter", REG_DWORD, &dwDays, sizeof dwDays);
    const std::string good = TempFile("expect.json", R"({"default": {"level": "debug"},
        "subsystems": [{"name": "NETWORK", "level": "Default", "effectiveLevel": "Debug"},
        {"name": "beta", "level": "Default", "effectiveType": "Error"}, {"name": "Missing"}]})");
    const std::string days = kBase + ": ExpireLogsAfter is REG_DWORD 30, not REG_SZ text: the "
                                     "dialog reads it as \"\\x1e\", that is 0";
    const std::string dbg = kBase + "\\beta: LogLevel holds \"Dbg\", which is not a level, so "
                                    "the dialog shows \"Default\"";
    const std::string oneNone = kBase + "\\Reports: LogLevel None with LogType Error logs "
                                        "nothing, but only None and None is switched off";
    const std::string network = kBase + "\\Network: LogLevel is Trace, expected Default";
    const std::string missing = kBase + "\\Missing: no such subsystem, expected one";
    const std::string effective = kBase + "\\beta: the effective type is Warning, expected Error";
    CliResult r = Cli({"check", "--expect", good});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("note: " + days + "\n" + dbg + "\nnote: " + oneNone + "\n" + network + "\n" +
                  missing + "\nnote: " + effective + "\n",
              r.out);
    r = Cli({"check", "--expect", good, "--json"});
    EXPECT_EQ(json::parse(r.out), (json{{"compliant", false},
                                        {"configured", true},
                                        {"problems", {dbg}},
                                        {"differences", {network, missing}},
                                        {"notes", {days, oneNone, effective}}}));

    // The remediation: what it writes, then nothing; detection then passes, unless strict.
    r = Cli({"import", good});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ(kBase + "\\Network: LogLevel set to Default (was \"Trace\")\n" + kBase +
                  "\\beta: LogLevel set to Default (was \"Dbg\")\n" + kBase +
                  "\\Missing: created\n" + kBase +
                  "\\Missing: LogLevel set to Default (was missing)\n" + kBase +
                  "\\Missing: LogType set to Default (was missing)\n"
                  "4 values written, 1 subsystem created\n",
              r.out);
    EXPECT_EQ("nothing to change\n", Cli({"import", good}).out);
    EXPECT_EQ(0, Cli({"check", "--expect", good}).code);
    EXPECT_EQ(1, Cli({"check", "--expect", good, "/STRICT"}).code);
    EXPECT_EQ(2, Cli({"check", "--strict"}).code); // only with a baseline
    // An empty baseline variable in a script is no baseline to comply with.
    for (const char* path : {"", " ", "\t"}) {
        r = Cli({"check", "--expect", path, "--strict", "--json"});
        EXPECT_EQ(2, r.code) << "'" << path << "'";
        EXPECT_EQ("", r.out);
        EXPECT_EQ("quarnlogcfg: --expect: give the baseline's file (- for the standard input)\n",
                  r.err);
    }
    EXPECT_EQ(json::parse(Cli({"check", "--json"}).out)["compliant"], false);
}

TEST(CommandLine, SetWritesOnlyWhatDiffers) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    CliResult r = Cli({"set", "network", "--level", "dEBUG", "--what-if"});
    // A command about one subsystem reads that one key alone, and names it as given.
    EXPECT_EQ(kBase + "\\network: LogLevel would be set to Debug (is \"Trace\")\n"
                      "what if: 1 value would be written; nothing was written\n",
              r.out);
    EXPECT_EQ("Trace", Value(sandbox, SubSystemKey("Network"), "LogLevel"));
    r = Cli({"set", "network", "--level", "dEBUG", "--type", "default"});
    EXPECT_EQ(kBase + "\\network: LogLevel set to Debug (was \"Trace\")\n1 value written\n", r.out);
    EXPECT_EQ("nothing to change\n", Cli({"set", "Network", "/Level:Debug"}).out);
    EXPECT_EQ(0, Cli({"set", "/default", "/type:information", "/days:365"}).code);
    DWORD type = 0;
    std::vector<unsigned char> data;
    ASSERT_TRUE(sandbox.GetRaw(SubSystemKey("Network").c_str(), "LogLevel", &type, &data));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(std::string("Debug", 6), std::string(data.begin(), data.end()));
    EXPECT_EQ("Information", Value(sandbox, kBaseKey, "DefaultLogType"));
    EXPECT_EQ("365", Value(sandbox, kBaseKey, "ExpireLogsAfter"));
    EXPECT_EQ("Debug", Value(sandbox, kBaseKey, "DefaultLogLevel"));
    EXPECT_EQ(0, Cli({"set", "Reports", "--days", "7"}).code);
    EXPECT_EQ("7", Value(sandbox, kBaseKey, "ExpireLogsAfter"));

    // Refusals write nothing, even where another value of the same command was sound.
    const std::string before = Snapshot();
    const std::vector<std::pair<int, std::vector<std::string>>> refused = {
        {1, {"set", "Nowhere", "--level", "Trace", "--days", "5"}},
        {2, {"set", "--default", "--level", "Default"}},
        {2, {"set", "Network", "--level", "Dbg"}},
        {2, {"set", "Network", "--type", "Errors"}},
        {2, {"set", "Network", "--default", "--level", "Trace"}},
        {2, {"set", "--level", "Trace"}},
        {2, {"set", "Network"}},
        {2, {"set"}},
        {2, {"set", "Net\\Sub", "--level", "Trace"}},
    };
    for (const auto& [code, args] : refused) {
        r = Cli(args);
        EXPECT_EQ(code, r.code) << args.size();
        EXPECT_NE(std::string::npos, r.err.find("quarnlogcfg: ")) << r.err;
    }
    for (const char* days : {"0", "366", "abc", "1e3", "-5", " 7", ""})
        EXPECT_EQ(2, Cli({"set", "--days", days, "--default", "--level", "Trace"}).code) << days;
    EXPECT_EQ(before, Snapshot());
}

TEST(CommandLine, AddAndRemoveCreateAndDeleteSubsystems) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    const std::string name32(32, 'n');
    CliResult r = Cli({"add", name32});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ("Default", Value(sandbox, SubSystemKey(name32), "LogLevel"));
    EXPECT_EQ("Default", Value(sandbox, SubSystemKey(name32), "LogType"));
    EXPECT_EQ(0, Cli({"add", "In side"}).code);
    EXPECT_EQ(0, Cli({"add", " Lead "}).code); // as the dialog adds it
    EXPECT_EQ("Default", Value(sandbox, SubSystemKey(" Lead "), "LogLevel"));
    const std::string before = Snapshot();
    EXPECT_EQ(0, Cli({"add", "Later", "--what-if"}).code);
    EXPECT_EQ(1, Cli({"add", "NETWORK"}).code);
    for (const std::string& bad :
         {name32 + "n", std::string(), std::string("A\\B"), std::string("tab\there"),
          std::string("de\x7Fl"), std::string("\xE6\x97\xA5")}) {
        r = Cli({"add", bad});
        EXPECT_EQ(2, r.code) << bad;
        EXPECT_EQ(std::string::npos, r.err.find("sub system")) << r.err;
    }
    EXPECT_EQ(before, Snapshot());

    // All or nothing, each key with everything below it.
    sandbox.CreateKey((SubSystemKey("Reports") + "\\Below").c_str());
    const std::string withBelow = Snapshot();
    EXPECT_EQ(1, Cli({"remove", "reports", "Nowhere"}).code);
    EXPECT_EQ(0, Cli({"remove", "reports", "beta", "--what-if"}).code);
    EXPECT_EQ(withBelow, Snapshot());
    r = Cli({"remove", "reports", "beta", "REPORTS"});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ(kBase + "\\Reports: deleted\n" + kBase + "\\beta: deleted\n2 subsystems deleted\n",
              r.out);
    EXPECT_FALSE(sandbox.KeyExists(SubSystemKey("Reports").c_str()));
    EXPECT_FALSE(sandbox.KeyExists(SubSystemKey("beta").c_str()));
    EXPECT_TRUE(sandbox.KeyExists(SubSystemKey("Network").c_str()));

    // Keys whose names the code page cannot hold go by their names as given, in any letter
    // case, never by the "??" the code page makes of them: so --strict can be met.
    CreateWideSubSystemKey(L"\x65E5\x5FD7");
    CreateWideSubSystemKey(L"\x0100"
                           L"b");
    const std::string rid = u8"\u65E5\u5FD7";
    EXPECT_EQ(1, Cli({"check", "--expect", "-", "--strict"}, "{}").code);
    const std::string beyond = Snapshot();
    EXPECT_EQ(1, Cli({"remove", "??"}).code);
    EXPECT_EQ(1, Cli({"remove", rid, u8"\u65E5"}).code);
    EXPECT_EQ(0, Cli({"remove", rid, "--what-if"}).code);
    EXPECT_EQ(beyond, Snapshot());
    r = Cli({"remove", rid, u8"\u0101B", rid});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ(kBase + "\\" + rid + ": deleted\n" + kBase + u8"\\\u0100b: deleted\n" +
                  "2 subsystems deleted\n",
              r.out);
    r = Cli({"check", "--expect", "-", "--strict"}, "{}");
    EXPECT_EQ(0, r.code) << r.out;
    EXPECT_TRUE(sandbox.KeyExists(SubSystemKey("Network").c_str()));
}

TEST(CommandLine, ExplainAnswersInItsExitCode) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    CliResult r = Cli({"explain", "Network", "trace", "Warning"});
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_EQ("Network logs Trace Warning events.\nBecause its level Trace logs Release, Debug and "
              "Trace events, and its type Default, that is the default settings' Warning, logs "
              "FatalError, Error and Warning events.\n",
              r.out);
    r = Cli({"explain", "beta", "Trace", "Error"});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("beta does not log Trace Error events.\nBecause its level Default, that is the "
              "default settings' Debug, logs Release and Debug events, and its type Default, "
              "that is the default settings' Warning, logs FatalError, Error and Warning "
              "events.\n",
              r.out);
    r = Cli({"explain", "Reports", "Release", "FatalError"});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("Reports does not log Release FatalError events.\nIt is switched off: its level "
              "and type are None and None.\n",
              r.out);
    EXPECT_EQ(2, Cli({"explain", "Network", "None", "Error"}).code);
    EXPECT_EQ(2, Cli({"explain", "Network", "Trace", "Default"}).code);
    EXPECT_EQ(1, Cli({"explain", "Nowhere", "Trace", "Error"}).code);
}

TEST(CommandLine, ExportAndImportTakeFilesAndStreamsAndRefuseBadInputWhole) {
    RegistrySandbox sandbox;
    FillConfiguration(sandbox);
    const std::string file = TempFile("export.json", "");
    ASSERT_EQ(0, Cli({"export", file}).code);
    const std::string exported = ReadFile(file);
    EXPECT_EQ(Cli({"show", "--json"}).out, exported);
    EXPECT_EQ(exported, Cli({"export", "-"}).out);

    // From standard input, and as Notepad (a UTF-8 byte-order mark) and PowerShell's ">" (UTF-16)
    // save it.
    EXPECT_EQ(kBase + ": ExpireLogsAfter set to 7 (was \"30\")\n1 value written\n",
              Cli({"import", "-"}, R"({"expireLogsAfter": 7})").out);
    EXPECT_EQ(0,
              Cli({"import", TempFile("bom.json", "\xEF\xBB\xBF{\"expireLogsAfter\": 8}")}).code);
    EXPECT_EQ("8", Value(sandbox, kBaseKey, "ExpireLogsAfter"));
    std::string utf16 = "\xFF\xFE";
    for (char ch : std::string(R"({"expireLogsAfter": 9, "$schema": "x", "configured": false})"))
        utf16 += std::string{ch, '\0'};
    EXPECT_EQ(0, Cli({"import", TempFile("utf16.json", utf16)}).code);
    EXPECT_EQ("9", Value(sandbox, kBaseKey, "ExpireLogsAfter"));

    // A bad document is refused whole, with the place of its first fault and a short quote.
    const std::string before = Snapshot();
    const std::string longWord(100000, 'x');
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"{\"expireLogsAfter\": 14,", "not JSON: "},
        {"[1]", "/: an object"},
        {R"({"expireLogsAfter": 1e999})", "number overflow"},
        {std::string(100000, '[') + std::string(100000, ']'), "nested deeper than 16 levels"},
        {R"({"expireLogsAfter": 30, "default": {}, "expireLogsAfter": 7})",
         "/expireLogsAfter: the field is given twice"},
        {R"({"expireLogsAfter": 14.5})", "/expireLogsAfter"},
        {R"({"configured": "yes"})", "/configured"},
        {R"({"default": {"level": "Default"}})", "/default/level"},
        {R"({"default": {"level": ")" + longWord + R"("}})", "\"xxxxxxxx"},
        {R"({"subsystems": [{"name": "New", "level": "Trace"}, {"name": "A\\B"}]})",
         "/subsystems/1/name: the name \"A\\B\" contains a backslash"},
        {R"({"subsystems": [{"name": "Net\u0000work"}]})", "contains a control character"},
        // A NUL would cut the name short to an existing subsystem's.
        {R"({"subsystems": [{"name": "Network\u0000x", "level": "Debug"}]})",
         "/subsystems/0/name: the name \"Network\\x00x\" contains a control character"},
        {R"({"subsystems": [{"name": "De\u007fl"}]})", "contains a control character"},
        {R"({"subsystems": [{"name": "Tab\there"}]})", "contains a control character"},
        {R"({"subsystems": [{"name": 5}]})", "needs a name (text)"},
        {R"({"subsystems": [{"name": "123456789012345678901234567890123"}]})", "longer than 32"},
        {R"({"subsystems": [{"name": "日本"}]})", "ANSI code page"},
        {R"({"subsystems": [{"name": "New"}, {"name": "NEW"}]})", "given before"},
        {R"({"subsystems": [{"name": "New", "type": 4}]})", "/subsystems/0/type"},
        {R"({"subsystems": [{"name": "Network", "level": "Trace", "effectiveLevel": "Debug"}]})",
         "/subsystems/0/effectiveLevel"},
    };
    for (const auto& [content, place] : bad) {
        const CliResult r = Cli({"import", "-"}, content);
        EXPECT_EQ(2, r.code) << content.substr(0, 80);
        EXPECT_NE(std::string::npos, r.err.find(place)) << r.err;
        EXPECT_LT(r.err.size(), 300u) << r.err;
    }
    EXPECT_EQ(before, Snapshot());

    // Files and streams that fail are the system's failures, with its message.
    CliResult r = Cli({"import", file + ".missing"});
    EXPECT_EQ(3, r.code);
    EXPECT_NE(std::string::npos, r.err.find(".missing cannot be read: ")) << r.err;
    r = Cli({"export", "-"}, "", ERROR_NO_DATA);
    EXPECT_EQ(3, r.code);
    EXPECT_NE(std::string::npos, r.err.find("the standard output cannot be written: ")) << r.err;
    EXPECT_EQ(3, Cli({"export", "Q:\\no\\such\\folder\\x.json"}).code);

    // Names with a blank at an end, as the dialog adds them, travel to a machine without them:
    // import creates them as they are, and the baseline is then met, strictly too.
    sandbox.CreateKey(SubSystemKey("Trail ").c_str());
    sandbox.SetString(SubSystemKey(" Lead").c_str(), "LogLevel", "Trace");
    const std::string withBlanks = Cli({"export", "-"}).out;
    RegistrySandbox other;
    r = Cli({"check", "--expect", "-"}, withBlanks);
    EXPECT_EQ(1, r.code);
    EXPECT_NE(std::string::npos, r.out.find(kBase + "\\ Lead: no such subsystem")) << r.out;
    EXPECT_NE(std::string::npos,
              r.err.find("note: " + kBase + "\\ Lead: the name \" Lead\" begins with a blank\n"))
        << r.err;
    r = Cli({"import", "-"}, withBlanks);
    EXPECT_EQ(0, r.code) << r.err;
    EXPECT_NE(std::string::npos, r.out.find(kBase + "\\Trail : created\n")) << r.out;
    EXPECT_EQ(0, Cli({"check", "--expect", "-", "--strict"}, withBlanks).code);
    EXPECT_EQ(withBlanks, Cli({"export", "-"}).out);
}

// The level and type words are the vocabulary's own wherever they are listed: in the help of
// the commands that take them, in the message that refuses another word, and in every word field
// of the schema (whose any-case patterns the DSC test holds against the same lists).
TEST(CommandLine, EveryListOfWordsIsTheVocabulary) {
    RegistrySandbox sandbox;
    std::vector<std::string> levels, types;
    for (int n = 0; n <= LOG_LEVEL_DEFAULT; ++n)
        levels.push_back(static_cast<const char*>(LogLevelToString(n)));
    for (int n = 0; n <= LOG_TYPE_DEFAULT; ++n)
        types.push_back(static_cast<const char*>(LogTypeToString(n)));
    ASSERT_EQ("Default", levels.back());
    ASSERT_EQ("Default", types.back());
    auto first = [](const std::vector<std::string>& words, size_t count) {
        return std::vector<std::string>(words.begin(), words.begin() + count);
    };
    // "Release, Debug or Trace"
    auto listed = [](const std::vector<std::string>& words) {
        std::string list;
        for (size_t i = 0; i < words.size(); ++i)
            list += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
        return list;
    };
    const std::string set = Cli({"set", "--help"}).out;
    EXPECT_NE(std::string::npos, set.find("  " + listed(levels) + "\n")) << set;
    EXPECT_NE(std::string::npos, set.find("  " + listed(types) + "\n")) << set;
    const std::string explain = Cli({"explain", "--help"}).out;
    EXPECT_NE(std::string::npos, explain.find("  " + listed(first(levels, 3)) + "\n")) << explain;
    EXPECT_NE(std::string::npos, explain.find("  " + listed(first(types, 4)) + "\n")) << explain;
    EXPECT_NE(std::string::npos, Cli({"set", "--default", "--level", "Dbg"})
                                     .err.find("not a level: " + listed(first(levels, 4)) + " ("));
    EXPECT_NE(std::string::npos,
              Cli({"import", "-"}, R"({"subsystems": [{"name": "N", "type": "Errors"}]})")
                  .err.find("not a type: " + listed(types) + "\n"));

    const json schema = json::parse(kConfigurationSchema);
    const json& defaults = schema["properties"]["default"]["properties"];
    const json& subSystem = schema["properties"]["subsystems"]["items"]["properties"];
    for (const auto& [field, words] : std::vector<std::pair<const json*, std::vector<std::string>>>{
             {&defaults["level"], first(levels, 4)},
             {&defaults["type"], first(types, 5)},
             {&subSystem["level"], levels},
             {&subSystem["effectiveLevel"], levels},
             {&subSystem["type"], types},
             {&subSystem["effectiveType"], types}}) {
        EXPECT_EQ(words, (*field)["else"]["enum"].get<std::vector<std::string>>()) << *field;
        EXPECT_EQ(words, (*field)["examples"].get<std::vector<std::string>>()) << *field;
    }
}

TEST(CommandLine, CommandLinesOfAnyCaseAndFailuresHaveTheirExitCodes) {
    RegistrySandbox sandbox;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"show", "--xml"}, {"add"}, {"explain", "A", "Trace"}}) {
        const CliResult r = Cli(args);
        EXPECT_EQ(2, r.code) << (args.empty() ? "" : args[0]);
        EXPECT_NE(std::string::npos, r.err.find("--help")) << r.err;
    }
    EXPECT_NE(std::string::npos, Cli({"frobnicate"}).err.find("unknown command \"frobnicate\""));
    const CliResult help = Cli({"/?"});
    EXPECT_EQ(0, help.code);
    EXPECT_NE(std::string::npos, help.out.find("3  the system failed")) << help.out;
    EXPECT_NE(std::string::npos, Cli({"SET", "/?"}).out.find("--level"));
    std::string version = ReadFile("Z:" QUARN_SOURCE_DIR "/VERSION");
    version = version.substr(0, version.find_first_of("\r\n"));
    ASSERT_FALSE(version.empty());
    for (const char* option : {"--version", "/version", "/VERSION"})
        EXPECT_EQ("quarnlogcfg " + version + "\n", Cli({option}).out) << option;

    // A key below a volatile one cannot be created: the system's reason, exit code 3.
    sandbox.CreateVolatileKey(kBaseKey);
    const CliResult r = Cli({"add", "Network"});
    EXPECT_EQ(3, r.code);
    EXPECT_NE(std::string::npos, r.err.find("cannot be created: ")) << r.err;
    // So does a subsystem key that cannot be opened, for every command that reads.
    RegistrySandbox unreadable;
    unreadable.CreateUnopenableKey(SubSystemKey("Loop").c_str());
    EXPECT_EQ(3, Cli({"show"}).code);
}
