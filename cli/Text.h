// Text between the registry's ANSI code page, the UTF-8 of the command line and of JSON, and
// the UTF-16 of the console; files by UTF-8 names; the system's messages.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <string>

std::wstring Utf8ToWide(const std::string& strUtf8);
std::string WideToUtf8(const std::wstring& strWide);
std::string AnsiToUtf8(const CString& strAnsi);
// false when the text is not UTF-8 or a character has no place in the ANSI code page (nothing
// is replaced by a look-alike).
bool Utf8ToAnsi(const std::string& strUtf8, CString& strAnsi);
// Text in the console's code page, for output that is not a console.
std::string Utf8ToCodePage(const std::string& strUtf8, UINT nCodePage);

// Text for a message, on one line and short: control characters written as escapes (\n, \t,
// \x01), and anything beyond nMaxCharacters cut off with "...".
std::string Excerpt(const std::string& strUtf8, size_t nMaxCharacters = 40);

// The system's message for an error code, in UTF-8 without its line break.
std::string SystemErrorText(DWORD dwError);

// Bytes of a text file as UTF-8: UTF-16 with its byte-order mark (as PowerShell's ">" writes)
// is converted, a UTF-8 byte-order mark (as Notepad saves) is dropped.
std::string DecodeText(const std::string& strBytes);
// 0, or the system's code.
DWORD ReadTextFile(const std::string& strPath, std::string& strBytes);
DWORD WriteTextFile(const std::string& strPath, const std::string& strUtf8);
