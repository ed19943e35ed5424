// Conversions between the registry's ANSI text, the UTF-8 of the command line and of JSON, and
// the UTF-16 of the console; files by UTF-8 names.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <string>

std::wstring Utf8ToWide(const std::string& strUtf8);
std::string WideToUtf8(const std::wstring& strWide);
std::string AnsiToUtf8(const CString& strAnsi);
// false when a character has no place in the ANSI code page (nothing is replaced by a look-alike).
bool Utf8ToAnsi(const std::string& strUtf8, CString& strAnsi);
// Text in the console's code page, for output that is not a console.
std::string Utf8ToCodePage(const std::string& strUtf8, UINT nCodePage);

// 0, or the system's code. A file in UTF-16 with its byte-order mark (as PowerShell's ">"
// writes) is turned into UTF-8; a UTF-8 byte-order mark is dropped.
DWORD ReadTextFile(const std::string& strPath, std::string& strUtf8);
DWORD WriteTextFile(const std::string& strPath, const std::string& strUtf8);
