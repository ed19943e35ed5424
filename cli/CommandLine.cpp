// The command line of quarnlogcfg: its commands and options (CLI11), and how every way a command
// can end becomes an exit code and a message.
#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/Text.h"
#include "version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <new>

namespace {

constexpr char kProgramName[] = "quarnlogcfg";

constexpr char kExitCodeHelp[] =
    "Exit codes:\n"
    "  0  done; check: compliant; explain: the event is logged\n"
    "  1  check: problems or differences found; explain: the event is not logged; a name\n"
    "     refused (no such subsystem, or one that exists already)\n"
    "  2  bad command line or bad input; nothing is written\n"
    "  3  the system failed (the registry, a file or a standard stream), with its message\n";

constexpr char kWhatIfHelp[] = "Tell what would change; write nothing";

std::string VersionText() {
    return std::string(kProgramName) + " " + std::to_string(QUARN_VERSION_MAJOR) + "." +
           std::to_string(QUARN_VERSION_MINOR) + "." + std::to_string(QUARN_VERSION_PATCH) + "." +
           std::to_string(QUARN_VERSION_TWEAK);
}

std::string HelpPointer() {
    return std::string("Run \"") + kProgramName + " --help\" for the commands and their options.\n";
}

// What runs a command once its arguments are parsed.
using Runner = std::function<int(SConsole&)>;

// A command: its name, what it does, and how its arguments are declared. The arguments go into
// values that the runner shares.
struct SCommand {
    const char* pszName;
    const char* pszDescription;
    Runner (*pfnDefine)(CLI::App& command);
};

Runner DefineShow(CLI::App& command) {
    auto names = std::make_shared<std::vector<std::string>>();
    auto bJson = std::make_shared<bool>(false);
    command.add_option("NAME", *names, "Only these subsystems");
    command.add_flag("--json", *bJson, "One JSON document (UTF-8), as export writes it");
    return [=](SConsole& console) { return Show(*names, *bJson, console); };
}

Runner DefineCheck(CLI::App& command) {
    auto args = std::make_shared<SCheckArguments>();
    auto strExpectFile = std::make_shared<std::string>();
    CLI::Option* pExpect = command.add_option(
        "--expect", *strExpectFile,
        "Compare with this JSON document (as export writes it; - for the standard input): "
        "compliant when importing it would change nothing; other problems are listed as notes");
    command.add_flag("--strict", args->bStrict, "With --expect: notes count as well")
        ->needs(pExpect);
    command.add_flag("--json", args->bJson,
                     "One JSON document: compliant, problems, differences, notes");
    return [=](SConsole& console) {
        // Given, even when empty: an empty path is refused, never taken for no baseline.
        if (pExpect->count())
            args->expectFile = *strExpectFile;
        return Check(*args, console);
    };
}

Runner DefineSet(CLI::App& command) {
    auto args = std::make_shared<SSetArguments>();
    auto words = std::make_shared<std::vector<std::string>>(3);
    command.add_option("NAME", args->strName, "The subsystem");
    command.add_flag("--default", args->bDefault, "The default settings");
    CLI::Option* pLevel =
        command.add_option("--level", (*words)[0], "Release, Debug, Trace, None or Default");
    CLI::Option* pType = command.add_option(
        "--type", (*words)[1], "FatalError, Error, Warning, Information, None or Default");
    CLI::Option* pDays =
        command.add_option("--days", (*words)[2], "Delete logs older than N days (1 to 365)");
    command.add_flag("--what-if", args->bWhatIf, kWhatIfHelp);
    return [=](SConsole& console) {
        // Given, even when empty: an empty word is refused like any other unknown one.
        if (pLevel->count())
            args->level = (*words)[0];
        if (pType->count())
            args->type = (*words)[1];
        if (pDays->count())
            args->days = (*words)[2];
        return Set(*args, console);
    };
}

// A command of one argument that can tell what it would change instead: add and import.
Runner DefineWithWhatIf(CLI::App& command, const char* pszArgument, const char* pszHelp,
                        int (*pfnRun)(const std::string&, bool, SConsole&)) {
    auto strArgument = std::make_shared<std::string>();
    auto bWhatIf = std::make_shared<bool>(false);
    command.add_option(pszArgument, *strArgument, pszHelp)->required();
    command.add_flag("--what-if", *bWhatIf, kWhatIfHelp);
    return [=](SConsole& console) { return pfnRun(*strArgument, *bWhatIf, console); };
}

Runner DefineAdd(CLI::App& command) {
    return DefineWithWhatIf(command, "NAME", "The new subsystem", &Add);
}

Runner DefineRemove(CLI::App& command) {
    auto names = std::make_shared<std::vector<std::string>>();
    auto bWhatIf = std::make_shared<bool>(false);
    command.add_option("NAME", *names, "The subsystems")->required();
    command.add_flag("--what-if", *bWhatIf, "Tell what would be deleted; delete nothing");
    return [=](SConsole& console) { return Remove(*names, *bWhatIf, console); };
}

Runner DefineExplain(CLI::App& command) {
    auto words = std::make_shared<std::vector<std::string>>(3);
    command.add_option("NAME", (*words)[0], "The subsystem")->required();
    command.add_option("LEVEL", (*words)[1], "Release, Debug or Trace")->required();
    command.add_option("TYPE", (*words)[2], "FatalError, Error, Warning or Information")
        ->required();
    return
        [=](SConsole& console) { return Explain((*words)[0], (*words)[1], (*words)[2], console); };
}

Runner DefineExport(CLI::App& command) {
    auto strFile = std::make_shared<std::string>();
    command.add_option("FILE", *strFile, "The file to write")->required();
    return [=](SConsole& console) { return Export(*strFile, console); };
}

Runner DefineImport(CLI::App& command) {
    return DefineWithWhatIf(command, "FILE", "A JSON document as export writes it", &Import);
}

Runner DefineSchema(CLI::App&) {
    return [](SConsole& console) { return Schema(console); };
}

Runner DefineDsc(CLI::App& command) {
    command.require_subcommand(1, 1);
    auto bWhatIf = std::make_shared<bool>(false);
    auto operations = std::make_shared<std::vector<CLI::App*>>();
    for (const char* pszOperation : {"get", "set", "test", "export"})
        operations->push_back(command.add_subcommand(
            pszOperation, std::string("The ") + pszOperation + " operation"));
    (*operations)[1]->add_flag("--what-if", *bWhatIf, "The state it would leave; write nothing");
    return [=](SConsole& console) {
        for (CLI::App* pOperation : *operations) {
            if (*pOperation)
                return Dsc(pOperation->get_name(), *bWhatIf, console);
        }
        return static_cast<int>(kExitBadInput); // CLI11 requires one
    };
}

const SCommand kCommands[] = {
    {"show",
     "The configuration as the dialog loads it, with what each subsystem follows and "
     "whether it logs",
     &DefineShow},
    {"check", "Lists every problem of the stored values, one a line; exit code 1 when any",
     &DefineCheck},
    {"set",
     "Writes the values given where they differ from what is stored: "
     "set NAME|--default [--level WORD] [--type WORD] [--days N]",
     &DefineSet},
    {"add",
     "Creates a subsystem with level and type Default (1 to 32 characters, no backslash "
     "or control character, a name not yet used in any letter case)",
     &DefineAdd},
    {"remove",
     "Deletes subsystems' keys, also those whose names the ANSI code page cannot hold; when "
     "a name is unknown, deletes nothing",
     &DefineRemove},
    {"explain",
     "Whether a subsystem logs an event of a level and a type, and why; exit code 0 "
     "when it does, 1 when it does not",
     &DefineExplain},
    {"export", "Writes the show --json document to FILE (- for the standard output)",
     &DefineExport},
    {"import",
     "Checks the whole FILE (- for the standard input), then writes every value it "
     "holds where it differs from what is stored, creating missing subsystems; on any "
     "error writes nothing. Nothing is ever deleted",
     &DefineImport},
    {"schema", "Prints the JSON Schema of the document that export writes and import reads",
     &DefineSchema},
    {"dsc",
     "The configuration as a DSC v3 resource (Brivantex.Quarns/EventLogging), as "
     "quarnlogcfg.dsc.resource.json tells DSC to call it: the instance on the standard "
     "input, one JSON line on the standard output",
     &DefineDsc},
};

// A command named in any letter case, as CLI11 is told to accept it.
bool IsNamed(const SCommand& command, const std::string& strWord) {
    const std::string strName = command.pszName;
    return strName.size() == strWord.size() &&
           std::equal(strName.begin(), strName.end(), strWord.begin(), [](char a, char b) {
               return a == std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

int RunCommandLine(const std::vector<std::string>& args, CInput& in, COutput& out, COutput& err) {
    SConsole console{in, out, err};
    auto fail = [&](int nExitCode, const std::string& strMessage) {
        err.WriteMessage(EMessageKind::kFailure, strMessage);
        return nExitCode;
    };
    try {
        if (args.empty())
            return fail(kExitBadInput, "give a command. " + HelpPointer());
        // A word where the command belongs is named as it is, not as a missing command.
        const std::string& strFirst = args.front();
        const SCommand* pChosen = nullptr;
        for (const SCommand& command : kCommands) {
            if (IsNamed(command, strFirst))
                pChosen = &command;
        }
        if (!pChosen && !strFirst.empty() && strFirst[0] != '-' && strFirst[0] != '/')
            return fail(kExitBadInput,
                        "unknown command " + Quoted(strFirst) + ". " + HelpPointer());

        CLI::App app("Shows, checks and changes the Quarn event-logging configuration in the "
                     "registry (HKLM\\SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging, 32-bit "
                     "view), as the configuration dialog does.",
                     kProgramName);
        // Before anything is added, which takes these over: /level:Trace as well as
        // --level Trace, and commands and options in any letter case, as Windows' own tools.
        app.allow_windows_style_options();
        app.ignore_case();
        app.option_defaults()->ignore_case();
        app.require_subcommand(1, 1);
        app.footer(kExitCodeHelp);
        app.set_version_flag("--version", VersionText(), "The program's version");
        // Only the command given is declared in full: declaring all of them would cost more than
        // reading a small configuration. Without one, all are listed for help.
        Runner run;
        for (const SCommand& command : kCommands) {
            if (pChosen && pChosen != &command)
                continue;
            CLI::App* pCommand = app.add_subcommand(command.pszName, command.pszDescription);
            if (pChosen)
                run = command.pfnDefine(*pCommand);
        }

        // The platform's own way to ask for help.
        std::vector<std::string> reversed;
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            reversed.push_back(*it == "/?" || *it == "-?" ? "--help" : *it);
        try {
            app.parse(reversed);
        } catch (const CLI::CallForHelp&) {
            Print(console, app.help());
            return kExitDone;
        } catch (const CLI::CallForVersion&) {
            Print(console, VersionText() + "\n");
            return kExitDone;
        } catch (const CLI::ParseError& e) {
            return fail(kExitBadInput, Excerpt(e.what(), 200) + "\n" + HelpPointer());
        }
        if (!run)
            return fail(kExitBadInput, "give a command. " + HelpPointer());
        return run(console);
    } catch (const SCommandFailure& failure) {
        return fail(failure.nExitCode, failure.strMessage);
    } catch (const std::bad_alloc&) {
        return fail(kExitSystemFailure, "out of memory");
    } catch (const std::exception& e) {
        return fail(kExitSystemFailure, "unexpected failure: " + Excerpt(e.what(), 200));
    } catch (...) {
        return fail(kExitSystemFailure, "unexpected failure");
    }
}
