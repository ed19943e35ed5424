// add: a new subsystem, created as the dialog saves one it added.
#include "cli/Changes.h"
#include "cli/Command.h"
#include "cli/Document.h"

int Add(const std::string& strName, bool bWhatIf, SConsole& console) {
    CStoredConfiguration stored;
    ReadMachine(stored, {strName});
    SDocumentNode node;
    node.strPlace = "NAME";
    node.strNameUtf8 = strName;
    node.strName = SubSystemName(strName);
    if (stored.Find(node.strName))
        Refuse(kExitFound, "the subsystem " + Quoted(strName) + " exists already");
    // The rules of a new name are the plan's, as for a subsystem that a document creates.
    SConfigurationDocument document;
    document.subSystems.push_back(node);
    MakeChanges(PlanChanges(stored, document, true), bWhatIf, console);
    return kExitDone;
}
