// CCmdTarget and CWnd: message maps, window procedure subclassing and notification reflection.
//
// A class declares its message map with DECLARE_MESSAGE_MAP() and defines it with
// BEGIN_MESSAGE_MAP(theClass, baseClass) ... END_MESSAGE_MAP(). Entries are looked up in map
// order, then in the base class's map. Each entry macro instantiates a small thunk that cracks the
// message's arguments for one handler signature, so a handler of the wrong type does not compile.
#pragma once

#include <windows.h>

#include <type_traits>

class CWnd;
class CCmdTarget;

struct CPoint : POINT {
    CPoint() : POINT{0, 0} {}
    CPoint(LONG xIn, LONG yIn) : POINT{xIn, yIn} {}
};

// Message code under which a parent hands a notification back to the control that sent it.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

// Calls the handler for one message; returns the message's result in *pResult.
using AfxMsgThunk = void (*)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // window message, WM_COMMAND, WM_NOTIFY, or WM_REFLECT_BASE + WM_NOTIFY
    UINT nCode;    // notification code for WM_COMMAND and WM_NOTIFY entries
    UINT nID;      // control or command id for WM_COMMAND and WM_NOTIFY entries
    AfxMsgThunk pfnThunk;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries; // ends with an entry whose pfnThunk is null
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Runs the map entry for a command (WM_COMMAND with this id and notification code).
    virtual bool OnCmdMsg(UINT nID, UINT nCode, LRESULT* pResult);

    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
    const AFX_MSGMAP_ENTRY* FindEntry(UINT nMessage, UINT nCode, UINT nID) const;
};

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    operator HWND() const { return m_hWnd; }

    // The object attached to hWnd, or a temporary one that lives until the window is gone.
    static CWnd* FromHandle(HWND hWnd);
    // The object attached to hWnd by SubclassWindow or a dialog, else null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Attaches this object to an existing window and routes its messages through the map.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE) {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw);
    }

    // Hands the message being handled to the window's original procedure.
    LRESULT Default();

protected:
    // Dispatches one message through the map; false when no entry handles it.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A parent hands a child's notification back to it first; true when the child handled it.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Processing for unhandled messages: the original window procedure.
    LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    void Attach(HWND hWnd);
    void Detach();

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuper = nullptr;
};

// ---- message map declaration ------------------------------------------------------------------

#define DECLARE_MESSAGE_MAP()                                                                      \
public:                                                                                            \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
                                                                                                   \
protected:                                                                                         \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        typedef baseClass TheBaseClass;                                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, nullptr }                                                                           \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, &entries[0]};                 \
    return &map;                                                                                   \
    }

// ---- argument crackers, one per handler signature --------------------------------------------

namespace afx {

// True when F is a pointer to a member function of exactly the signature Sig.
template <class F, class Sig> struct IsHandler : std::false_type {};
template <class C, class Sig> struct IsHandler<Sig C::*, Sig> : std::true_type {};

#define AFX_CHECK_HANDLER(signature)                                                               \
    static_assert(IsHandler<decltype(F), signature>::value, "handler has the wrong signature")

template <class T, auto F> void Void(CCmdTarget* p, WPARAM, LPARAM, LRESULT* pResult) {
    AFX_CHECK_HANDLER(void());
    (static_cast<T*>(p)->*F)();
    *pResult = 0;
}

template <class T, auto F> void Key(CCmdTarget* p, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    AFX_CHECK_HANDLER(void(UINT, UINT, UINT));
    (static_cast<T*>(p)->*F)(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
    *pResult = 0;
}

template <class T, auto F>
void Mouse(CCmdTarget* p, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    AFX_CHECK_HANDLER(void(UINT, CPoint));
    const CPoint point(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
    (static_cast<T*>(p)->*F)(static_cast<UINT>(wParam), point);
    *pResult = 0;
}

template <class T, auto F>
void SysCommand(CCmdTarget* p, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    AFX_CHECK_HANDLER(void(UINT, LPARAM));
    (static_cast<T*>(p)->*F)(static_cast<UINT>(wParam), lParam);
    *pResult = 0;
}

template <class T, auto F> void QueryDragIcon(CCmdTarget* p, WPARAM, LPARAM, LRESULT* pResult) {
    AFX_CHECK_HANDLER(HCURSOR());
    *pResult = reinterpret_cast<LRESULT>((static_cast<T*>(p)->*F)());
}

template <class T, auto F>
void Message(CCmdTarget* p, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    AFX_CHECK_HANDLER(LRESULT(WPARAM, LPARAM));
    *pResult = (static_cast<T*>(p)->*F)(wParam, lParam);
}

template <class T, auto F> void Notify(CCmdTarget* p, WPARAM, LPARAM lParam, LRESULT* pResult) {
    AFX_CHECK_HANDLER(void(NMHDR*, LRESULT*));
    *pResult = 0;
    (static_cast<T*>(p)->*F)(reinterpret_cast<NMHDR*>(lParam), pResult);
}

#undef AFX_CHECK_HANDLER

} // namespace afx

// ---- entry macros -----------------------------------------------------------------------------

#define ON_WM_KEYDOWN() {WM_KEYDOWN, 0, 0, &afx::Key<ThisClass, &ThisClass::OnKeyDown>},
#define ON_WM_KEYUP() {WM_KEYUP, 0, 0, &afx::Key<ThisClass, &ThisClass::OnKeyUp>},
#define ON_WM_CHAR() {WM_CHAR, 0, 0, &afx::Key<ThisClass, &ThisClass::OnChar>},
#define ON_WM_LBUTTONDBLCLK()                                                                      \
    {WM_LBUTTONDBLCLK, 0, 0, &afx::Mouse<ThisClass, &ThisClass::OnLButtonDblClk>},
#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, &afx::SysCommand<ThisClass, &ThisClass::OnSysCommand>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &afx::Void<ThisClass, &ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, &afx::QueryDragIcon<ThisClass, &ThisClass::OnQueryDragIcon>},

#define ON_MESSAGE(message, memberFxn)                                                             \
    {(message), 0, 0, &afx::Message<ThisClass, &ThisClass::memberFxn>},
#define ON_MESSAGE_VOID(message, memberFxn)                                                        \
    {(message), 0, 0, &afx::Void<ThisClass, &ThisClass::memberFxn>},
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, 0, (id), &afx::Void<ThisClass, &ThisClass::memberFxn>},
#define ON_BN_CLICKED(id, memberFxn)                                                               \
    {WM_COMMAND, BN_CLICKED, (id), &afx::Void<ThisClass, &ThisClass::memberFxn>},
#define ON_CBN_SELCHANGE(id, memberFxn)                                                            \
    {WM_COMMAND, CBN_SELCHANGE, (id), &afx::Void<ThisClass, &ThisClass::memberFxn>},
#define ON_NOTIFY(code, id, memberFxn)                                                             \
    {WM_NOTIFY, static_cast<UINT>(code), (id), &afx::Notify<ThisClass, &ThisClass::memberFxn>},
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                         \
    {WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(code), 0,                                      \
     &afx::Notify<ThisClass, &ThisClass::memberFxn>},
