// The command line's promises over generated inputs, in process against the sandbox: whatever a
// machine holds, export then import changes nothing that show tells, and one import of any
// baseline reaches compliance; whatever a document holds, import either writes it or refuses it
// whole with exit code 2 and a short message.
//
// Every run takes a new seed unless QUARN_CLI_SEED gives one; a failure names the seed of its
// case, which QUARN_CLI_SEED=<seed> QUARN_CLI_CASES=1 runs again alone. QUARN_CLI_CORPUS names a
// file that collects every document with import's verdict, for the schema's agreement test.
#include "cli/Text.h"
#include "logconfig/SubSystemName.h"
#include "tests/support/CliRunner.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/RegistrySandbox.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace testing_support;
using nlohmann::json;

namespace {

using Random = std::mt19937;

int Pick(Random& random, int nCount) {
    return std::uniform_int_distribution<int>(0, nCount - 1)(random);
}

template <class T> const T& PickOf(Random& random, const std::vector<T>& items) {
    return items[static_cast<size_t>(Pick(random, static_cast<int>(items.size())))];
}

std::string RandomCase(Random& random, std::string word) {
    for (char& ch : word)
        ch = Pick(random, 2) ? static_cast<char>(toupper(ch)) : static_cast<char>(tolower(ch));
    return word;
}

const std::vector<std::string> kLevels = {"Release", "Debug", "Trace", "None", "Default"};
const std::vector<std::string> kTypes = {"FatalError",  "Error", "Warning",
                                         "Information", "None",  "Default"};

// Runs cases with seeds from the base one on; stops at the first that fails.
void ForEachCase(int nDefaultCases, const std::function<void(Random&)>& run) {
    const char* pszSeed = std::getenv("QUARN_CLI_SEED");
    const char* pszCases = std::getenv("QUARN_CLI_CASES");
    const unsigned base = pszSeed ? static_cast<unsigned>(std::strtoul(pszSeed, nullptr, 10))
                                  : std::random_device()();
    const int nCases = pszCases ? std::atoi(pszCases) : nDefaultCases;
    for (int i = 0; i < nCases && !::testing::Test::HasFailure(); ++i) {
        const unsigned seed = base + static_cast<unsigned>(i);
        SCOPED_TRACE("case seed " + std::to_string(seed) + " (QUARN_CLI_SEED=" +
                     std::to_string(seed) + " QUARN_CLI_CASES=1 runs it alone)");
        Random random(seed);
        run(random);
    }
}

// A stored value as some program may have left it: any registry type, a word in any case or
// misspelt, a long text, a day count or not.
void StoreValue(RegistrySandbox& sandbox, const std::string& key, const char* name, bool bDays,
                Random& random) {
    const std::vector<std::string>& words = Pick(random, 2) ? kLevels : kTypes;
    std::string text =
        bDays ? PickOf<std::string>(random, {"1", "14", "365", "0", "366", "abc", " 14", "14days",
                                             "007", "-5", "1e3", "99999999999", ""})
              : PickOf<std::string>(random, {RandomCase(random, PickOf(random, words)), "Dbg",
                                             "Errors", "", " None", "Tr\nace",
                                             "D\xE9"
                                             "faut"});
    DWORD dword = static_cast<DWORD>(Pick(random, 400));
    switch (Pick(random, 9)) {
    case 0:
        return; // missing
    case 1:
        text = std::string(200 + static_cast<size_t>(Pick(random, 60)), 'x');
        break;
    case 2:
        return sandbox.SetRaw(key.c_str(), name, REG_DWORD, &dword, sizeof dword);
    case 3:
        return sandbox.SetRaw(key.c_str(), name, REG_BINARY, text.data(),
                              static_cast<DWORD>(text.size()));
    case 4:
        return sandbox.SetRaw(key.c_str(), name, Pick(random, 2) ? REG_EXPAND_SZ : REG_MULTI_SZ,
                              text.c_str(), static_cast<DWORD>(text.size() + 1));
    default:
        break;
    }
    sandbox.SetString(key.c_str(), name, text.c_str());
}

std::string NewName(Random& random) {
    std::string name = "Sub";
    for (int i = Pick(random, 6); i >= 0; --i)
        name += static_cast<char>('a' + Pick(random, 26));
    return RandomCase(random, name);
}

// A machine with odd values, and names as other programs may have written them: in any case,
// with blanks, long, beyond ASCII, beyond the code page.
std::vector<std::string> StoreMachine(RegistrySandbox& sandbox, Random& random) {
    std::vector<std::string> names;
    if (Pick(random, 8) == 0)
        return names; // nothing configured
    sandbox.CreateKey(kBaseKey);
    StoreValue(sandbox, kBaseKey, "ExpireLogsAfter", true, random);
    StoreValue(sandbox, kBaseKey, "DefaultLogLevel", false, random);
    StoreValue(sandbox, kBaseKey, "DefaultLogType", false, random);
    for (int i = Pick(random, 7); i > 0; --i) {
        std::string name = NewName(random);
        switch (Pick(random, 8)) {
        case 0:
            name = " " + name + " ";
            break;
        case 1:
            name += std::string(40, 'L');
            break;
        case 2:
            name += "\xE4 x";
            break;
        case 3:
            CreateWideSubSystemKey(Pick(random, 2) ? L"\x65E5\x5FD7"
                                                   : L"\x0100"
                                                     L"b");
            continue;
        default:
            break;
        }
        sandbox.CreateKey(SubSystemKey(name).c_str());
        StoreValue(sandbox, SubSystemKey(name), "LogLevel", false, random);
        StoreValue(sandbox, SubSystemKey(name), "LogType", false, random);
        names.push_back(name);
    }
    return names;
}

// A sound baseline over some of the machine's subsystems (named in any case) and new ones.
json Baseline(const std::vector<std::string>& names, Random& random) {
    json document = json::object();
    if (Pick(random, 2))
        document["expireLogsAfter"] = 1 + Pick(random, 365);
    json defaults = json::object();
    if (Pick(random, 2))
        defaults["level"] = RandomCase(random, kLevels[static_cast<size_t>(Pick(random, 4))]);
    if (Pick(random, 2))
        defaults["type"] = RandomCase(random, kTypes[static_cast<size_t>(Pick(random, 5))]);
    if (Pick(random, 2))
        document["default"] = defaults;
    json subSystems = json::array();
    std::vector<std::string> taken;
    for (int i = Pick(random, 5); i > 0; --i) {
        // New names with a blank at an end too, as the dialog adds them.
        std::string name = !names.empty() && Pick(random, 2) ? PickOf(random, names)
                           : Pick(random, 6)                 ? NewName(random)
                                                             : NewName(random) + " ";
        const CString ansi(name.c_str());
        const std::string key(SubSystemNameKey(ansi));
        if (std::find(taken.begin(), taken.end(), key) != taken.end())
            continue;
        taken.push_back(key);
        json node = {{"name", AnsiToUtf8(ansi)}};
        if (Pick(random, 3))
            node["level"] = RandomCase(random, PickOf(random, kLevels));
        if (Pick(random, 3))
            node["type"] = RandomCase(random, PickOf(random, kTypes));
        subSystems.push_back(node);
    }
    document["subsystems"] = subSystems;
    return document;
}

bool SameWord(const json& a, const json& b) {
    return a.is_string() && b.is_string() &&
           ::lstrcmpiW(Utf8ToWide(a.get<std::string>()).c_str(),
                       Utf8ToWide(b.get<std::string>()).c_str()) == 0;
}

// Every value a document holds is what show --json tells.
void ExpectShown(const json& document, const json& shown) {
    if (document.contains("expireLogsAfter")) {
        EXPECT_EQ(document["expireLogsAfter"], shown["expireLogsAfter"]);
    }
    for (const char* field : {"level", "type"}) {
        if (document.contains("default") && document["default"].contains(field)) {
            EXPECT_TRUE(SameWord(document["default"][field], shown["default"][field]))
                << field << " " << shown.dump();
        }
    }
    for (const json& node : document.value("subsystems", json::array())) {
        const auto it =
            std::find_if(shown["subsystems"].begin(), shown["subsystems"].end(),
                         [&](const json& s) { return SameWord(s["name"], node["name"]); });
        ASSERT_NE(it, shown["subsystems"].end()) << node.dump();
        for (const char* field : {"level", "type"}) {
            if (node.contains(field)) {
                EXPECT_TRUE(SameWord(node[field], (*it)[field])) << node.dump() << it->dump();
            }
        }
    }
}

} // namespace

TEST(CommandLineProperties, ExportImportChangesNothingAndOneImportOfABaselineConverges) {
    ForEachCase(800, [](Random& random) {
        RegistrySandbox sandbox;
        const std::vector<std::string> names = StoreMachine(sandbox, random);

        const CliResult shown = Cli({"show", "--json"});
        ASSERT_EQ(0, shown.code) << shown.err;
        const CliResult exported = Cli({"export", "-"});
        ASSERT_EQ(0, exported.code) << exported.err;
        EXPECT_EQ(shown.out, exported.out);
        const int nBefore = Cli({"check", "--expect", "-"}, exported.out).code;
        EXPECT_TRUE(nBefore == 0 || nBefore == 1) << nBefore << "\n" << exported.out;
        CliResult imported = Cli({"import", "-"}, exported.out);
        ASSERT_EQ(0, imported.code) << imported.err << exported.out;
        EXPECT_EQ(nBefore == 0, imported.out == "nothing to change\n") << imported.out;
        EXPECT_EQ(shown.out, Cli({"show", "--json"}).out);
        EXPECT_EQ(0, Cli({"check", "--expect", "-"}, exported.out).code);

        // Detection, remediation, detection: compliant after one pass, and then left alone.
        const std::string baseline = Baseline(names, random).dump();
        const int nDetected = Cli({"check", "--expect", "-"}, baseline).code;
        EXPECT_TRUE(nDetected == 0 || nDetected == 1) << nDetected;
        imported = Cli({"import", "-"}, baseline);
        ASSERT_EQ(0, imported.code) << imported.err << baseline;
        EXPECT_EQ(nDetected == 0, imported.out == "nothing to change\n") << imported.out;
        const CliResult detected = Cli({"check", "--expect", "-"}, baseline);
        EXPECT_EQ(0, detected.code) << detected.out << baseline;
        EXPECT_EQ("nothing to change\n", Cli({"import", "-"}, baseline).out);
        ExpectShown(json::parse(baseline), json::parse(Cli({"show", "--json"}).out));
    });
}

TEST(CommandLineProperties, AnyDocumentIsWrittenOrRefusedWhole) {
    const std::vector<std::string> hostile = {"1e999",
                                              "-1e999",
                                              "0",
                                              "366",
                                              "-0",
                                              "14.5",
                                              "\"14\"",
                                              "true",
                                              "null",
                                              "[]",
                                              "{}",
                                              "\"Net\\u0000work\"",
                                              "\"\\t\"",
                                              "\" x\"",
                                              "\"x \"",
                                              "\"\\u65e5\\u672c\"",
                                              "\"" + std::string(5000, 'w') + "\"",
                                              "99999999999999999999",
                                              "\"\\ud800\"",
                                              std::string(20, '[') + std::string(20, ']')};
    std::ofstream corpus;
    if (const char* pszCorpus = std::getenv("QUARN_CLI_CORPUS"))
        corpus.open(pszCorpus, std::ios::binary | std::ios::app);
    ForEachCase(1500, [&](Random& random) {
        RegistrySandbox sandbox;
        const std::vector<std::string> names = StoreMachine(sandbox, random);
        std::string text = Baseline(names, random).dump();
        for (int i = Pick(random, 4); i > 0; --i) {
            const size_t at = static_cast<size_t>(Pick(random, static_cast<int>(text.size()) + 1));
            switch (Pick(random, 6)) {
            case 0: // a byte changed, added or dropped
                if (at < text.size())
                    text[at] = static_cast<char>(Pick(random, 256));
                break;
            case 1:
                text.insert(at, 1, "{}[],:\"\\ 0\x01"[Pick(random, 12)]);
                break;
            case 2:
                if (at < text.size())
                    text.erase(at, 1);
                break;
            case 3: { // a value replaced by a hostile one
                const size_t colon = text.find(':', at);
                if (colon != std::string::npos) {
                    const size_t end = text.find_first_of(",}]", colon);
                    text.replace(colon + 1, end == std::string::npos ? 0 : end - colon - 1,
                                 PickOf(random, hostile));
                }
                break;
            }
            case 4: { // a field given twice
                const size_t brace = text.find('{', at);
                if (brace != std::string::npos)
                    text.insert(brace + 1, Pick(random, 2) ? "\"expireLogsAfter\": 7,"
                                                           : "\"name\": \"Twice\",");
                break;
            }
            default: // nested far too deep
                text = std::string(1000 + static_cast<size_t>(Pick(random, 100000)), '[') + text;
                break;
            }
        }
        const std::string before = Snapshot();
        const CliResult checked = Cli({"check", "--expect", "-"}, text);
        const CliResult imported = Cli({"import", "-"}, text);
        ASSERT_TRUE(imported.code == 0 || imported.code == 2) << imported.code << imported.err;
        if (corpus.is_open()) {
            std::string hex;
            for (unsigned char ch : text)
                hex += "0123456789abcdef"[ch >> 4], hex += "0123456789abcdef"[ch & 0xF];
            corpus << json{{"hex", hex}, {"code", imported.code}, {"error", imported.err}}.dump(
                          -1, ' ', false, json::error_handler_t::replace)
                   << "\n";
        }
        EXPECT_EQ(checked.code == 2, imported.code == 2) << checked.err << imported.err;
        if (imported.code == 2) {
            EXPECT_EQ(before, Snapshot());
            EXPECT_FALSE(imported.err.empty());
            EXPECT_LT(imported.err.size(), 400u) << imported.err;
        } else {
            ExpectShown(json::parse(text), json::parse(Cli({"show", "--json"}).out));
        }
    });
}
