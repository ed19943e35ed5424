#include "ui/QuarnEventLogConfigurationDlg.h"

#include "app/AboutDlg.h"
#include "framework/WinApp.h"
#include "logconfig/LogLayout.h"
#include "logconfig/LogOptions.h"
#include "logconfig/SubSystemName.h"
#include "registry/Registry.h"
#include "registry/RegistryError.h"
#include "res/resource.h"
#include "ui/AddSubSystemDlg.h"
#include "ui/Dpi.h"

#include <algorithm>

namespace {

constexpr char kSubSystemsItemText[] = "SubSystems";
constexpr char kDefaultValueUsed[] = "Default Value used";
constexpr LPARAM kDefaultItemData = -1;
constexpr int kDefaultSettingsIndex = -1;
constexpr UINT kSysCommandMask = 0xFFF0; // the low four bits of a system command are the system's

// The template's font, 8-point MS Sans Serif, at 96 DPI: an average letter 6 pixels wide, lines
// 13 pixels high. Its dialog units are a quarter and an eighth of these.
constexpr SIZE kTemplateFontUnits = {6, 13};

// Posted at start-up so that the user is told only once the dialog is on screen.
constexpr UINT WM_QUARN_OPEN_FAILED = WM_APP + 1;

const char* RowDescription(const SLogOption* pRows, int nRows, int nRow) {
    return nRow >= 0 && nRow < nRows ? pRows[nRow].pszDescription : "";
}

} // namespace

BEGIN_MESSAGE_MAP(CQuarnEventLogConfigurationDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_USE_DEFAULT_LEVEL, OnSettingChanged)
ON_BN_CLICKED(IDC_USE_DEFAULT_TYPE, OnSettingChanged)
ON_CBN_SELCHANGE(IDC_COMBO_LEVEL, OnSettingChanged)
ON_CBN_SELCHANGE(IDC_COMBO_TYPE, OnSettingChanged)
ON_NOTIFY(TVN_SELCHANGING, IDC_TREE, OnSelChangingTree)
ON_NOTIFY(TVN_SELCHANGED, IDC_TREE, OnSelChangedTree)
ON_BN_CLICKED(IDC_ADD_SUBSYSTEM, OnAddSubSystem)
ON_BN_CLICKED(IDC_APPLY, OnApply)
ON_MESSAGE_VOID(WM_QUARN_OPEN_FAILED, OnOpenFailed)
ON_MESSAGE(WM_DPICHANGED, OnDpiChanged)
ON_MESSAGE(WM_GETDPISCALEDSIZE, OnGetDpiScaledSize)
END_MESSAGE_MAP()

CQuarnEventLogConfigurationDlg::CQuarnEventLogConfigurationDlg(CWnd* pParent)
    : CDialog(IDD_QUARNEVENTLOGCONFIGURATION_DIALOG, pParent), m_bUseDefaultLevel(FALSE),
      m_bUseDefaultType(FALSE), m_nCurrentIndex(kDefaultSettingsIndex),
      m_nExpireDays(kDefaultExpireLogsAfterDays), m_hIcon(nullptr),
      m_pDefaultSettings(new CDefaultLogSettings), m_hDefaultItem(nullptr),
      m_hSubSystemsItem(nullptr), m_bInitialised(false) {
    // A loaded icon resource is shared by the system and never destroyed.
    m_hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CQuarnEventLogConfigurationDlg::~CQuarnEventLogConfigurationDlg() = default;

void CQuarnEventLogConfigurationDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EDIT_TYPE_DESCRIPTION, m_editTypeDescription);
    DDX_Control(pDX, IDC_EDIT_LEVEL_DESCRIPTION, m_editLevelDescription);
    DDX_Control(pDX, IDC_STATIC_TITLE, m_staticTitle);
    DDX_Control(pDX, IDC_EDIT_INDEX, m_editIndex);
    DDX_Control(pDX, IDC_USE_DEFAULT_TYPE, m_btnUseDefaultType);
    DDX_Control(pDX, IDC_USE_DEFAULT_LEVEL, m_btnUseDefaultLevel);
    DDX_Control(pDX, IDC_TREE, m_tree);
    DDX_Control(pDX, IDC_COMBO_TYPE, m_comboType);
    DDX_Control(pDX, IDC_COMBO_LEVEL, m_comboLevel);
    DDX_Check(pDX, IDC_USE_DEFAULT_LEVEL, m_bUseDefaultLevel);
    DDX_Check(pDX, IDC_USE_DEFAULT_TYPE, m_bUseDefaultType);
    DDX_Text(pDX, IDC_EDIT_LEVEL_DESCRIPTION, m_strLevelDescription);
    DDX_Text(pDX, IDC_EDIT_TYPE_DESCRIPTION, m_strTypeDescription);
    DDX_Text(pDX, IDC_EDIT_INDEX, m_nCurrentIndex);
    DDX_Text(pDX, IDC_STATIC_TITLE, m_strTitle);
    // Last, so that a refused day count leaves every other value taken.
    DDX_Text(pDX, IDC_EDIT_EXPIRE_DAYS, m_nExpireDays);
    DDV_MinMaxInt(pDX, m_nExpireDays, kMinExpireLogsAfterDays, kMaxExpireLogsAfterDays);
}

BOOL CQuarnEventLogConfigurationDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // The About entry joins the system menu, above the platform's own commands.
    if (HMENU hSysMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
        CString strAboutMenu;
        strAboutMenu.LoadString(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            ::AppendMenuA(hSysMenu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(hSysMenu, MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    // The lists are unsorted, so a list index is a row of its display table.
    for (const SLogOption& option : g_LogLevelOptions)
        m_comboLevel.AddString(option.pszName);
    m_comboLevel.SetCurSel(0);
    for (const SLogOption& option : g_LogTypeOptions)
        m_comboType.AddString(option.pszName);
    m_comboType.SetCurSel(0);

    // Where the dialog manager put the controls, before they get fonts of the dialog's own.
    m_nDpi = WindowDpi(m_hWnd);
    m_layout.Capture(m_hWnd, m_nDpi, kTemplateFontUnits);
    ApplyFonts();

    // Opened (and created when missing) first, so that the watch finds a key to watch. Watched
    // from before the first read, so that nothing another program writes meanwhile is taken for
    // what was read.
    CRegistryT<0> baseKey(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    m_lOpenError = baseKey.Open();
    m_configurationWatch.Start();
    m_pDefaultSettings->Load();
    LoadSubSystems();

    if (baseKey.m_hKey)
        ReadExpireLogsAfter(baseKey.m_hKey, m_nExpireDays);
    else
        PostMessageA(m_hWnd, WM_QUARN_OPEN_FAILED, 0, 0);
    m_configurationWatch.Remember(baseKey.m_hKey != nullptr, m_nExpireDays, *m_pDefaultSettings,
                                  m_subSystems);

    // Re-adding the check-box style before any item exists makes the tree create its check box
    // images now; otherwise the first paint would clear every check mark set before it.
    m_tree.ModifyStyle(TVS_CHECKBOXES, 0);
    m_tree.ModifyStyle(0, TVS_CHECKBOXES);
    // Spreading on before the items get their marks, so that "SubSystems" follows them.
    m_tree.m_bPropagate = TRUE;
    m_tree.SetQueryCheckCallback(&CanChangeCheckCallback, this);
    m_tree.SetCheckChangedCallback(&CheckChangedCallback, this);
    PopulateTree();

    ShowCurrentSettings();
    RefreshControls();
    ArrangeAtStartUp();
    m_bInitialised = true;
    return TRUE;
}

void CQuarnEventLogConfigurationDlg::OnOpenFailed() {
    CString message("The logging configuration could not be opened for editing.\n\n");
    message += RegistryErrorText(m_lOpenError);
    AfxMessageBox(message, MB_ICONEXCLAMATION);
}

void CQuarnEventLogConfigurationDlg::LoadSubSystems() {
    // All names are collected before the first subsystem opens its own key.
    for (const CString& strName : EnumerateSubSystemNames()) {
        boost::shared_ptr<CSubSystemLogSettings> pSettings(new CSubSystemLogSettings(strName));
        // A name that opens no key is how a key whose name the ANSI code page cannot hold
        // comes back ("??" for a Chinese one): shown, it would be saved into a new key of that
        // name beside the real one.
        if (pSettings->LoadExisting())
            m_subSystems.push_back(pSettings);
    }
}

void CQuarnEventLogConfigurationDlg::PopulateTree() {
    m_hDefaultItem = m_tree.InsertItem(m_pDefaultSettings->GetName(), TVI_ROOT, TVI_LAST);
    m_tree.SetItemData(m_hDefaultItem, static_cast<DWORD_PTR>(kDefaultItemData));
    m_nodeOfItem[m_hDefaultItem] = kDefaultSettingsIndex;
    m_hSubSystemsItem = m_tree.InsertItem(kSubSystemsItemText, TVI_ROOT, TVI_LAST);

    // Item data is the position in m_subSystems, which keeps load order; the display is sorted.
    for (size_t i = 0; i < m_subSystems.size(); ++i) {
        HTREEITEM hItem =
            m_tree.InsertItem(TVIF_TEXT | TVIF_PARAM, m_subSystems[i]->GetName(), 0, 0, 0, 0,
                              static_cast<LPARAM>(i), m_hSubSystemsItem, TVI_LAST);
        m_subSystems[i]->SetTreeItem(hItem);
        m_nodeOfItem[hItem] = static_cast<int>(i);
    }
    // Before sorting, while the items stand in insertion order: the tree's recomputation of
    // "SubSystems" after each mark then meets the next, still clear, item at once.
    ShowNewSubSystemChecks();

    m_tree.SelectItem(m_hDefaultItem);
    m_tree.Expand(m_hSubSystemsItem, TVE_EXPAND);
    m_tree.SortChildren(m_hSubSystemsItem);
    int nNode = 0;
    for (HTREEITEM hItem = m_tree.GetChildItem(m_hSubSystemsItem); hItem;
         hItem = m_tree.GetNextSiblingItem(hItem)) {
        if (NodeOfItem(hItem, nNode))
            m_displayOrder.push_back(nNode);
    }
}

// Only the dialog's own items are nodes. Another program can put items into the tree too, as
// it can send the tree any message; those items are ignored.
bool CQuarnEventLogConfigurationDlg::NodeOfItem(HTREEITEM hItem, int& nNode) const {
    const auto it = m_nodeOfItem.find(hItem);
    if (it == m_nodeOfItem.end())
        return false;
    nNode = it->second;
    return true;
}

int CQuarnEventLogConfigurationDlg::CanChangeCheckCallback(void* pContext, BOOL bCheck,
                                                           HTREEITEM hItem) {
    return static_cast<CQuarnEventLogConfigurationDlg*>(pContext)->CanChangeCheck(bCheck, hItem);
}

int CQuarnEventLogConfigurationDlg::CheckChangedCallback(void* pContext, BOOL bCheck,
                                                         HTREEITEM hItem) {
    return static_cast<CQuarnEventLogConfigurationDlg*>(pContext)->OnCheckChanged(bCheck, hItem);
}

// The dialog never vetoes a check change. The tree asks about the toggled item and then each of
// its descendants, in the order in which it will report them.
BOOL CQuarnEventLogConfigurationDlg::CanChangeCheck(BOOL, HTREEITEM hItem) {
    if (!m_hLastQueriedItem)
        SuspendTreeDrawing();
    m_hLastQueriedItem = hItem;
    return TRUE;
}

BOOL CQuarnEventLogConfigurationDlg::OnCheckChanged(BOOL bCheck, HTREEITEM hItem) {
    // A toggle reports the item and then every descendant. Re-showing the current node after
    // each report would only be overwritten by the next one, and with hundreds of subsystems
    // would cost seconds: it is re-shown once, at the last report.
    const bool bLastReport = m_hLastQueriedItem == nullptr || hItem == m_hLastQueriedItem;

    // "SubSystems" has no settings; re-showing for its recomputed state would never end, since
    // every refresh reports it again.
    if (hItem != m_hSubSystemsItem) {
        int nNode = 0;
        if (NodeOfItem(hItem, nNode))
            EnableSettings(nNode, bCheck);
        if (bLastReport)
            ShowCurrentSettings();
    }
    if (bLastReport && m_hLastQueriedItem) {
        m_hLastQueriedItem = nullptr;
        ResumeTreeDrawing();
    }
    return TRUE;
}

// While a toggle sets many check boxes or Add inserts an item, the tree view is kept from drawing
// in both of the ways there are, as each saves a cost of its own: the tree view's own
// WM_SETREDRAW keeps it from laying out again, at each insertion, the items below the new one
// (the more items, the longer that takes), and the window's (DefWindowProc's, which hides the
// window) keeps anything from being drawn after each change, the scroll bar included. Switched
// on again, the tree view lays out its items once, and the window is drawn once.
void CQuarnEventLogConfigurationDlg::SuspendTreeDrawing() {
    m_tree.SendMessage(WM_SETREDRAW, FALSE);
    ::DefWindowProcA(m_tree.m_hWnd, WM_SETREDRAW, FALSE, 0);
}

void CQuarnEventLogConfigurationDlg::ResumeTreeDrawing() {
    m_tree.SendMessage(WM_SETREDRAW, TRUE);
    ::DefWindowProcA(m_tree.m_hWnd, WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(m_tree.m_hWnd, nullptr, nullptr,
                   RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void CQuarnEventLogConfigurationDlg::EnableSettings(int nIndex, BOOL bCheck) {
    CSubSystemLogSettings& settings =
        nIndex == kDefaultSettingsIndex ? *m_pDefaultSettings : *m_subSystems[nIndex];
    settings.SetEnabled(bCheck != FALSE);
}

CSubSystemLogSettings& CQuarnEventLogConfigurationDlg::CurrentSettings() const {
    if (m_nCurrentIndex == kDefaultSettingsIndex)
        return *m_pDefaultSettings;
    return *m_subSystems[static_cast<size_t>(m_nCurrentIndex)];
}

void CQuarnEventLogConfigurationDlg::ShowCurrentSettings() {
    const CSubSystemLogSettings& settings = CurrentSettings();

    // A Default value is shown by the box; the list keeps whatever row it had.
    const int nLevel = settings.GetLogLevel();
    m_bUseDefaultLevel = nLevel == LOG_LEVEL_DEFAULT;
    if (!m_bUseDefaultLevel)
        m_comboLevel.SetCurSel(FindLogLevelOption(nLevel));

    const int nType = settings.GetLogType();
    m_bUseDefaultType = nType == LOG_TYPE_DEFAULT;
    if (!m_bUseDefaultType)
        m_comboType.SetCurSel(FindLogTypeOption(nType));

    m_strTitle = settings.GetName();
    RefreshControls();
}

void CQuarnEventLogConfigurationDlg::RefreshControls() {
    const bool bEnabled = CurrentSettings().IsEnabled();

    m_comboLevel.EnableWindow(bEnabled && !m_bUseDefaultLevel);
    m_comboType.EnableWindow(bEnabled && !m_bUseDefaultType);

    m_strLevelDescription =
        m_bUseDefaultLevel
            ? kDefaultValueUsed
            : RowDescription(g_LogLevelOptions, kLogLevelOptionCount, m_comboLevel.GetCurSel());
    m_strTypeDescription = m_bUseDefaultType ? kDefaultValueUsed
                                             : RowDescription(g_LogTypeOptions, kLogTypeOptionCount,
                                                              m_comboType.GetCurSel());

    // The default settings cannot follow themselves, so their boxes cannot be ticked. A word
    // that is not in the vocabulary loads as Default all the same: the box then stays usable
    // until it is cleared, so that the value can be mended here.
    const bool bIsSubSystem = m_nCurrentIndex != kDefaultSettingsIndex;
    m_btnUseDefaultLevel.EnableWindow(bEnabled && (bIsSubSystem || m_bUseDefaultLevel));
    m_btnUseDefaultType.EnableWindow(bEnabled && (bIsSubSystem || m_bUseDefaultType));
    m_editLevelDescription.EnableWindow(bEnabled);
    m_editTypeDescription.EnableWindow(bEnabled);

    UpdateTreeChecks();
    UpdateData(FALSE);
}

// The marks agree with the data everywhere but on subsystems added since the last refresh: a
// toggle sets the marks before it reports them into the data, and nothing else changes either.
// So a refresh costs the same with ten subsystems as with ten thousand.
void CQuarnEventLogConfigurationDlg::UpdateTreeChecks() {
    SetItemCheckWhereDiffers(m_hDefaultItem, m_pDefaultSettings->IsEnabled());
    ShowNewSubSystemChecks();
}

void CQuarnEventLogConfigurationDlg::ShowNewSubSystemChecks() {
    for (; m_nSubSystemChecksShown < m_subSystems.size(); ++m_nSubSystemChecksShown) {
        const CSubSystemLogSettings& settings = *m_subSystems[m_nSubSystemChecksShown];
        SetItemCheckWhereDiffers(settings.GetTreeItem(), settings.IsEnabled());
    }
}

// Setting a mark that is shown already would only make the tree recompute "SubSystems", which
// agrees with its children anyway: every change of a child recomputes it.
void CQuarnEventLogConfigurationDlg::SetItemCheckWhereDiffers(HTREEITEM hItem, bool bCheck) {
    const UINT nShown = m_tree.GetItemState(hItem, TVIS_STATEIMAGEMASK);
    if (nShown != CTreeCtrl::CheckStateImage(bCheck))
        m_tree.SetItemCheck(hItem, bCheck);
}

// ---- chrome -----------------------------------------------------------------------------------

void CQuarnEventLogConfigurationDlg::OnSysCommand(UINT nID, LPARAM) {
    if ((nID & kSysCommandMask) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        Default();
    }
}

void CQuarnEventLogConfigurationDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);

    // Centre the icon in the client area.
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

// The minimised window is dragged with the application icon.
HCURSOR CQuarnEventLogConfigurationDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

// ---- selection and editing ------------------------------------------------------------------

void CQuarnEventLogConfigurationDlg::StoreCurrentSettings() {
    CSubSystemLogSettings& settings = CurrentSettings();
    settings.SetLogLevel(m_bUseDefaultLevel ? LOG_LEVEL_DEFAULT
                                            : g_LogLevelOptions[m_comboLevel.GetCurSel()].nValue);
    settings.SetLogType(m_bUseDefaultType ? LOG_TYPE_DEFAULT
                                          : g_LogTypeOptions[m_comboType.GetCurSel()].nValue);
}

void CQuarnEventLogConfigurationDlg::OnSettingChanged() {
    // A refused day count does not hold up the edit; the prompt has been shown.
    UpdateData(TRUE);
    StoreCurrentSettings();
    RefreshControls();
}

void CQuarnEventLogConfigurationDlg::OnSelChangingTree(NMHDR* pNMHDR, LRESULT* pResult) {
    // "SubSystems" is a heading, never a node to show; nor is an item the dialog did not insert.
    const NMTREEVIEWA* pNMTreeView = reinterpret_cast<const NMTREEVIEWA*>(pNMHDR);
    int nNode = 0;
    *pResult = NodeOfItem(pNMTreeView->itemNew.hItem, nNode) ? FALSE : TRUE;
}

void CQuarnEventLogConfigurationDlg::OnSelChangedTree(NMHDR* pNMHDR, LRESULT* pResult) {
    *pResult = 0;
    if (!m_bInitialised)
        return;
    UpdateData(TRUE);
    // The node being left keeps the edits shown for it.
    StoreCurrentSettings();
    int nNode = 0;
    if (!NodeOfItem(reinterpret_cast<const NMTREEVIEWA*>(pNMHDR)->itemNew.hItem, nNode))
        return;
    m_nCurrentIndex = nNode;
    ShowCurrentSettings();
}

// ---- adding a subsystem -----------------------------------------------------------------------

void CQuarnEventLogConfigurationDlg::OnAddSubSystem() {
    CAddSubSystemDlg dlg;
    if (dlg.DoModal() != IDOK)
        return;

    boost::shared_ptr<CSubSystemLogSettings> pSettings(
        new CSubSystemLogSettings(dlg.m_strSubSystemName));
    m_subSystems.push_back(pSettings);
    const size_t nIndex = m_subSystems.size() - 1;
    const CString strName = m_subSystems[nIndex]->GetName();

    // Straight to its place in the tree's order (the case-insensitive word sort of lstrcmpi,
    // after the names that compare equal): sorting all the children again would compare every
    // name with the others.
    const auto itPlace = std::upper_bound(
        m_displayOrder.begin(), m_displayOrder.end(), strName, [&](const CString& name, int i) {
            return SubSystemDisplayOrderLess(name, m_subSystems[i]->GetName());
        });
    const HTREEITEM hAfter =
        itPlace == m_displayOrder.begin() ? TVI_FIRST : m_subSystems[*(itPlace - 1)]->GetTreeItem();
    SuspendTreeDrawing();
    HTREEITEM hItem =
        m_tree.InsertItem(TVIF_TEXT, strName, 0, 0, 0, 0, 0, m_hSubSystemsItem, hAfter);
    m_tree.SetItem(hItem, TVIF_PARAM, nullptr, 0, 0, 0, 0, static_cast<LPARAM>(nIndex));
    ResumeTreeDrawing();
    // From the next refresh on, the item's check box shows the new subsystem (switched on).
    m_subSystems[nIndex]->SetTreeItem(hItem);
    m_nodeOfItem[hItem] = static_cast<int>(nIndex);
    m_displayOrder.insert(itPlace, static_cast<int>(nIndex));
    m_configurationWatch.RememberAdded(strName);
}
