// remove: subsystems' keys deleted, all or none: so that a machine can be brought to a baseline
// that lists only some subsystems, which import never deletes. A key whose name the ANSI code
// page cannot hold, which the dialog and the other commands leave out, is found and deleted by
// its name as given (the command line is read as Unicode): so a strict baseline can be met on
// such a machine too.
#include "cli/Command.h"
#include "cli/Text.h"
#include "logconfig/LogLayout.h"
#include "logconfig/SubSystemName.h"

#include <algorithm>

namespace {

// The key a name given on the command line names, in UTF-16 as the registry spells it: exit
// code 1 when there is none, 2 when the name cannot name one.
std::wstring KeyNamed(const CStoredConfiguration& stored,
                      const std::vector<std::string>& keysBeyondCodePage,
                      const std::string& strNameUtf8) {
    CString strName;
    if (Utf8ToAnsi(strNameUtf8, strName))
        return Utf8ToWide(AnsiToUtf8(FindSubSystem(stored, strNameUtf8).pSettings->GetName()));
    const std::wstring strWide = Utf8ToWide(strNameUtf8);
    for (const std::string& strKey : keysBeyondCodePage) {
        const std::wstring strKeyWide = Utf8ToWide(strKey);
        if (SameSubSystemKeyName(strKeyWide, strWide))
            return strKeyWide;
    }
    Refuse(kExitFound, "there is no subsystem " + Quoted(strNameUtf8));
}

} // namespace

int Remove(const std::vector<std::string>& names, bool bWhatIf, SConsole& console) {
    CStoredConfiguration stored;
    ReadMachine(stored);
    const std::vector<std::string> keysBeyondCodePage = KeysBeyondCodePage(stored);
    // Every name is found before the first key is deleted; a name given twice counts once.
    std::vector<std::wstring> keys;
    for (const std::string& strName : names) {
        std::wstring strKey = KeyNamed(stored, keysBeyondCodePage, strName);
        if (std::find(keys.begin(), keys.end(), strKey) == keys.end())
            keys.push_back(std::move(strKey));
    }
    for (const std::wstring& strKey : keys) {
        const std::string strDisplay = SubSystemKeyDisplay(WideToUtf8(strKey));
        if (!bWhatIf) {
            if (const LONG lResult = DeleteSubSystemKey(strKey))
                SystemFailure(strDisplay + " cannot be deleted", static_cast<DWORD>(lResult));
        }
        Print(console, strDisplay + (bWhatIf ? ": would be deleted\n" : ": deleted\n"));
    }
    const std::string strCount =
        std::to_string(keys.size()) + (keys.size() == 1 ? " subsystem" : " subsystems");
    Print(console, bWhatIf ? "what if: " + strCount + " would be deleted; nothing was deleted\n"
                           : strCount + " deleted\n");
    return kExitDone;
}
