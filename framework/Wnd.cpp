#include "framework/Wnd.h"

#include <map>
#include <memory>
#include <unordered_map>

namespace {

// Windows attached to an object, and the temporary objects handed out for other windows.
// All windows of the program belong to its one user-interface thread.
std::unordered_map<HWND, CWnd*>& PermanentMap() {
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

std::map<HWND, std::unique_ptr<CWnd>>& TemporaryMap() {
    static std::map<HWND, std::unique_ptr<CWnd>> map;
    return map;
}

// The message being handled, for CWnd::Default. Handlers nest, so each level saves the outer one.
struct CurrentMessage {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
CurrentMessage g_current = {};

} // namespace

// ---- CCmdTarget -------------------------------------------------------------------------------

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT nMessage, UINT nCode, UINT nID) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfnThunk; ++entry) {
            if (entry->nMessage != nMessage)
                continue;
            const bool keyed = nMessage == WM_COMMAND || nMessage == WM_NOTIFY;
            const bool reflected = nMessage == WM_REFLECT_BASE + WM_NOTIFY;
            if ((keyed || reflected) && entry->nCode != nCode)
                continue;
            if (keyed && entry->nID != nID)
                continue;
            return entry;
        }
    }
    return nullptr;
}

bool CCmdTarget::OnCmdMsg(UINT nID, UINT nCode, LRESULT* pResult) {
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_COMMAND, nCode, nID);
    if (!entry)
        return false;
    entry->pfnThunk(this, MAKEWPARAM(nID, nCode), 0, pResult);
    return true;
}

// ---- CWnd -------------------------------------------------------------------------------------

CWnd::~CWnd() {
    if (m_hWnd && PermanentMap().count(m_hWnd) && PermanentMap()[m_hWnd] == this)
        UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    const auto it = PermanentMap().find(hWnd);
    return it == PermanentMap().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd)
        return nullptr;
    if (CWnd* permanent = FromHandlePermanent(hWnd))
        return permanent;
    auto& temporaries = TemporaryMap();
    // Drop wrappers of windows that are gone before a handle value can be reused.
    for (auto it = temporaries.begin(); it != temporaries.end();)
        it = ::IsWindow(it->first) ? std::next(it) : temporaries.erase(it);
    auto& slot = temporaries[hWnd];
    if (!slot) {
        slot = std::make_unique<CWnd>();
        slot->m_hWnd = hWnd;
    }
    return slot.get();
}

void CWnd::Attach(HWND hWnd) {
    m_hWnd = hWnd;
    PermanentMap()[hWnd] = this;
    TemporaryMap().erase(hWnd);
}

void CWnd::Detach() {
    PermanentMap().erase(m_hWnd);
    m_hWnd = nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!hWnd || FromHandlePermanent(hWnd))
        return FALSE;
    Attach(hWnd);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProc)));
    return TRUE;
}

HWND CWnd::UnsubclassWindow() {
    HWND hWnd = m_hWnd;
    if (m_pfnSuper && ::IsWindow(hWnd))
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    Detach();
    return hWnd;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    const LONG_PTR newStyle = (style & ~static_cast<LONG_PTR>(dwRemove)) | dwAdd;
    if (style == newStyle)
        return FALSE;
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, newStyle);
    if (nFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

LRESULT CWnd::Default() {
    return DefaultWindowProc(g_current.message, g_current.wParam, g_current.lParam);
}

LRESULT CWnd::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND)
        return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), pResult);

    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        CWnd* child = FromHandlePermanent(header->hwndFrom);
        if (child && child->OnChildNotify(message, wParam, lParam, pResult))
            return true;
        const AFX_MSGMAP_ENTRY* entry =
            FindEntry(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom));
        if (!entry)
            return false;
        entry->pfnThunk(this, wParam, lParam, pResult);
        return true;
    }

    const AFX_MSGMAP_ENTRY* entry = FindEntry(message, 0, 0);
    if (!entry)
        return false;
    entry->pfnThunk(this, wParam, lParam, pResult);
    return true;
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_REFLECT_BASE + message, header->code, 0);
    if (!entry)
        return false;
    entry->pfnThunk(this, wParam, lParam, pResult);
    return true;
}

LRESULT CALLBACK CWnd::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = FromHandlePermanent(hWnd);
    if (!wnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    const CurrentMessage outer = g_current;
    g_current = {hWnd, message, wParam, lParam};
    LRESULT result = 0;
    if (!wnd->OnWndMsg(message, wParam, lParam, &result))
        result = wnd->DefaultWindowProc(message, wParam, lParam);
    g_current = outer;

    // The window is gone: the object no longer stands for it.
    if (message == WM_NCDESTROY && FromHandlePermanent(hWnd) == wnd)
        wnd->UnsubclassWindow();
    return result;
}
