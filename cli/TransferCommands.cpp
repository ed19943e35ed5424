// export and import: the configuration to and from the JSON document, for copying one machine's
// configuration to others and for baselines.
#include "cli/Changes.h"
#include "cli/Command.h"
#include "cli/Document.h"
#include "cli/Text.h"

int Export(const std::string& strFile, SConsole& console) {
    CStoredConfiguration stored;
    ReadMachine(stored);
    NoteKeysLeftOut(stored, console);
    const std::string strDocument =
        ConfigurationDocument(stored, nullptr).dump(2, ' ', false) + "\n";
    if (strFile == "-")
        PrintDocument(console, strDocument);
    else if (const DWORD dwError = WriteTextFile(strFile, strDocument))
        SystemFailure(Excerpt(strFile, 200) + " cannot be written", dwError);
    return kExitDone;
}

int Import(const std::string& strFile, bool bWhatIf, SConsole& console) {
    SConfigurationDocument document;
    const std::string strError = ReadConfigurationDocument(ReadInput(console, strFile), document);
    if (!strError.empty())
        Refuse(kExitBadInput, Excerpt(strFile, 200) + ": " + strError);
    CStoredConfiguration stored;
    ReadMachine(stored);
    MakeChanges(PlanChanges(stored, document, true), bWhatIf, console);
    return kExitDone;
}
