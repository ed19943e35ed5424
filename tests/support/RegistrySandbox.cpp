#include "tests/support/RegistrySandbox.h"

#include "registry/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

// The sandbox whose scratch key HKEY_LOCAL_MACHINE currently stands for, or null.
RegistrySandbox* g_pInnermost = nullptr;
unsigned g_nCreated = 0;

constexpr REGSAM kHelperAccess = KEY_READ | KEY_WRITE | kRegistryViewFlag;

// What the registry links need beyond the advapi32 functions, from ntdll.
template <class Function> Function NtFunction(const char* pszName) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), pszName)));
}

// Deletes a registry link itself, not what it points to; false when there is none.
bool DeleteLink(const std::string& link) {
    const auto pfnNtDeleteKey = NtFunction<LONG(NTAPI*)(HANDLE)>("NtDeleteKey");
    HKEY hLink = nullptr;
    if (!pfnNtDeleteKey ||
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, link.c_str(), REG_OPTION_OPEN_LINK,
                        DELETE | KEY_READ | kRegistryViewFlag, &hLink) != ERROR_SUCCESS)
        return false;
    const bool bDeleted = pfnNtDeleteKey(hLink) == 0;
    ::RegCloseKey(hLink);
    return bDeleted;
}

} // namespace

RegistrySandbox::RegistrySandbox() {
    char szPath[80];
    std::snprintf(szPath, sizeof szPath, "Software\\QuarnTests\\%lu-%u", ::GetCurrentProcessId(),
                  ++g_nCreated);
    m_scratchPath = szPath;

    // A process that crashed with the same id may have left its key behind.
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_scratchPath.c_str());
    LONG lResult =
        ::RegCreateKeyExA(HKEY_CURRENT_USER, m_scratchPath.c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &m_hScratch, nullptr);
    if (lResult != ERROR_SUCCESS)
        throw std::runtime_error("RegistrySandbox: cannot create " + m_scratchPath);

    lResult = ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_hScratch);
    DWORD dwSubKeys = 1, dwValues = 1;
    if (lResult == ERROR_SUCCESS)
        lResult =
            ::RegQueryInfoKeyA(HKEY_LOCAL_MACHINE, nullptr, nullptr, nullptr, &dwSubKeys, nullptr,
                               nullptr, &dwValues, nullptr, nullptr, nullptr, nullptr);
    if (lResult != ERROR_SUCCESS || dwSubKeys != 0 || dwValues != 0) {
        // Whatever happened, HKEY_LOCAL_MACHINE must not stay pointed at this key, nor reach
        // the real one while a test believes it is sandboxed.
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE,
                               g_pInnermost != nullptr ? g_pInnermost->m_hScratch : nullptr);
        ::RegCloseKey(m_hScratch);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, m_scratchPath.c_str());
        throw std::runtime_error("RegistrySandbox: cannot redirect HKEY_LOCAL_MACHINE to " +
                                 m_scratchPath);
    }
    m_pOuter = g_pInnermost;
    g_pInnermost = this;
}

RegistrySandbox::~RegistrySandbox() {
    if (g_pInnermost != this) {
        // Restoring now would leave an inner sandbox's test on a stale key or the real machine.
        std::fprintf(stderr, "RegistrySandbox %s ended before the sandbox nested in it\n",
                     m_scratchPath.c_str());
        std::abort();
    }
    for (const std::string& link : m_links)
        DeleteLink(link);
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE,
                           m_pOuter != nullptr ? m_pOuter->m_hScratch : nullptr);
    g_pInnermost = m_pOuter;
    ::RegCloseKey(m_hScratch);
    ::RegDeleteTreeA(HKEY_CURRENT_USER, m_scratchPath.c_str());
}

void RegistrySandbox::RequireInnermost() const {
    if (g_pInnermost != this)
        throw std::logic_error("RegistrySandbox " + m_scratchPath +
                               " used while another sandbox is active");
}

HKEY RegistrySandbox::CreateOrFail(const char* subKey, DWORD options) {
    RequireInnermost();
    HKEY hKey = nullptr;
    const LONG lResult = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, options,
                                           kHelperAccess, nullptr, &hKey, nullptr);
    if (lResult != ERROR_SUCCESS) {
        ADD_FAILURE() << "RegistrySandbox: cannot create " << subKey << ": " << lResult;
        return nullptr;
    }
    return hKey;
}

HKEY RegistrySandbox::OpenForReading(const char* subKey) const {
    RequireInnermost();
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ | kRegistryViewFlag, &hKey) !=
        ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

void RegistrySandbox::SetString(const char* subKey, const char* valueName, const char* text) {
    SetRaw(subKey, valueName, REG_SZ, text, static_cast<DWORD>(std::strlen(text) + 1));
}

void RegistrySandbox::SetRaw(const char* subKey, const char* valueName, DWORD type,
                             const void* data, DWORD size) {
    const HKEY hKey = CreateOrFail(subKey, REG_OPTION_NON_VOLATILE);
    if (hKey == nullptr)
        return;
    const LONG lResult =
        ::RegSetValueExA(hKey, valueName, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS)
        ADD_FAILURE() << "RegistrySandbox: cannot set " << subKey << "\\" << valueName << ": "
                      << lResult;
}

bool RegistrySandbox::GetRaw(const char* subKey, const char* valueName, DWORD* type,
                             std::vector<unsigned char>* data) const {
    const HKEY hKey = OpenForReading(subKey);
    if (hKey == nullptr)
        return false;
    DWORD dwSize = 0;
    LONG lResult = ::RegQueryValueExA(hKey, valueName, nullptr, type, nullptr, &dwSize);
    if (lResult == ERROR_SUCCESS) {
        data->assign(dwSize + 1, 0);
        lResult = ::RegQueryValueExA(hKey, valueName, nullptr, type, data->data(), &dwSize);
        data->resize(dwSize);
    }
    ::RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

bool RegistrySandbox::GetString(const char* subKey, const char* valueName, std::string* out) const {
    DWORD dwType = 0;
    std::vector<unsigned char> data;
    if (!GetRaw(subKey, valueName, &dwType, &data))
        return false;
    out->assign(data.begin(), data.end());
    out->resize(std::strlen(out->c_str()));
    return true;
}

bool RegistrySandbox::KeyExists(const char* subKey) const {
    const HKEY hKey = OpenForReading(subKey);
    if (hKey == nullptr)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

std::vector<std::string> RegistrySandbox::SubKeys(const char* subKey) const {
    std::vector<std::string> names;
    const HKEY hKey = OpenForReading(subKey);
    if (hKey == nullptr)
        return names;
    char szName[512];
    for (DWORD dwIndex = 0;; ++dwIndex) {
        DWORD dwLength = sizeof szName;
        if (::RegEnumKeyExA(hKey, dwIndex, szName, &dwLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(szName, dwLength);
    }
    ::RegCloseKey(hKey);
    return names;
}

void RegistrySandbox::CreateKey(const char* subKey) {
    const HKEY hKey = CreateOrFail(subKey, REG_OPTION_NON_VOLATILE);
    if (hKey != nullptr)
        ::RegCloseKey(hKey);
}

void RegistrySandbox::DeleteKey(const char* subKey) {
    RequireInnermost();
    const auto link = std::find(m_links.begin(), m_links.end(), subKey);
    if (link != m_links.end()) {
        if (!DeleteLink(*link))
            ADD_FAILURE() << "RegistrySandbox: cannot delete the link " << subKey;
        m_links.erase(link);
        return;
    }
    HKEY hKey = nullptr;
    LONG lResult =
        ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_ALL_ACCESS | kRegistryViewFlag, &hKey);
    if (lResult == ERROR_SUCCESS) {
        lResult = ::RegDeleteTreeA(hKey, nullptr); // what is below; the key itself stays
        ::RegCloseKey(hKey);
    }
    if (lResult == ERROR_SUCCESS)
        lResult = ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, subKey, kRegistryViewFlag, 0);
    if (lResult != ERROR_SUCCESS)
        ADD_FAILURE() << "RegistrySandbox: cannot delete " << subKey << ": " << lResult;
}

void RegistrySandbox::CreateVolatileKey(const char* subKey) {
    const HKEY hKey = CreateOrFail(subKey, REG_OPTION_VOLATILE);
    if (hKey != nullptr)
        ::RegCloseKey(hKey);
}

void RegistrySandbox::CreateUnopenableKey(const char* subKey) {
    RequireInnermost();
    HKEY hKey = nullptr;
    LONG lResult = ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, REG_OPTION_CREATE_LINK,
                                     kHelperAccess | KEY_CREATE_LINK, nullptr, &hKey, nullptr);
    if (lResult != ERROR_SUCCESS) {
        ADD_FAILURE() << "RegistrySandbox: cannot create the link " << subKey << ": " << lResult;
        return;
    }
    m_links.push_back(subKey);
    // A link names its target by the key's full path in the native namespace.
    const auto pfnNtQueryKey =
        NtFunction<LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG)>("NtQueryKey");
    constexpr int kKeyNameInformation = 3;
    std::vector<BYTE> info(4096);
    ULONG nLength = 0;
    if (!pfnNtQueryKey || pfnNtQueryKey(hKey, kKeyNameInformation, info.data(),
                                        static_cast<ULONG>(info.size()), &nLength) != 0) {
        ADD_FAILURE() << "RegistrySandbox: cannot tell the full name of " << subKey;
        ::RegCloseKey(hKey);
        return;
    }
    ULONG nNameBytes = 0;
    memcpy(&nNameBytes, info.data(), sizeof nNameBytes);
    lResult = ::RegSetValueExW(hKey, L"SymbolicLinkValue", 0, REG_LINK,
                               info.data() + sizeof nNameBytes, nNameBytes);
    ::RegCloseKey(hKey);
    if (lResult != ERROR_SUCCESS)
        ADD_FAILURE() << "RegistrySandbox: cannot point the link " << subKey << ": " << lResult;
}

int RegistrySandbox::ValueCount(const char* subKey) const {
    const HKEY hKey = OpenForReading(subKey);
    if (hKey == nullptr)
        return -1;
    DWORD dwValues = 0;
    const LONG lResult = ::RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr,
                                            nullptr, &dwValues, nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS ? static_cast<int>(dwValues) : -1;
}
