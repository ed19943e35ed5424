#include "registry/RegistryWatch.h"

namespace {

// Values set or deleted, subkeys created or deleted; not security or other attributes.
constexpr DWORD kWatchedChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

} // namespace

CRegistryWatch::CRegistryWatch(HKEY hRootKey, const CString& strSubKey)
    : m_key(hRootKey, strSubKey),
      // Manual reset: once signalled it stays so however often it is asked, until the next start.
      m_hEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

// The key closes itself afterwards, which ends the watch; the system keeps the event alive for
// as long as the watch refers to it.
CRegistryWatch::~CRegistryWatch() {
    if (m_hEvent != nullptr)
        ::CloseHandle(m_hEvent);
}

LONG CRegistryWatch::Start() {
    m_bWatching = false;
    if (m_hEvent == nullptr)
        return static_cast<LONG>(::GetLastError());
    // A watch ends once it has reported a change, and a new one on a handle whose watch has
    // not reported yet would wait beside it; so every start opens the key afresh. Closing the
    // previous handle signals the event: the reset comes after the open.
    if (m_key.Open() != ERROR_SUCCESS)
        return m_key.m_lSystemResult;
    ::ResetEvent(m_hEvent);
    const LONG lResult =
        ::RegNotifyChangeKeyValue(m_key.m_hKey, TRUE, kWatchedChanges, m_hEvent, TRUE);
    m_bWatching = lResult == ERROR_SUCCESS;
    return lResult;
}

bool CRegistryWatch::HasChanged() const {
    return !m_bWatching || ::WaitForSingleObject(m_hEvent, 0) != WAIT_TIMEOUT;
}
