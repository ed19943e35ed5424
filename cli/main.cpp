// quarnlogcfg: the logging configuration from the command line, for administrators' scripts.
#include "cli/Commands.h"
#include "cli/Text.h"

#include <windows.h>

#include <shellapi.h>

namespace {

// Standard output or error: UTF-16 to a console, so that every name shows as it is; otherwise
// text in the console's code page (what PowerShell and cmd read back) and documents as UTF-8.
class CStandardOutput : public COutput {
public:
    explicit CStandardOutput(DWORD dwWhich) : m_hOutput(::GetStdHandle(dwWhich)) {}

    void WriteText(const std::string& strUtf8) override { Write(strUtf8, false); }
    void WriteDocument(const std::string& strUtf8) override { Write(strUtf8, true); }

private:
    void Write(const std::string& strUtf8, bool bDocument) {
        std::string strText;
        for (char ch : strUtf8) {
            if (ch == '\n')
                strText += '\r';
            strText += ch;
        }
        DWORD dwMode = 0, dwWritten = 0;
        if (::GetConsoleMode(m_hOutput, &dwMode)) {
            const std::wstring strWide = Utf8ToWide(strText);
            ::WriteConsoleW(m_hOutput, strWide.data(), static_cast<DWORD>(strWide.size()),
                            &dwWritten, nullptr);
            return;
        }
        if (!bDocument) {
            const UINT nCodePage = ::GetConsoleOutputCP();
            strText = Utf8ToCodePage(strText, nCodePage != 0 ? nCodePage : CP_ACP);
        }
        ::WriteFile(m_hOutput, strText.data(), static_cast<DWORD>(strText.size()), &dwWritten,
                    nullptr);
    }

    HANDLE m_hOutput;
};

} // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 1; argv && i < argc; ++i)
        args.push_back(WideToUtf8(argv[i]));
    ::LocalFree(argv);
    CStandardOutput out(STD_OUTPUT_HANDLE), err(STD_ERROR_HANDLE);
    return RunCommandLine(args, out, err);
}
