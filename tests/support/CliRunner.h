// The command line's commands run in process, as quarnlogcfg.exe runs them: what each prints on
// its two outputs and its exit code; and the whole sandboxed configuration as text, to tell any
// write.
#pragma once

#include "cli/CommandLine.h"

#include <string>
#include <vector>

namespace testing_support {

struct CliResult {
    int code;
    std::string out, err;
};

// stdinText is what "-" reads. outFailure, when not 0, is the system's code that every write to
// the standard output fails with.
CliResult Cli(const std::vector<std::string>& args, const std::string& stdinText = std::string(),
              DWORD outFailure = 0);

// A file in the temporary folder with that content; its path.
std::string TempFile(const std::string& name, const std::string& content);
std::string ReadFile(const std::string& path);

// Every key below the sandboxed HKEY_LOCAL_MACHINE's SOFTWARE, in UTF-16 read as UTF-8, with
// every value's name, type and bytes.
std::string Snapshot();

// A key below the configuration's base key by a UTF-16 name, as a Unicode program writes it.
void CreateWideSubSystemKey(const std::wstring& name);

} // namespace testing_support
