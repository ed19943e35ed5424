#include "tests/support/CliRunner.h"

#include "cli/Text.h"
#include "registry/Registry.h"
#include "tests/support/DialogProbe.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace testing_support {

namespace {

class CCapture : public COutput {
public:
    explicit CCapture(DWORD dwFailure = 0) : m_dwFailure(dwFailure) {}
    DWORD WriteText(const std::string& strUtf8) override {
        if (m_dwFailure)
            return m_dwFailure;
        m_str += strUtf8;
        return ERROR_SUCCESS;
    }
    DWORD WriteDocument(const std::string& strUtf8) override { return WriteText(strUtf8); }
    std::string m_str;
    DWORD m_dwFailure;
};

class CTextInput : public CInput {
public:
    explicit CTextInput(std::string text) : m_text(std::move(text)) {}
    DWORD ReadAll(std::string& strBytes) override {
        strBytes = m_text;
        return ERROR_SUCCESS;
    }
    std::string m_text;
};

void SnapshotKey(HKEY hKey, const std::string& path, std::string& text) {
    text += path + "\n";
    wchar_t name[16384];
    std::vector<BYTE> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name / sizeof *name, type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        if (::RegEnumValueW(hKey, i, name, &nameLength, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS)
            break;
        text += "  " + WideToUtf8(std::wstring(name, nameLength)) + " " + std::to_string(type) +
                " " + std::string(data.begin(), data.begin() + size) + "\n";
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name / sizeof *name;
        if (::RegEnumKeyExW(hKey, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        const std::wstring child(name, nameLength);
        HKEY hChild = nullptr;
        if (::RegOpenKeyExW(hKey, child.c_str(), 0, KEY_READ | kRegistryViewFlag, &hChild) ==
            ERROR_SUCCESS) {
            SnapshotKey(hChild, path + "\\" + WideToUtf8(child), text);
            ::RegCloseKey(hChild);
        } else {
            text += path + "\\" + WideToUtf8(child) + " (cannot be opened)\n";
        }
    }
}

} // namespace

CliResult Cli(const std::vector<std::string>& args, const std::string& stdinText,
              DWORD outFailure) {
    CTextInput in(stdinText);
    CCapture out(outFailure), err;
    const int code = RunCommandLine(args, in, out, err);
    return {code, out.m_str, err.m_str};
}

std::string TempFile(const std::string& name, const std::string& content) {
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "quarn-cli-" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Snapshot() {
    std::string text;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ | kRegistryViewFlag, &hKey) !=
        ERROR_SUCCESS)
        return text;
    SnapshotKey(hKey, "SOFTWARE", text);
    ::RegCloseKey(hKey);
    return text;
}

void CreateWideSubSystemKey(const std::wstring& name) {
    const std::wstring path = Utf8ToWide(kBaseKey) + L"\\" + name;
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0,
                                KEY_WRITE | kRegistryViewFlag, nullptr, &hKey, nullptr));
    ::RegCloseKey(hKey);
}

} // namespace testing_support
