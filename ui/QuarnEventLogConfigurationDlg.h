// The configuration dialog: a check-box tree of "Default Settings" and the subsystems on the
// left, the current node's level and type on the right, the log expiry below. Edits stay in
// memory until Apply or OK writes the whole configuration.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "logconfig/ConfigurationWatch.h"
#include "logconfig/DefaultLogSettings.h"
#include "logconfig/SubSystemLogSettings.h"
#include "ui/CheckBoxTree.h"
#include "ui/DialogLayout.h"

#include <boost/shared_ptr.hpp>

#include <unordered_map>
#include <vector>

class CQuarnEventLogConfigurationDlg : public CDialog {
public:
    explicit CQuarnEventLogConfigurationDlg(CWnd* pParent = nullptr);
    ~CQuarnEventLogConfigurationDlg() override;

    BOOL OnInitDialog() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    // Chrome of the main window
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();

    // The DPI of the monitor the dialog is on
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDpiScaledSize(WPARAM wParam, LPARAM lParam);

    // Editing and saving
    void OnSettingChanged();
    void OnSelChangingTree(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChangedTree(NMHDR* pNMHDR, LRESULT* pResult);
    void OnAddSubSystem();
    void OnApply();
    void OnOpenFailed();

    // Dialog data, in the order the controls and members are built.
    CEdit m_editTypeDescription;
    CEdit m_editLevelDescription;
    CStatic m_staticTitle;
    CEdit m_editIndex;
    CButton m_btnUseDefaultType;
    CButton m_btnUseDefaultLevel;
    CCheckBoxTree m_tree;
    CComboBox m_comboType;
    CComboBox m_comboLevel;
    BOOL m_bUseDefaultLevel;
    BOOL m_bUseDefaultType;
    CString m_strLevelDescription;
    CString m_strTypeDescription;
    int m_nCurrentIndex; // -1: the default settings, else an index into m_subSystems
    CString m_strTitle;
    int m_nExpireDays;

    HICON m_hIcon;
    boost::shared_ptr<CDefaultLogSettings> m_pDefaultSettings;
    std::vector<boost::shared_ptr<CSubSystemLogSettings>> m_subSystems; // load order
    HTREEITEM m_hDefaultItem;
    HTREEITEM m_hSubSystemsItem;
    bool m_bInitialised;
    CFont m_fontTitle;
    CFont m_fontDialog;

private:
    void LoadSubSystems();
    void PopulateTree();
    BOOL CanChangeCheck(BOOL bCheck, HTREEITEM hItem);
    BOOL OnCheckChanged(BOOL bCheck, HTREEITEM hItem);
    static int CanChangeCheckCallback(void* pContext, BOOL bCheck, HTREEITEM hItem);
    static int CheckChangedCallback(void* pContext, BOOL bCheck, HTREEITEM hItem);
    void EnableSettings(int nIndex, BOOL bCheck);
    void ShowCurrentSettings();
    void RefreshControls();
    void UpdateTreeChecks();
    void ShowNewSubSystemChecks();
    void StoreCurrentSettings();
    // 0 when everything was stored, else the first registry error.
    LONG SaveSettings();
    // false when another program changed the stored configuration since the dialog last read
    // or wrote it and the user chose not to overwrite that, or not to overwrite what it changed
    // again while the user was being asked.
    bool MayOverwriteStoredConfiguration();
    CSubSystemLogSettings& CurrentSettings() const;
    // The node of an item, as m_nCurrentIndex names it; false for "SubSystems" and for any item
    // the dialog did not insert.
    bool NodeOfItem(HTREEITEM hItem, int& nNode) const;

    // Fonts, and then the controls' places, for m_nDpi.
    void ApplyFonts();
    void ArrangeAtStartUp();

    void SetItemCheckWhereDiffers(HTREEITEM hItem, bool bCheck);
    void SuspendTreeDrawing();
    void ResumeTreeDrawing();

    LONG m_lOpenError = ERROR_SUCCESS; // why the configuration could not be opened at start-up
    UINT m_nDpi = 0;                   // the DPI the dialog is drawn at
    CDialogLayout m_layout;
    CConfigurationWatch m_configurationWatch;
    // The node (as m_nCurrentIndex names it) of every item but "SubSystems": where the dialog
    // looks an item's node up. The items carry it as their item data too, for the tree's other
    // readers; the dialog does not read that back: a toggle reports thousands of items, and
    // asking the tree for each one's data would cost a message that searches all items.
    std::unordered_map<HTREEITEM, int> m_nodeOfItem;
    // The positions in m_subSystems in the order the tree shows them under "SubSystems".
    std::vector<int> m_displayOrder;
    // m_subSystems below this position have their check marks set from their data.
    size_t m_nSubSystemChecksShown = 0;
    // The last item the tree asked about before a toggle: the last one it will report.
    HTREEITEM m_hLastQueriedItem = nullptr;

    DECLARE_MESSAGE_MAP()
};
