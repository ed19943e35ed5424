// quarnlogcfg: the logging configuration from the command line, for administrators' scripts.
#include "cli/CommandLine.h"
#include "cli/Text.h"

#include <windows.h>

#include <shellapi.h>

namespace {

// Standard output or error: UTF-16 to a console, so that every name shows as it is; otherwise
// text in the console's code page (what PowerShell and cmd read back) and documents as UTF-8.
class CStandardOutput : public COutput {
public:
    explicit CStandardOutput(DWORD dwWhich) : m_hOutput(::GetStdHandle(dwWhich)) {}

    DWORD WriteText(const std::string& strUtf8) override { return Write(strUtf8, false); }
    DWORD WriteDocument(const std::string& strUtf8) override { return Write(strUtf8, true); }

private:
    DWORD Write(const std::string& strUtf8, bool bDocument) {
        std::string strText;
        for (char ch : strUtf8) {
            if (ch == '\n')
                strText += '\r';
            strText += ch;
        }
        DWORD dwMode = 0;
        if (::GetConsoleMode(m_hOutput, &dwMode)) {
            const std::wstring strWide = Utf8ToWide(strText);
            return WriteAll(strWide.data(), strWide.size(),
                            [this](const wchar_t* p, DWORD n, DWORD* pWritten) {
                                return ::WriteConsoleW(m_hOutput, p, n, pWritten, nullptr);
                            });
        }
        if (!bDocument) {
            const UINT nCodePage = ::GetConsoleOutputCP();
            strText = Utf8ToCodePage(strText, nCodePage != 0 ? nCodePage : CP_ACP);
        }
        return WriteAll(strText.data(), strText.size(),
                        [this](const char* p, DWORD n, DWORD* pWritten) {
                            return ::WriteFile(m_hOutput, p, n, pWritten, nullptr);
                        });
    }

    // A pipe may take less than it is given; a closed one or a full disk says so.
    template <class Char, class Function>
    static DWORD WriteAll(const Char* p, size_t nLength, Function write) {
        while (nLength > 0) {
            DWORD dwWritten = 0;
            if (!write(p, static_cast<DWORD>(nLength), &dwWritten))
                return ::GetLastError();
            if (dwWritten == 0)
                return ERROR_WRITE_FAULT;
            p += dwWritten;
            nLength -= dwWritten;
        }
        return ERROR_SUCCESS;
    }

    HANDLE m_hOutput;
};

class CStandardInput : public CInput {
public:
    DWORD ReadAll(std::string& strBytes) override {
        const HANDLE hInput = ::GetStdHandle(STD_INPUT_HANDLE);
        char buffer[65536];
        for (;;) {
            DWORD dwRead = 0;
            if (!::ReadFile(hInput, buffer, sizeof buffer, &dwRead, nullptr)) {
                // The writer of a pipe has closed it: that is its end.
                const DWORD dwError = ::GetLastError();
                return dwError == ERROR_BROKEN_PIPE ? ERROR_SUCCESS : dwError;
            }
            if (dwRead == 0)
                return ERROR_SUCCESS;
            strBytes.append(buffer, dwRead);
        }
    }
};

} // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argv && i < argc; ++i)
        args.push_back(WideToUtf8(argv[i]));
    ::LocalFree(argv);
    CStandardInput in;
    CStandardOutput out(STD_OUTPUT_HANDLE), err(STD_ERROR_HANDLE);
    return RunCommandLine(args, in, out, err);
}
