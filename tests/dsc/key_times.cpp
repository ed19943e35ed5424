// Prints the last-write time of the configuration's base key and of each key below it, a line
// each, so that a test can tell whether anything was written, even the same values again.
//   key_times
#include "logconfig/LogLayout.h"
#include "registry/Registry.h"

#include <windows.h>

#include <cstdio>

namespace {

void Print(HKEY hKey, const char* pszName) {
    FILETIME ftWritten = {};
    ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, &ftWritten);
    std::printf("%s %08lx%08lx\n", pszName, ftWritten.dwHighDateTime, ftWritten.dwLowDateTime);
}

} // namespace

int main() {
    CRegistryT<1> base(HKEY_LOCAL_MACHINE, kLogConfigBaseKey);
    if (base.Open() != ERROR_SUCCESS) {
        std::printf("(no key)\n");
        return 0;
    }
    Print(base.m_hKey, ".");
    for (const CString& strName : EnumerateSubSystemNames(base.m_hKey)) {
        CRegistryT<1> key(HKEY_LOCAL_MACHINE, SubSystemKeyPath(strName));
        if (key.Open() == ERROR_SUCCESS)
            Print(key.m_hKey, strName);
    }
    return 0;
}
