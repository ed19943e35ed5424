// set: values of one subsystem, of the default settings or the day count, written only where
// they differ from what is stored.
#include "cli/Changes.h"
#include "cli/Command.h"
#include "cli/Document.h"
#include "cli/Text.h"
#include "logconfig/LogLayout.h"

int Set(const SSetArguments& args, SConsole& console) {
    const bool bTarget = args.bDefault || !args.strName.empty();
    const bool bWord = args.level || args.type;
    if (args.bDefault && !args.strName.empty())
        Refuse(kExitBadInput, "give either a subsystem's NAME or --default, not both");
    if (!bWord && !args.days)
        Refuse(kExitBadInput, "nothing to set: give --level, --type or --days");
    if (bWord && !bTarget)
        Refuse(kExitBadInput, "give the subsystem's NAME or --default for --level and --type");

    // Everything is checked before the first value is written, as a document of its own.
    SConfigurationDocument document;
    SDocumentNode* pNode = &document.defaults;
    if (!args.strName.empty()) {
        document.subSystems.emplace_back();
        pNode = &document.subSystems.back();
        pNode->strPlace = "NAME";
        pNode->strNameUtf8 = args.strName;
    }
    int nValue = 0;
    if (args.level) {
        if (!ParseLevelWord(*args.level, !args.bDefault, nValue))
            Refuse(kExitBadInput,
                   Quoted(*args.level) + " is not " + LevelWordsText(!args.bDefault));
        pNode->nLevel = nValue;
    }
    if (args.type) {
        if (!ParseTypeWord(*args.type, !args.bDefault, nValue))
            Refuse(kExitBadInput, Quoted(*args.type) + " is not " + TypeWordsText(!args.bDefault));
        pNode->nType = nValue;
    }
    if (args.days) {
        if (!ParseStoredDayCount(*args.days, nValue))
            Refuse(kExitBadInput, Quoted(*args.days) + " is not " + DayCountText());
        document.nExpireLogsAfter = nValue;
    }
    CStoredConfiguration stored;
    ReadMachine(stored, args.strName.empty() ? std::vector<std::string>()
                                             : std::vector<std::string>{args.strName});
    if (!args.strName.empty())
        pNode->strName = FindSubSystem(stored, args.strName).pSettings->GetName();
    MakeChanges(PlanChanges(stored, document, false), args.bWhatIf, console);
    return kExitDone;
}
