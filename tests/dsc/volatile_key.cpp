// Creates the configuration's base key as a volatile key (it must not exist yet), below which
// no lasting subsystem key can be created: a refused write, which Wine does not produce through
// permissions.
//   volatile_key
#include "logconfig/LogLayout.h"
#include "registry/Registry.h"

#include <windows.h>

#include <cstdio>

int main() {
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    const LONG lResult =
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kLogConfigBaseKey, 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_ALL_ACCESS | kRegistryViewFlag, nullptr, &hKey, &dwDisposition);
    if (lResult != ERROR_SUCCESS || dwDisposition != REG_CREATED_NEW_KEY) {
        std::printf("volatile_key: not created (%ld)\n", lResult);
        return 1;
    }
    ::RegCloseKey(hKey);
    return 0;
}
