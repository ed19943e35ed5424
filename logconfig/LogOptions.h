// The log level and log type vocabulary: values, the words stored in the registry, and the
// display tables behind the dialog's lists and descriptions.
#pragma once

#include "framework/CString.h"

// Which class of events is logged. Held as int in the settings objects.
enum ELogLevel {
    LOG_LEVEL_RELEASE = 0,
    LOG_LEVEL_DEBUG = 1,
    LOG_LEVEL_TRACE = 2,
    LOG_LEVEL_NONE = 3,
    LOG_LEVEL_DEFAULT = 4, // follow the default settings
};

// Which severities are logged. Held as int in the settings objects.
enum ELogType {
    LOG_TYPE_FATAL_ERROR = 0,
    LOG_TYPE_ERROR = 1,
    LOG_TYPE_WARNING = 2,
    LOG_TYPE_INFORMATION = 3,
    LOG_TYPE_NONE = 4,
    LOG_TYPE_DEFAULT = 5, // follow the default settings
};

// One row of a display table: combo-box entry, description, value. Default has no row.
struct SLogOption {
    const char* pszName;
    const char* pszDescription;
    int nValue;
};

constexpr int kLogLevelOptionCount = 4;
constexpr int kLogTypeOptionCount = 5;

// Row index equals nValue in both tables.
extern const SLogOption g_LogLevelOptions[kLogLevelOptionCount];
extern const SLogOption g_LogTypeOptions[kLogTypeOptionCount];

// Registry word of a value, spelt as stored; empty for a value outside the enumeration.
CString LogLevelToString(int nLogLevel);
CString LogTypeToString(int nLogType);

// Value of a registry word, compared without regard to case; anything else (including
// "Default") gives LOG_LEVEL_DEFAULT or LOG_TYPE_DEFAULT.
int StringToLogLevel(const CString& strLogLevel);
int StringToLogType(const CString& strLogType);

// The same comparison, telling a word of the vocabulary ("Default" included) from any other:
// -1 for a word that is not one, for those who must refuse it rather than follow the defaults.
int FindLogLevelWord(const CString& strWord);
int FindLogTypeWord(const CString& strWord);

// Row of the display table holding the value; -1 when there is none (the Default values).
int FindLogLevelOption(int nLogLevel);
int FindLogTypeOption(int nLogType);

// What a node follows: its own level or type, or the default settings' one for Default.
int EffectiveLogLevel(int nLogLevel, int nDefaultLogLevel);
int EffectiveLogType(int nLogType, int nDefaultLogType);

// Whether a setting logs an event of the given level (Release, Debug, Trace) or type
// (FatalError to Information): each level logs its own events and those of the levels before
// it, each type its own severity and the graver ones; None and Default log nothing.
bool LogLevelLogsEvent(int nLogLevel, int nEventLevel);
bool LogTypeLogsEvent(int nLogType, int nEventType);
