// add: a new subsystem, created as the dialog saves one it added.
#include "cli/Changes.h"
#include "cli/Command.h"
#include "cli/Document.h"
#include "cli/Text.h"

int Add(const std::string& strName, bool bWhatIf, SConsole& console) {
    SConfigurationDocument document;
    SDocumentNode node;
    node.strPlace = "NAME";
    node.strNameUtf8 = strName;
    if (!Utf8ToAnsi(strName, node.strName))
        Refuse(kExitBadInput, "the name " + Quoted(strName) +
                                  " has characters that the ANSI code page cannot hold");
    const std::string strProblem = NameProblem(strName, node.strName, true);
    if (!strProblem.empty())
        Refuse(kExitBadInput, strProblem);
    CStoredConfiguration stored;
    ReadMachine(stored, {strName});
    if (stored.Find(node.strName))
        Refuse(kExitFound, "the subsystem " + Quoted(strName) + " exists already");
    document.subSystems.push_back(node);
    MakeChanges(PlanChanges(stored, document, true), bWhatIf, console);
    return kExitDone;
}
