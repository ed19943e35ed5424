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
#include "cli/Command.h"
#include "cli/Document.h"
#include "cli/Problems.h"
#include "cli/Text.h"
#include "logconfig/LogOptions.h"
#include "logconfig/SubSystemName.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace {

// The configuration's values as problems are found in them: as stored, or as they will be once
// the changes are made.
class CValues {
public:
    CValues(const CStoredConfiguration& stored, const SChanges* pChanges,
            const std::vector<std::string>& keysBeyondCodePage)
        : m_keysBeyondCodePage(keysBeyondCodePage) {
        m_pExpireLogsAfter = pChanges && pChanges->expireLogsAfter
                                 ? &pChanges->expireLogsAfter->after
                                 : &stored.m_expireLogsAfter;
        const SNodeChange* pDefaults = pChanges ? &pChanges->defaults : nullptr;
        AddNode(kBaseKeyDisplay, true, stored.m_defaultLevel, stored.m_defaultType,
                stored.m_defaultSettings, pDefaults);

        std::unordered_map<std::string, const SNodeChange*> changeOf;
        if (pChanges) {
            for (const SNodeChange& change : pChanges->subSystems)
                changeOf.emplace(static_cast<const char*>(SubSystemNameKey(change.strName)),
                                 &change);
        }
        const SRegistryValue missing;
        for (const CStoredConfiguration::SSubSystem& subSystem : stored.m_subSystems) {
            const CString strName = subSystem.pSettings->GetName();
            const auto it = changeOf.find(static_cast<const char*>(SubSystemNameKey(strName)));
            AddNode(KeyOf(strName), false, subSystem.level, subSystem.type, *subSystem.pSettings,
                    it == changeOf.end() ? nullptr : it->second);
        }
        if (pChanges) {
            for (const SNodeChange& change : pChanges->subSystems) {
                if (change.bNew)
                    AddNode(KeyOf(change.strName), false, missing, missing,
                            CSubSystemLogSettings(change.strName), &change);
            }
        }
    }

    std::vector<SProblem> Problems() const {
        std::vector<SProblem> problems;
        FindValueProblems(kBaseKeyDisplay, kDayCountValue, *m_pExpireLogsAfter, problems);
        for (const SNodeValues& node : m_nodes)
            FindNodeProblems(node, problems);
        for (const std::string& strName : m_keysBeyondCodePage)
            problems.push_back(KeyBeyondCodePageProblem(strName));
        return problems;
    }

    // What the document's effective fields expect and these values do not give.
    std::vector<std::string> UnmetExpectations(const SConfigurationDocument& document) const {
        std::vector<std::string> lines;
        const CSubSystemLogSettings& defaults = *m_nodes.front().pSettings;
        for (const SDocumentNode& expected : document.subSystems) {
            if (!expected.nEffectiveLevel && !expected.nEffectiveType)
                continue;
            const auto it =
                m_nodeOfName.find(static_cast<const char*>(SubSystemNameKey(expected.strName)));
            if (it == m_nodeOfName.end())
                continue;
            const SNodeValues& node = m_nodes[it->second];
            const int nLevel =
                EffectiveLogLevel(node.pSettings->GetLogLevel(), defaults.GetLogLevel());
            const int nType = EffectiveLogType(node.pSettings->GetLogType(), defaults.GetLogType());
            if (expected.nEffectiveLevel && *expected.nEffectiveLevel != nLevel)
                lines.push_back(node.strKey + ": the effective level is " + LevelWord(nLevel) +
                                ", expected " + LevelWord(*expected.nEffectiveLevel));
            if (expected.nEffectiveType && *expected.nEffectiveType != nType)
                lines.push_back(node.strKey + ": the effective type is " + TypeWord(nType) +
                                ", expected " + TypeWord(*expected.nEffectiveType));
        }
        return lines;
    }

private:
    // A node's values, with those the change writes in place of the stored ones.
    void AddNode(const std::string& strKey, bool bDefaultSettings, const SRegistryValue& level,
                 const SRegistryValue& type, const CSubSystemLogSettings& settings,
                 const SNodeChange* pChange) {
        SNodeValues node{strKey, bDefaultSettings, &level, &type, &settings};
        if (pChange && (pChange->level || pChange->type)) {
            node.pLevel = pChange->level ? &pChange->level->after : &level;
            node.pType = pChange->type ? &pChange->type->after : &type;
            std::unique_ptr<CSubSystemLogSettings> pAfter;
            if (bDefaultSettings) {
                auto pDefaults = std::make_unique<CDefaultLogSettings>();
                pDefaults->LoadStoredDefaults(*node.pLevel, *node.pType);
                pAfter = std::move(pDefaults);
            } else {
                pAfter = std::make_unique<CSubSystemLogSettings>(settings.GetName());
                pAfter->LoadStoredValues(*node.pLevel, *node.pType);
            }
            node.pSettings = pAfter.get();
            m_owned.push_back(std::move(pAfter));
        }
        if (!bDefaultSettings)
            m_nodeOfName.emplace(static_cast<const char*>(SubSystemNameKey(settings.GetName())),
                                 m_nodes.size());
        m_nodes.push_back(node);
    }

    const SRegistryValue* m_pExpireLogsAfter;
    std::vector<SNodeValues> m_nodes; // the default settings first
    std::unordered_map<std::string, size_t> m_nodeOfName;
    std::vector<std::unique_ptr<CSubSystemLogSettings>> m_owned;
    const std::vector<std::string>& m_keysBeyondCodePage;
};

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
            lines.push_back(KeyOf(change.strName) + ": no such subsystem, expected one");
            continue;
        }
        AddDifference(KeyOf(change.strName), kLevelValue, change.level, lines);
        AddDifference(KeyOf(change.strName), kTypeValue, change.type, lines);
    }
    return lines;
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
    if (!args.strExpectFile.empty()) {
        document.emplace();
        const std::string strError =
            ReadConfigurationDocument(ReadInput(console, args.strExpectFile), *document);
        if (!strError.empty())
            Refuse(kExitBadInput, Excerpt(args.strExpectFile, 200) + ": " + strError);
    }
    CStoredConfiguration stored;
    ReadMachine(stored);
    const std::vector<std::string> keysBeyondCodePage = KeysBeyondCodePage(stored);
    const std::vector<SProblem> now = CValues(stored, nullptr, keysBeyondCodePage).Problems();

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
        const CValues after(stored, &changes, keysBeyondCodePage);
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
