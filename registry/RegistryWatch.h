// CRegistryWatch: tells without waiting whether anything below one key has changed since the
// watch was last started: a value set or deleted, a subkey created or deleted, at any depth.
// While nothing changes, asking costs one check of an event.
#pragma once

#include "registry/Registry.h"

#include <windows.h>

class CRegistryWatch {
public:
    // The key is opened for reading, in the view CRegistryT opens keys in. A watch creates
    // nothing: while the key is missing, the watch cannot start.
    CRegistryWatch(HKEY hRootKey, const CString& strSubKey);
    ~CRegistryWatch();

    CRegistryWatch(const CRegistryWatch&) = delete;
    CRegistryWatch& operator=(const CRegistryWatch&) = delete;

    // Forgets what changed so far and watches from now on. The system ties the watch to the
    // calling thread: call it on the thread that keeps running while the watch is needed.
    // Returns the registry's status; when it fails, HasChanged says true until a start succeeds.
    LONG Start();

    // True when something below the key changed since Start, or when nothing is watched.
    bool HasChanged() const;

private:
    CRegistryT<1> m_key;
    HANDLE m_hEvent;
    bool m_bWatching = false;
};
