// Saving the main dialog's configuration: Apply and OK, each first asking before it overwrites
// what another program changed since the dialog read or saved it.
#include "ui/QuarnEventLogConfigurationDlg.h"

#include "framework/WinApp.h"
#include "logconfig/LogLayout.h"
#include "registry/Registry.h"
#include "registry/RegistryError.h"

namespace {

// A longer list would not fit on the screen; the rest is counted.
constexpr size_t kMaxChangesNamed = 10;

void AppendNames(CString& message, const std::vector<CString>& names) {
    for (size_t i = 0; i < names.size() && i < kMaxChangesNamed; ++i)
        message += "\n    " + names[i];
    if (names.size() > kMaxChangesNamed) {
        CString more;
        more.Format("\n    and %u more", static_cast<unsigned>(names.size() - kMaxChangesNamed));
        message += more;
    }
}

// bAgain: the changes were made while the user was being asked about earlier ones.
CString OutsideChangesMessage(const SConfigurationChanges& changes, bool bAgain) {
    std::vector<CString> names;
    if (changes.bExpireDays)
        names.emplace_back("the number of days after which logs are deleted");
    if (changes.bDefaultSettings)
        names.emplace_back(kDefaultSettingsName);
    for (const SSubSystemChange& change : changes.subSystems)
        names.push_back(change.bDeleted ? change.strName + " (deleted)" : change.strName);

    CString message;
    if (!names.empty()) {
        message = bAgain ? "While you were being asked, another program changed the logging "
                           "configuration again:\n"
                         : "Another program has changed the logging configuration since this "
                           "dialog read or saved it:\n";
        AppendNames(message, names);
    }
    // What could not be read may have been changed too: the user is asked all the same.
    if (changes.bReadBackIncomplete) {
        if (!names.empty())
            message += "\n\nThere may be other changes: the logging configuration could not be "
                       "read back in full.";
        else if (bAgain)
            message += "The logging configuration could not be read back in full, so this dialog "
                       "cannot tell whether another program changed it again while you were "
                       "being asked.";
        else
            message += "The logging configuration could not be read back in full, so this dialog "
                       "cannot tell whether another program has changed it since the dialog read "
                       "or saved it.";
        if (!changes.unread.empty()) {
            message += " These subsystems could not be read:\n";
            AppendNames(message, changes.unread);
        }
    }
    message += names.empty() ? "\n\nApplying the settings shown here would overwrite any such "
                               "changes. Apply them anyway?"
                             : "\n\nApplying the settings shown here would overwrite those "
                               "changes. Overwrite them?";
    return message;
}

} // namespace

void CQuarnEventLogConfigurationDlg::OnApply() {
    if (!UpdateData(TRUE))
        return;
    StoreCurrentSettings();
    if (!MayOverwriteStoredConfiguration())
        return;
    SaveSettings();
}

void CQuarnEventLogConfigurationDlg::OnOK() {
    if (!UpdateData(TRUE))
        return;
    StoreCurrentSettings();
    // Declined: nothing is written, and the dialog stays open with every edit.
    if (!MayOverwriteStoredConfiguration())
        return;
    // A configuration that could not be stored must not look saved: the dialog stays open.
    if (SaveSettings() != ERROR_SUCCESS)
        return;
    CDialog::OnOK();
}

bool CQuarnEventLogConfigurationDlg::MayOverwriteStoredConfiguration() {
    SConfigurationChanges changes = m_configurationWatch.FindChanges();
    for (bool bAgain = false; !changes.IsEmpty(); bAgain = true) {
        if (AfxMessageBox(OutsideChangesMessage(changes, bAgain), MB_YESNO | MB_ICONEXCLAMATION) !=
            IDYES)
            return false;
        // The answer covers what the question named, not what was written while it was open.
        changes = m_configurationWatch.FindChangesSinceLastLook();
    }
    return true;
}

LONG CQuarnEventLogConfigurationDlg::SaveSettings() {
    CRegistryT<0> baseKey(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    LONG lResult = baseKey.Open();
    if (baseKey.m_hKey)
        lResult = WriteExpireLogsAfter(baseKey.m_hKey, m_nExpireDays);

    auto keepFirstError = [&lResult](LONG lStatus) {
        if (lResult == ERROR_SUCCESS)
            lResult = lStatus;
    };
    keepFirstError(m_pDefaultSettings->Save());
    for (const boost::shared_ptr<CSubSystemLogSettings>& pSettings : m_subSystems)
        keepFirstError(pSettings->Save());

    // What was just written is the dialog's own: only what is written from now on is someone
    // else's. After a partial failure the registry, not memory, says what it holds.
    m_configurationWatch.Start();
    if (lResult == ERROR_SUCCESS)
        m_configurationWatch.Remember(true, m_nExpireDays, *m_pDefaultSettings, m_subSystems);
    else
        m_configurationWatch.RememberStored(m_subSystems);

    if (lResult != ERROR_SUCCESS) {
        CString message("The logging configuration could not be saved.\n\n");
        message += RegistryErrorText(lResult);
        AfxMessageBox(message, MB_ICONERROR);
    }
    return lResult;
}
