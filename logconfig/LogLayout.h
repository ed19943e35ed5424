// Where and how the logging configuration is kept in the registry. The logging components read
// the same keys and values, so the names and text formats here are fixed.
//
// Below HKEY_LOCAL_MACHINE:
//   kLogConfigBaseKey              DefaultLogLevel, DefaultLogType, ExpireLogsAfter
//   kLogConfigBaseKey\<subsystem>  LogLevel, LogType
// Every value is REG_SZ text with its terminating NUL; nothing is ever deleted.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <string>
#include <vector>

inline constexpr char kLogConfigBaseKey[] = "SOFTWARE\\Brivantex\\Quarns\\QuarnEventLogging";

inline constexpr char kDefaultLogLevelValueName[] = "DefaultLogLevel";
inline constexpr char kDefaultLogTypeValueName[] = "DefaultLogType";
inline constexpr char kExpireLogsAfterValueName[] = "ExpireLogsAfter";
inline constexpr char kLogLevelValueName[] = "LogLevel";
inline constexpr char kLogTypeValueName[] = "LogType";

// What the base key's values mean when they cannot be read. A subsystem's missing values are
// empty words, which mean Default.
inline constexpr char kDefaultLogLevelWord[] = "Release";
inline constexpr char kDefaultLogTypeWord[] = "Error";
inline constexpr int kDefaultExpireLogsAfterDays = 2;
// The day counts that may be stored.
inline constexpr int kMinExpireLogsAfterDays = 1;
inline constexpr int kMaxExpireLogsAfterDays = 365;

// Longest value that can be read, in bytes; longer data counts as unreadable.
constexpr DWORD kRegistryValueBufferSize = 200;
// Name buffer for enumerating the subsystem keys, in characters.
constexpr DWORD kSubSystemNameBufferSize = 512;

// The key of one subsystem: the base key, a backslash and the name as it is.
CString SubSystemKeyPath(const CString& strName);

// One value as stored: whether it could be read, its registry type and all its bytes.
struct SRegistryValue {
    LONG lStatus = ERROR_FILE_NOT_FOUND; // of the read; a long value is read whole all the same
    DWORD dwType = REG_NONE;
    std::string data;

    bool Exists() const { return lStatus == ERROR_SUCCESS; }
    // Whether the dialog can read it: present and no longer than kRegistryValueBufferSize.
    bool IsReadableAsText() const;
    // The bytes up to the first NUL, or all of them when they hold none.
    CString Text() const;
};

// Reads a value with its type; lStatus is ERROR_INVALID_HANDLE when hKey is null.
SRegistryValue ReadRegistryValue(HKEY hKey, const char* pszValueName);

// Reads a value of any registry type as text: the bytes returned up to the first NUL, or all of
// them when they hold none. false (strText untouched) when hKey is null or the value is missing,
// longer than kRegistryValueBufferSize or otherwise unreadable, so that the caller's default
// stays.
bool ReadRegistryText(HKEY hKey, const char* pszValueName, CString& strText);

// Writes REG_SZ text including its terminating NUL; returns the registry's status.
LONG WriteRegistryText(HKEY hKey, const char* pszValueName, const CString& strText);

// Day counts are decimal text in the "C" locale whatever locale the program runs in. Parsing
// takes optional leading white space, an optional sign and digits up to the first other
// character; no digits give 0, and a number beyond the range of int gives INT_MIN or INT_MAX.
int ParseDayCount(const char* pszText);
// A day count as the dialog reads it from a stored value: kDefaultExpireLogsAfterDays when the
// value cannot be read as text.
int DayCountOf(const SRegistryValue& value);
// Whether a number of days may be stored: kMinExpireLogsAfterDays to kMaxExpireLogsAfterDays.
bool IsStorableDayCount(long long nDays);
// Whether the text is a day count that may be stored: decimal digits alone, with a value from
// kMinExpireLogsAfterDays to kMaxExpireLogsAfterDays, which goes to nDays.
bool ParseStoredDayCount(const std::string& strText, int& nDays);
CString FormatDayCount(int nDays);

// "ExpireLogsAfter" on an open base key. The read leaves nDays untouched and returns false when
// the value cannot be read; any text that can be read converts to a number.
bool ReadExpireLogsAfter(HKEY hKey, int& nDays);
LONG WriteExpireLogsAfter(HKEY hKey, int nDays);

// Names of the subsystem keys, in the order the registry gives them. The base key is opened for
// reading and writing, so it is created when it does not exist yet; empty when it cannot be.
//
// Names come in the ANSI code page. A key whose name the code page cannot hold (one written by a
// Unicode program, such as "日志") comes back as something else: question marks, or a look-alike
// ("Āb" as "Ab"). Such a name either opens no key at all, which whoever opens it finds out, or
// repeats the name of a real key in some letter case, which the registry never does otherwise:
// a repeat is left out, so that no key is read or written twice under one name.
std::vector<CString> EnumerateSubSystemNames();
// The same below a base key opened already; empty when hBaseKey is null. pnRepeats, if given,
// counts the names left out as repeats.
std::vector<CString> EnumerateSubSystemNames(HKEY hBaseKey, size_t* pnRepeats = nullptr);
// The names, in UTF-16, of the subsystem keys whose names the ANSI code page cannot hold: for
// telling an administrator which keys are out of reach, and for deleting them by these names.
// Empty when hBaseKey is null.
std::vector<std::wstring> SubSystemNamesBeyondCodePage(HKEY hBaseKey, UINT nCodePage = CP_ACP);

// Deletes a subsystem's key with everything below it, by its name in UTF-16: any name, also one
// that the ANSI code page cannot hold. 0, or the system's code.
LONG DeleteSubSystemKey(const std::wstring& strName);
