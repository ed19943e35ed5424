// What may name a subsystem, and the order in which subsystems are shown.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <string>

// Names count bytes of the ANSI code page.
constexpr int kMaxSubSystemNameLength = 32;

enum ESubSystemNameRule {
    SUBSYSTEM_NAME_OK,
    SUBSYSTEM_NAME_TOO_LONG, // tested first
    SUBSYSTEM_NAME_EMPTY,
    // The name becomes a registry key below the configuration: a backslash would make it a path
    // of nested keys, and the subsystem would not be found under its name again.
    SUBSYSTEM_NAME_BACKSLASH,
    // Below, rules for names that come from files and scripts, where nobody sees them typed.
    SUBSYSTEM_NAME_CONTROL_CHARACTER, // a NUL would even cut the key's name short
    SUBSYSTEM_NAME_SURROUNDING_BLANKS,
};

// The first rule a new subsystem's name breaks, as the Add dialog checks what is typed there.
// Nothing else is refused: blanks, any letter case and every other character of the code page
// are kept as they are.
ESubSystemNameRule CheckSubSystemName(const CString& strName);
// The same, and no control character and no blank at either end: the rules for a new name
// given in a file or on a command line, where such a character is a mistake that nobody sees
// and that would make a key beside the one meant.
ESubSystemNameRule CheckUnattendedSubSystemName(const CString& strName);
// Whether a name given for an existing subsystem can name a key at all: not empty, no backslash,
// no NUL. The other rules are for new names only: names found in the registry are taken as they
// are.
bool CanNameSubSystemKey(const CString& strName);

// The form in which names are compared as the registry compares key names, regardless of
// letter case: two names with the same key name the same subsystem.
CString SubSystemNameKey(const CString& strName);

// The order of the dialog's tree: lstrcmpi's case-insensitive word sort.
bool SubSystemDisplayOrderLess(const CString& strLeft, const CString& strRight);

// A name in UTF-16 as the ANSI code page (or the one given) holds it: false when a character has
// no place there and would be dropped or turned into a look-alike or a question mark, which
// would name another key or none. Under UTF-8 as the ANSI code page every name converts.
bool WideToCodePage(const std::wstring& strWide, UINT nCodePage, CString& strName);
bool CodePageHolds(const std::wstring& strWide, UINT nCodePage = CP_ACP);
