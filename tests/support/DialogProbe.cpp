#include "tests/support/DialogProbe.h"

#include "res/resource.h"
#include "tests/support/ModalDriver.h"

#include <cstring>
#include <sstream>

namespace testing_support {

std::string SubSystemKey(const std::string& name) {
    return std::string(kBaseKey) + "\\" + name;
}

void FillEditingConfiguration(RegistrySandbox& sandbox) {
    sandbox.SetString(kBaseKey, "DefaultLogLevel", "Debug");
    sandbox.SetString(kBaseKey, "DefaultLogType", "Warning");
    sandbox.SetString(kBaseKey, "ExpireLogsAfter", "30");
    sandbox.SetString(SubSystemKey("Alpha").c_str(), "LogLevel", "Trace");
    sandbox.SetString(SubSystemKey("Alpha").c_str(), "LogType", "Information");
    sandbox.CreateKey(SubSystemKey("Beta").c_str());
    sandbox.SetString(SubSystemKey("Gamma").c_str(), "LogLevel", "None");
    sandbox.SetString(SubSystemKey("Gamma").c_str(), "LogType", "None");
}

bool TreeItemState::operator==(const TreeItemState& o) const {
    return text == o.text && depth == o.depth && checked == o.checked && selected == o.selected &&
           expanded == o.expanded && data == o.data;
}

bool DialogState::operator==(const DialogState& o) const {
    return Describe() == o.Describe();
}

std::string DialogState::Describe() const {
    std::ostringstream out;
    for (const TreeItemState& item : tree)
        out << std::string(static_cast<size_t>(item.depth) * 2, ' ')
            << (item.checked ? "[x] " : "[ ] ") << item.text << " data=" << item.data
            << (item.selected ? " selected" : "") << (item.expanded ? " expanded" : "") << "\n";
    out << "title=" << title << "\n"
        << "level: default=" << useDefaultLevel << "(" << useDefaultLevelEnabled
        << ") row=" << levelRow << "(" << levelListEnabled << ") '" << levelDescription << "'("
        << levelDescriptionEnabled << ")\n"
        << "type: default=" << useDefaultType << "(" << useDefaultTypeEnabled << ") row=" << typeRow
        << "(" << typeListEnabled << ") '" << typeDescription << "'(" << typeDescriptionEnabled
        << ")\n"
        << "days=" << days << " index=" << hiddenIndex << "\n";
    return out.str();
}

HWND Tree(HWND hDlg) {
    return ::GetDlgItem(hDlg, IDC_TREE);
}

namespace {

HTREEITEM Next(HWND hTree, HTREEITEM hItem, UINT code) {
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageA(hTree, TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(hItem)));
}

TVITEMA ReadItem(HWND hTree, HTREEITEM hItem, char* buffer, int size) {
    TVITEMA item = {};
    item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_STATE | TVIF_PARAM;
    item.hItem = hItem;
    item.stateMask = 0xFFFF;
    item.pszText = buffer;
    item.cchTextMax = size;
    ::SendMessageA(hTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item;
}

void CollectItems(HWND hTree, HTREEITEM hFirst, int depth, std::vector<TreeItemState>& out) {
    for (HTREEITEM hItem = hFirst; hItem; hItem = Next(hTree, hItem, TVGN_NEXT)) {
        char text[600] = {};
        const TVITEMA item = ReadItem(hTree, hItem, text, sizeof text);
        const UINT image = (item.state & TVIS_STATEIMAGEMASK) >> 12;
        out.push_back({text, depth, image == 2, (item.state & TVIS_SELECTED) != 0,
                       (item.state & TVIS_EXPANDED) != 0, item.lParam});
        CollectItems(hTree, Next(hTree, hItem, TVGN_CHILD), depth + 1, out);
    }
}

bool Enabled(HWND hDlg, int nID) {
    return ::IsWindowEnabled(::GetDlgItem(hDlg, nID)) != FALSE;
}
bool Checked(HWND hDlg, int nID) {
    return ::SendMessageA(::GetDlgItem(hDlg, nID), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
int Row(HWND hDlg, int nID) {
    return static_cast<int>(::SendMessageA(::GetDlgItem(hDlg, nID), CB_GETCURSEL, 0, 0));
}

POINT LabelRectPoint(HWND hTree, HTREEITEM hItem, int dx) {
    // Scrolled into view first, as a user would.
    ::SendMessageA(hTree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem));
    const RECT rect = LabelRect(hTree, hItem);
    return POINT{rect.left + dx, (rect.top + rect.bottom) / 2};
}

} // namespace

DialogState CaptureState(HWND hDlg) {
    DialogState state;
    HWND hTree = Tree(hDlg);
    CollectItems(hTree, Next(hTree, nullptr, TVGN_ROOT), 0, state.tree);
    state.title = GetText(hDlg, IDC_STATIC_TITLE);
    state.useDefaultLevel = Checked(hDlg, IDC_USE_DEFAULT_LEVEL);
    state.useDefaultType = Checked(hDlg, IDC_USE_DEFAULT_TYPE);
    state.levelRow = Row(hDlg, IDC_COMBO_LEVEL);
    state.typeRow = Row(hDlg, IDC_COMBO_TYPE);
    state.levelDescription = GetText(hDlg, IDC_EDIT_LEVEL_DESCRIPTION);
    state.typeDescription = GetText(hDlg, IDC_EDIT_TYPE_DESCRIPTION);
    state.days = GetText(hDlg, IDC_EDIT_EXPIRE_DAYS);
    state.hiddenIndex = GetText(hDlg, IDC_EDIT_INDEX);
    state.levelListEnabled = Enabled(hDlg, IDC_COMBO_LEVEL);
    state.typeListEnabled = Enabled(hDlg, IDC_COMBO_TYPE);
    state.useDefaultLevelEnabled = Enabled(hDlg, IDC_USE_DEFAULT_LEVEL);
    state.useDefaultTypeEnabled = Enabled(hDlg, IDC_USE_DEFAULT_TYPE);
    state.levelDescriptionEnabled = Enabled(hDlg, IDC_EDIT_LEVEL_DESCRIPTION);
    state.typeDescriptionEnabled = Enabled(hDlg, IDC_EDIT_TYPE_DESCRIPTION);
    return state;
}

HTREEITEM FindItem(HWND hDlg, const std::string& text) {
    HWND hTree = Tree(hDlg);
    // Preorder over the whole tree.
    std::vector<HTREEITEM> stack;
    for (HTREEITEM hItem = Next(hTree, nullptr, TVGN_ROOT); hItem || !stack.empty();) {
        if (!hItem) {
            hItem = Next(hTree, stack.back(), TVGN_NEXT);
            stack.pop_back();
            continue;
        }
        char buffer[600] = {};
        ReadItem(hTree, hItem, buffer, sizeof buffer);
        if (text == buffer)
            return hItem;
        stack.push_back(hItem);
        hItem = Next(hTree, hItem, TVGN_CHILD);
    }
    return nullptr;
}

std::vector<std::string> SubSystemTexts(HWND hDlg) {
    HWND hTree = Tree(hDlg);
    std::vector<std::string> texts;
    for (HTREEITEM hItem = Next(hTree, FindItem(hDlg, "SubSystems"), TVGN_CHILD); hItem;
         hItem = Next(hTree, hItem, TVGN_NEXT)) {
        char buffer[600] = {};
        ReadItem(hTree, hItem, buffer, sizeof buffer);
        texts.push_back(buffer);
    }
    return texts;
}

void ClickCheckBox(HWND hDlg, const std::string& text) {
    // The 13-pixel state icon stands immediately left of the label.
    ClickAt(Tree(hDlg), LabelRectPoint(Tree(hDlg), FindItem(hDlg, text), -7));
}

void ClickLabel(HWND hDlg, const std::string& text) {
    ClickAt(Tree(hDlg), LabelRectPoint(Tree(hDlg), FindItem(hDlg, text), 4));
}

void ClickItemCheckBox(HWND hDlg, HTREEITEM hItem) {
    ::SendMessageA(Tree(hDlg), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem));
    ClickAt(Tree(hDlg), LabelRectPoint(Tree(hDlg), hItem, -7));
}

void ClickItemLabel(HWND hDlg, HTREEITEM hItem) {
    ::SendMessageA(Tree(hDlg), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem));
    ClickAt(Tree(hDlg), LabelRectPoint(Tree(hDlg), hItem, 4));
}

namespace {

void DumpKey(HKEY hKey, const std::string& path, std::ostringstream& out) {
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameSize = sizeof name;
        BYTE data[1024];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (::RegEnumValueA(hKey, i, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        out << path << "\\" << name << "=" << type << ":";
        for (DWORD b = 0; b < dataSize; ++b)
            out << (data[b] ? std::string(1, static_cast<char>(data[b])) : std::string("\\0"));
        out << "\n";
    }
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameSize = sizeof name;
        if (::RegEnumKeyExA(hKey, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY hChild = nullptr;
        if (::RegOpenKeyExA(hKey, name, 0, KEY_READ, &hChild) == ERROR_SUCCESS) {
            DumpKey(hChild, path + "\\" + name, out);
            ::RegCloseKey(hChild);
        }
    }
}

} // namespace

std::string DumpConfiguration(const RegistrySandbox&) {
    std::ostringstream out;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBaseKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return "(no base key)\n";
    DumpKey(hKey, "", out);
    ::RegCloseKey(hKey);
    return out.str();
}

} // namespace testing_support
