#include "cli/StandardStreams.h"
#include "cli/Text.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// A pipe may take less than it is given; a closed one or a full disk says so.
template <class Char, class Function>
DWORD WriteAll(const Char* p, size_t nLength, Function write) {
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

// Every piece of the input to take, up to its end: 0, or the system's code.
template <class Take> DWORD ReadToEnd(HANDLE hInput, Take take) {
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

struct SPendingRead {
    std::mutex mutex;
    std::condition_variable changed;
    bool bBegun = false; // bytes arrived, or the end
    bool bEnded = false;
    std::string strBytes;
    DWORD dwError = ERROR_SUCCESS;
};

} // namespace

CStandardOutput::CStandardOutput(DWORD dwWhich) : m_hOutput(::GetStdHandle(dwWhich)) {}

DWORD CStandardOutput::WriteText(const std::string& strUtf8) {
    return Write(strUtf8, false);
}

DWORD CStandardOutput::WriteDocument(const std::string& strUtf8) {
    return Write(strUtf8, true);
}

DWORD CStandardOutput::Write(const std::string& strUtf8, bool bDocument) {
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

DWORD CStandardInput::ReadAll(std::string& strBytes) {
    return ReadToEnd(::GetStdHandle(STD_INPUT_HANDLE),
                     [&](const char* p, DWORD n) { strBytes.append(p, n); });
}

DWORD CStandardInput::ReadIfGiven(std::string& strBytes) {
    const HANDLE hInput = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD dwMode = 0;
    if (hInput == nullptr || hInput == INVALID_HANDLE_VALUE || ::GetConsoleMode(hInput, &dwMode))
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
