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
    // Nobody sees such a character where the name is typed or shown, so the key would stand
    // beside the one meant; a NUL would even cut the key's name short.
    SUBSYSTEM_NAME_CONTROL_CHARACTER,
};

// The first rule a new subsystem's name breaks: 1 to kMaxSubSystemNameLength bytes, no
// backslash, no control character (0x00 to 0x1F and 0x7F). The same for the Add dialog and for
// every command that creates a subsystem. Nothing else is refused: blanks (at either end too),
// any letter case and every other character of the code page are kept as they are, as the
// components read such keys.
ESubSystemNameRule CheckSubSystemName(const CString& strName);
// The same for a name given for an existing subsystem, which only has to name a key at all: not
// empty, no backslash, no NUL (a control character). The other rules are for new names only:
// names found in the registry are taken as they are.
ESubSystemNameRule CheckExistingSubSystemName(const CString& strName);
// A blank at either end: allowed, but easily missed when the name is read.
bool HasSurroundingBlank(const CString& strName);

// The form in which names are compared as the registry compares key names, regardless of
// letter case: two names with the same key name the same subsystem.
CString SubSystemNameKey(const CString& strName);

// Whether two names in UTF-16 name the same key, as the registry compares key names: regardless
// of letter case, character by character.
bool SameSubSystemKeyName(const std::wstring& strLeft, const std::wstring& strRight);

// The order of the dialog's tree: lstrcmpi's case-insensitive word sort.
bool SubSystemDisplayOrderLess(const CString& strLeft, const CString& strRight);

// A name in UTF-16 as the ANSI code page (or the one given) holds it: false when a character has
// no place there and would be dropped or turned into a look-alike or a question mark, which
// would name another key or none. Under UTF-8 as the ANSI code page every name converts.
bool WideToCodePage(const std::wstring& strWide, UINT nCodePage, CString& strName);
bool CodePageHolds(const std::wstring& strWide, UINT nCodePage = CP_ACP);
