// quarnlogcfg: the logging configuration from the command line, for administrators' scripts.
#include "cli/CommandLine.h"
#include "cli/Text.h"

#include <windows.h>

#include <shellapi.h>

#include <nlohmann/json.hpp>

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

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

// The standard error as DSC reads a resource's: each message one JSON line, {"error": TEXT},
// {"warn": TEXT} or {"info": TEXT}, which DSC shows at that level (plain text it keeps to its
// trace log, and it stops reading at the first line that is not UTF-8). Always UTF-8, whatever
// the console's code page.
class CDscMessages : public COutput {
public:
    explicit CDscMessages(COutput& output) : m_output(output) {}

    DWORD WriteText(const std::string& strUtf8) override {
        return WriteMessage(EMessageKind::kProgress, strUtf8);
    }
    DWORD WriteDocument(const std::string& strUtf8) override {
        return WriteMessage(EMessageKind::kProgress, strUtf8);
    }
    DWORD WriteMessage(EMessageKind kind, const std::string& strUtf8) override {
        const char* pszLevel = kind == EMessageKind::kFailure ? "error"
                               : kind == EMessageKind::kNote  ? "warn"
                                                              : "info";
        const nlohmann::json line = {
            {pszLevel, strUtf8.substr(0, strUtf8.find_last_not_of('\n') + 1)}};
        // A text that is not UTF-8 (a name from a document in another encoding) is sent with
        // replacement characters rather than not at all.
        return m_output.WriteDocument(
            line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    }

private:
    COutput& m_output;
};

class CStandardInput : public CInput {
public:
    DWORD ReadAll(std::string& strBytes) override {
        return ReadToEnd(::GetStdHandle(STD_INPUT_HANDLE),
                         [&](const char* p, DWORD n) { strBytes.append(p, n); });
    }

    // DSC writes an instance into a pipe of its own as it starts the program. Without one, DSC
    // 3.2.2 and later give the null device, earlier releases their own standard input, which may
    // be a console or a pipe that stays open: what does not begin to arrive at once is none.
    DWORD ReadIfGiven(std::string& strBytes) override {
        const HANDLE hInput = ::GetStdHandle(STD_INPUT_HANDLE);
        DWORD dwMode = 0;
        if (hInput == nullptr || hInput == INVALID_HANDLE_VALUE ||
            ::GetConsoleMode(hInput, &dwMode))
            return ERROR_SUCCESS;
        // Read by a thread of its own (not every pipe can be asked whether anything waits in it),
        // which is left blocked until the process ends when nothing comes.
        auto pending = std::make_shared<SPendingRead>();
        std::thread([pending, hInput] {
            const DWORD dwError = ReadToEnd(hInput, [&](const char* p, DWORD n) {
                std::lock_guard<std::mutex> lock(pending->mutex);
                pending->strBytes.append(p, n);
                pending->bBegun = true;
                pending->changed.notify_all();
            });
            std::lock_guard<std::mutex> lock(pending->mutex);
            pending->dwError = dwError;
            pending->bBegun = pending->bEnded = true;
            pending->changed.notify_all();
        }).detach();
        std::unique_lock<std::mutex> lock(pending->mutex);
        if (!pending->changed.wait_for(lock, kInstanceWait, [&] { return pending->bBegun; }))
            return ERROR_SUCCESS;
        pending->changed.wait(lock, [&] { return pending->bEnded; });
        strBytes = std::move(pending->strBytes);
        return pending->dwError;
    }

private:
    // Many times what a writer that starts the program with its input needs to begin.
    static constexpr std::chrono::seconds kInstanceWait{2};

    struct SPendingRead {
        std::mutex mutex;
        std::condition_variable changed;
        bool bBegun = false; // bytes arrived, or the end
        bool bEnded = false;
        std::string strBytes;
        DWORD dwError = ERROR_SUCCESS;
    };

    // Every piece of the input to take, up to its end: 0, or the system's code.
    template <class Take> static DWORD ReadToEnd(HANDLE hInput, Take take) {
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
            take(buffer, dwRead);
        }
    }
};

// The first argument names the command: DSC calls "dsc ...", in any letter case as every command.
bool IsDscCall(const std::vector<std::string>& args) {
    std::string strCommand = args.empty() ? std::string() : args.front();
    for (char& ch : strCommand)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return strCommand == "dsc";
}

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
    if (IsDscCall(args)) {
        CDscMessages messages(err);
        return RunCommandLine(args, in, out, messages);
    }
    return RunCommandLine(args, in, out, err);
}
