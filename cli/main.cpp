// quarnlogcfg: the logging configuration from the command line, for administrators' scripts.
#include "cli/CommandLine.h"
#include "cli/DscMessages.h"
#include "cli/StandardStreams.h"
#include "cli/Text.h"

#include <windows.h>

#include <shellapi.h>

#include <cctype>

namespace {

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
