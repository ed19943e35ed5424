// remove: subsystems' keys deleted, all or none: so that a machine can be brought to a baseline
// that lists only some subsystems, which import never deletes.
#include "cli/Command.h"
#include "cli/Text.h"
#include "logconfig/LogLayout.h"
#include "logconfig/SubSystemName.h"
#include "registry/Registry.h"

#include <unordered_set>

int Remove(const std::vector<std::string>& names, bool bWhatIf, SConsole& console) {
    CStoredConfiguration stored;
    ReadMachine(stored);
    // Every name is found before the first key is deleted; a name given twice counts once.
    std::vector<CString> keys;
    std::unordered_set<std::string> seen;
    for (const CStoredConfiguration::SSubSystem* pSubSystem : FindSubSystems(stored, names)) {
        const CString strName = pSubSystem->pSettings->GetName();
        if (seen.insert(static_cast<const char*>(SubSystemNameKey(strName))).second)
            keys.push_back(strName);
    }
    for (const CString& strName : keys) {
        if (!bWhatIf) {
            if (const LONG lResult =
                    DeleteRegistryKeyTree(HKEY_LOCAL_MACHINE, SubSystemKeyPath(strName)))
                SystemFailure(KeyOf(strName) + " cannot be deleted", static_cast<DWORD>(lResult));
        }
        Print(console, KeyOf(strName) + (bWhatIf ? ": would be deleted\n" : ": deleted\n"));
    }
    const std::string strCount =
        std::to_string(keys.size()) + (keys.size() == 1 ? " subsystem" : " subsystems");
    Print(console, bWhatIf ? "what if: " + strCount + " would be deleted; nothing was deleted\n"
                           : strCount + " deleted\n");
    return kExitDone;
}
