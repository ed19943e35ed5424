// The command line of quarnlogcfg: its commands and options (CLI11), and how every way a command
// can end becomes an exit code and a message.
#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/Text.h"
#include "version.h"

#include <CLI/CLI.hpp>

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

std::string VersionText() {
    return std::string(kProgramName) + " " + std::to_string(QUARN_VERSION_MAJOR) + "." +
           std::to_string(QUARN_VERSION_MINOR) + "." + std::to_string(QUARN_VERSION_PATCH) + "." +
           std::to_string(QUARN_VERSION_TWEAK);
}

std::string HelpPointer() {
    return std::string("Run \"") + kProgramName + " --help\" for the commands and their options.\n";
}

} // namespace

int RunCommandLine(const std::vector<std::string>& args, CInput& in, COutput& out, COutput& err) {
    SConsole console{in, out, err};
    auto fail = [&](int nExitCode, const std::string& strMessage) {
        err.WriteText(std::string(kProgramName) + ": " + strMessage + "\n");
        return nExitCode;
    };
    try {
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

        std::vector<std::string> names;
        bool bJson = false;
        CLI::App* pShow = app.add_subcommand("show", "The configuration as the dialog loads it, "
                                                     "with what each subsystem follows and "
                                                     "whether it logs");
        pShow->add_option("NAME", names, "Only these subsystems");
        pShow->add_flag("--json", bJson, "One JSON document (UTF-8), as export writes it");

        SCheckArguments checkArgs;
        CLI::App* pCheck = app.add_subcommand(
            "check", "Lists every problem of the stored values, one a line; exit code 1 when any");
        CLI::Option* pExpect =
            pCheck->add_option("--expect", checkArgs.strExpectFile,
                               "Compare with this JSON document (as export writes it; - for the "
                               "standard input): compliant when importing it would change "
                               "nothing; other problems are listed as notes");
        pCheck->add_flag("--strict", checkArgs.bStrict, "With --expect: notes count as well")
            ->needs(pExpect);
        pCheck->add_flag("--json", checkArgs.bJson,
                         "One JSON document: compliant, problems, differences, notes");

        SSetArguments setArgs;
        std::string strLevel, strType, strDays;
        CLI::App* pSet = app.add_subcommand(
            "set", "Writes the values given where they differ from what is stored: "
                   "set NAME|--default [--level WORD] [--type WORD] [--days N]");
        pSet->add_option("NAME", setArgs.strName, "The subsystem");
        pSet->add_flag("--default", setArgs.bDefault, "The default settings");
        CLI::Option* pLevel =
            pSet->add_option("--level", strLevel, "Release, Debug, Trace, None or Default");
        CLI::Option* pType = pSet->add_option(
            "--type", strType, "FatalError, Error, Warning, Information, None or Default");
        CLI::Option* pDays =
            pSet->add_option("--days", strDays, "Delete logs older than N days (1 to 365)");
        pSet->add_flag("--what-if", setArgs.bWhatIf, "Tell what would change; write nothing");

        std::string strAddName;
        bool bAddWhatIf = false;
        CLI::App* pAdd = app.add_subcommand(
            "add", "Creates a subsystem with level and type Default (1 to 32 characters, no "
                   "backslash or control character, no blank at either end, a name not yet "
                   "used in any letter case)");
        pAdd->add_option("NAME", strAddName, "The new subsystem")->required();
        pAdd->add_flag("--what-if", bAddWhatIf, "Tell what would change; write nothing");

        std::vector<std::string> removeNames;
        bool bRemoveWhatIf = false;
        CLI::App* pRemove = app.add_subcommand(
            "remove", "Deletes subsystems' keys; when a name is unknown, deletes nothing");
        pRemove->add_option("NAME", removeNames, "The subsystems")->required();
        pRemove->add_flag("--what-if", bRemoveWhatIf, "Tell what would be deleted; delete nothing");

        std::string strExplainName, strExplainLevel, strExplainType;
        CLI::App* pExplain = app.add_subcommand(
            "explain", "Whether a subsystem logs an event of a level and a type, and why; exit "
                       "code 0 when it does, 1 when it does not");
        pExplain->add_option("NAME", strExplainName, "The subsystem")->required();
        pExplain->add_option("LEVEL", strExplainLevel, "Release, Debug or Trace")->required();
        pExplain->add_option("TYPE", strExplainType, "FatalError, Error, Warning or Information")
            ->required();

        std::string strExportFile;
        CLI::App* pExport = app.add_subcommand(
            "export", "Writes the show --json document to FILE (- for the standard output)");
        pExport->add_option("FILE", strExportFile, "The file to write")->required();

        std::string strImportFile;
        bool bImportWhatIf = false;
        CLI::App* pImport = app.add_subcommand(
            "import", "Checks the whole FILE (- for the standard input), then writes every value "
                      "it holds where it differs from what is stored, creating missing "
                      "subsystems; on any error writes nothing. Nothing is ever deleted");
        pImport->add_option("FILE", strImportFile, "A JSON document as export writes it")
            ->required();
        pImport->add_flag("--what-if", bImportWhatIf, "Tell what would change; write nothing");

        CLI::App* pSchema = app.add_subcommand(
            "schema", "Prints the JSON Schema of the document that export writes and import reads");

        bool bDscWhatIf = false;
        CLI::App* pDsc = app.add_subcommand(
            "dsc", "The configuration as a DSC v3 resource (Brivantex.Quarns/EventLogging), as "
                   "quarnlogcfg.dsc.resource.json tells DSC to call it: the instance on the "
                   "standard input, one JSON line on the standard output");
        pDsc->require_subcommand(1, 1);
        std::vector<CLI::App*> dscOperations;
        for (const char* pszOperation : {"get", "set", "test", "export"})
            dscOperations.push_back(pDsc->add_subcommand(
                pszOperation, std::string("The ") + pszOperation + " operation"));
        dscOperations[1]->add_flag("--what-if", bDscWhatIf,
                                   "The state it would leave; write nothing");

        const std::vector<CLI::App*> commands = {pShow,    pCheck,  pSet,    pAdd,    pRemove,
                                                 pExplain, pExport, pImport, pSchema, pDsc};
        if (args.empty())
            return fail(kExitBadInput, "give a command. " + HelpPointer());
        // A word where the command belongs is named as it is, not as a missing command.
        const std::string& strFirst = args.front();
        if (!strFirst.empty() && strFirst[0] != '-' && strFirst[0] != '/' &&
            std::none_of(commands.begin(), commands.end(),
                         [&](CLI::App* pCommand) { return pCommand->check_name(strFirst); }))
            return fail(kExitBadInput,
                        "unknown command " + Quoted(strFirst) + ". " + HelpPointer());

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

        if (*pShow)
            return Show(names, bJson, console);
        if (*pCheck)
            return Check(checkArgs, console);
        if (*pSet) {
            // Given, even when empty: an empty word is refused like any other unknown one.
            if (pLevel->count())
                setArgs.level = strLevel;
            if (pType->count())
                setArgs.type = strType;
            if (pDays->count())
                setArgs.days = strDays;
            return Set(setArgs, console);
        }
        if (*pAdd)
            return Add(strAddName, bAddWhatIf, console);
        if (*pRemove)
            return Remove(removeNames, bRemoveWhatIf, console);
        if (*pExplain)
            return Explain(strExplainName, strExplainLevel, strExplainType, console);
        if (*pExport)
            return Export(strExportFile, console);
        if (*pSchema)
            return Schema(console);
        if (*pDsc) {
            for (CLI::App* pOperation : dscOperations) {
                if (*pOperation)
                    return Dsc(pOperation->get_name(), bDscWhatIf, console);
            }
        }
        return Import(strImportFile, bImportWhatIf, console);
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
