// check: the problems of the stored values and, with --expect, what differs from a document.
//
// A document decides compliance on what it governs, the values it holds: the machine complies
// exactly when importing the document would write nothing. So a value that differs, a value
// the document holds that is stored badly, and a subsystem the document names that does not
// exist make the machine non-compliant; every other problem is listed as a note, since import
// cannot mend it (a subsystem the document does not name, a value it leaves out, a combination
// the document itself asks for). One import then always reaches compliance. --strict counts the
// notes too.
#include "cli/Changes.h"
#include "cli/ConfigurationValues.h"
#include "cli/Command.h"
#include "cli/Document.h"
#include "cli/Problems.h"
#include "cli/Text.h"
#include "logconfig/LogOptions.h"
#include "logconfig/SubSystemName.h"

#include <nlohmann/json.hpp>

#include <unordered_set>

namespace {

void AddDifference(const std::string& strKey, EValueKind kind,
                   const std::optional<SValueChange>& change, std::vector<std::string>& lines) {
    if (change && change->bDiffers)
        lines.push_back(strKey + ": " + ValueName(kind) + " is " + change->strRead + ", expected " +
                        std::string(change->strText));
}

std::vector<std::string> Differences(const SChanges& changes) {
    std::vector<std::string> lines;
    AddDifference(kBaseKeyDisplay, kDayCountValue, changes.expireLogsAfter, lines);
    AddDifference(kBaseKeyDisplay, kDefaultLevelValue, changes.defaults.level, lines);
    AddDifference(kBaseKeyDisplay, kDefaultTypeValue, changes.defaults.type, lines);
    for (const SNodeChange& change : changes.subSystems) {
        if (change.bNew) {
            lines.push_back(SubSystemKeyDisplay(change.strName) +
                            ": no such subsystem, expected one");
            continue;
        }
        AddDifference(SubSystemKeyDisplay(change.strName), kLevelValue, change.level, lines);
        AddDifference(SubSystemKeyDisplay(change.strName), kTypeValue, change.type, lines);
    }
    return lines;
}

// A name with a blank at either end is sound (the dialog creates such names, the components read
// them), but easily taken for the name without it: a note on the standard error, which decides
// nothing.
void NoteSurroundingBlank(const CString& strName, SConsole& console) {
    const bool bBegins = strName.GetAt(0) == ' ';
    const bool bEnds = strName.GetAt(strName.GetLength() - 1) == ' ';
    Note(console, SubSystemKeyDisplay(strName) + ": the name \"" +
                      Excerpt(AnsiToUtf8(strName), 64) + "\" " +
                      (bBegins && bEnds ? "begins and ends"
                       : bBegins        ? "begins"
                                        : "ends") +
                      " with a blank");
}

std::string Lines(const std::vector<std::string>& lines, const char* pszPrefix = "") {
    std::string strText;
    for (const std::string& strLine : lines)
        strText += pszPrefix + strLine + "\n";
    return strText;
}

} // namespace

int Check(const SCheckArguments& args, SConsole& console) {
    std::optional<SConfigurationDocument> document;
    if (args.expectFile) {
        const std::string& strFile = *args.expectFile;
        // A script whose baseline variable is empty would otherwise be told that it complies.
        if (strFile.find_first_not_of(" \t") == std::string::npos)
            Refuse(kExitBadInput, "--expect: give the baseline's file (- for the standard input)");
        document.emplace();
        const std::string strError =
            ReadConfigurationDocument(ReadInput(console, strFile), *document);
        if (!strError.empty())
            Refuse(kExitBadInput, Excerpt(strFile, 200) + ": " + strError);
    }
    CStoredConfiguration stored;
    ReadMachine(stored);
    // Of the subsystems, and of those a baseline would create.
    std::vector<CString> blankEnded;
    for (const CStoredConfiguration::SSubSystem& subSystem : stored.m_subSystems) {
        if (HasSurroundingBlank(subSystem.pSettings->GetName()))
            blankEnded.push_back(subSystem.pSettings->GetName());
    }
    const std::vector<std::string> keysBeyondCodePage = KeysBeyondCodePage(stored);
    const std::vector<SProblem> now =
        CConfigurationValues(stored, nullptr, keysBeyondCodePage).Problems();

    // Text output keeps the problems in their order, the notes among them.
    std::vector<std::string> problems, differences, notes;
    std::string strText;
    if (!stored.m_bBaseKeyExists)
        strText = "note: nothing is configured: " + kBaseKeyDisplay +
                  " does not exist, so the defaults apply\n";
    if (!document) {
        for (const SProblem& problem : now)
            problems.push_back(problem.Line());
        strText += Lines(problems);
    } else {
        const SChanges changes = PlanChanges(stored, *document, true);
        for (const SNodeChange& change : changes.subSystems) {
            if (change.bNew && HasSurroundingBlank(change.strName))
                blankEnded.push_back(change.strName);
        }
        const CConfigurationValues after(stored, &changes, keysBeyondCodePage);
        std::unordered_set<std::string> remaining;
        for (const SProblem& problem : after.Problems())
            remaining.insert(problem.Line());
        for (const SProblem& problem : now) {
            const bool bNote = remaining.count(problem.Line()) != 0;
            (bNote ? notes : problems).push_back(problem.Line());
            strText += (bNote ? "note: " : "") + problem.Line() + "\n";
        }
        differences = Differences(changes);
        const std::vector<std::string> unmet = after.UnmetExpectations(*document);
        notes.insert(notes.end(), unmet.begin(), unmet.end());
        strText += Lines(differences) + Lines(unmet, "note: ");
    }
    for (const CString& strName : blankEnded)
        NoteSurroundingBlank(strName, console);
    const bool bCompliant =
        problems.empty() && differences.empty() && (!args.bStrict || notes.empty());
    if (args.bJson) {
        nlohmann::ordered_json result;
        result["compliant"] = bCompliant;
        result["configured"] = stored.m_bBaseKeyExists;
        result["problems"] = problems;
        result["differences"] = differences;
        result["notes"] = notes;
        PrintDocument(console, result.dump(2, ' ', false) + "\n");
    } else {
        Print(console, strText);
    }
    return bCompliant ? kExitDone : kExitFound;
}
