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

// Longest value that can be read, in bytes; longer data counts as unreadable.
constexpr DWORD kRegistryValueBufferSize = 200;
// Name buffer for enumerating the subsystem keys, in characters.
constexpr DWORD kSubSystemNameBufferSize = 512;

// The key of one subsystem: the base key, a backslash and the name as it is.
CString SubSystemKeyPath(const CString& strName);

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
CString FormatDayCount(int nDays);

// "ExpireLogsAfter" on an open base key. The read leaves nDays untouched and returns false when
// the value cannot be read; any text that can be read converts to a number.
bool ReadExpireLogsAfter(HKEY hKey, int& nDays);
LONG WriteExpireLogsAfter(HKEY hKey, int nDays);

// Names of the subsystem keys, in the order the registry gives them. The base key is opened for
// reading and writing, so it is created when it does not exist yet; empty when it cannot be.
std::vector<CString> EnumerateSubSystemNames();
