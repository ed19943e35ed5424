// What a document asks the machine to change, worked out before anything is written: import,
// set and add carry it out (or, with --what-if, only tell it), and check --expect decides from
// it whether the machine complies. A value is written where the dialog would read another one,
// or where it is stored in a way the dialog or the components could misread; nothing else is
// touched, so a second run of the same document changes nothing.
#pragma once

#include "cli/Command.h"
#include "cli/Document.h"
#include "logconfig/StoredConfiguration.h"

#include <optional>
#include <string>
#include <vector>

struct SValueChange {
    CString strText;      // the word or day count to write
    std::string strWas;   // the stored value, for messages
    std::string strRead;  // what the dialog reads now (empty for a new key)
    bool bDiffers;        // the dialog reads another value; otherwise it is stored badly
    SRegistryValue after; // the value once written
};

struct SNodeChange {
    CString strName;   // the subsystem's key name; empty for the base key
    bool bNew = false; // the key is created
    std::optional<SValueChange> level, type;
};

struct SChanges {
    std::optional<SValueChange> expireLogsAfter;
    SNodeChange defaults;
    std::vector<SNodeChange> subSystems; // those with something to do, in the document's order

    bool IsEmpty() const;
};

// What the document changes. Refused (exit code 2) when it would create a subsystem whose name
// breaks the rules of new names; with bCreate false, a subsystem that does not exist is refused
// with exit code 1 instead.
SChanges PlanChanges(const CStoredConfiguration& stored, const SConfigurationDocument& document,
                     bool bCreate);

// Writes the changes, a line each and a summary at the end, on the standard output, or with
// bToErrorOutput on the standard error (where the output carries a document instead); with
// bWhatIf only the lines of what would change. Exit code 3 when the registry refuses a write.
void MakeChanges(const SChanges& changes, bool bWhatIf, SConsole& console,
                 bool bToErrorOutput = false);
