#include "logconfig/LogOptions.h"

#include <mbstring.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// Registry words, indexed by value; the last one is Default.
const char* const kLogLevelWords[] = {"Release", "Debug", "Trace", "None", "Default"};
const char* const kLogTypeWords[] = {"FatalError",  "Error", "Warning",
                                     "Information", "None",  "Default"};
static_assert(sizeof kLogLevelWords / sizeof *kLogLevelWords == LOG_LEVEL_DEFAULT + 1, "");
static_assert(sizeof kLogTypeWords / sizeof *kLogTypeWords == LOG_TYPE_DEFAULT + 1, "");

CString WordOf(const char* const* ppszWords, int nCount, int nValue) {
    return nValue >= 0 && nValue < nCount ? CString(ppszWords[nValue]) : CString();
}

bool AsciiEqualIgnoringCase(const unsigned char* pszLeft, const unsigned char* pszRight) {
    for (; *pszLeft && *pszRight; ++pszLeft, ++pszRight) {
        if (std::tolower(*pszLeft) != std::tolower(*pszRight))
            return false;
    }
    return *pszLeft == *pszRight;
}

// Index of the first word equal to strWord in any letter case; -1 when there is none. A text
// holding a NUL is no word, whatever comes before it.
int FindWord(const char* const* ppszWords, int nCount, const CString& strWord) {
    if (static_cast<size_t>(strWord.GetLength()) != std::strlen(strWord))
        return -1;
    const unsigned char* pszWord =
        reinterpret_cast<const unsigned char*>(static_cast<const char*>(strWord));
    // The words are ASCII, and an ASCII text compares with them as the multibyte comparison
    // would, without it: thousands of subsystems are read at once.
    const bool bAscii = std::all_of(pszWord, pszWord + strWord.GetLength(),
                                    [](unsigned char ch) { return ch < 0x80; });
    for (int nValue = 0; nValue < nCount; ++nValue) {
        const unsigned char* pszCandidate =
            reinterpret_cast<const unsigned char*>(ppszWords[nValue]);
        const bool bEqual = bAscii ? AsciiEqualIgnoringCase(pszWord, pszCandidate)
                                   : _mbsicmp(pszWord, pszCandidate) == 0;
        if (bEqual)
            return nValue;
    }
    return -1;
}

// Every word that is not one of the vocabulary before Default means Default.
int ValueOf(const char* const* ppszWords, int nDefault, const CString& strWord) {
    const int nValue = FindWord(ppszWords, nDefault, strWord);
    return nValue < 0 ? nDefault : nValue;
}

int FindOption(const SLogOption* pOptions, int nCount, int nValue) {
    for (int nRow = 0; nRow < nCount; ++nRow) {
        if (pOptions[nRow].nValue == nValue)
            return nRow;
    }
    return -1;
}

} // namespace

const SLogOption g_LogLevelOptions[kLogLevelOptionCount] = {
    {"Release", "Only Release events will be logged", LOG_LEVEL_RELEASE},
    {"Debug", "Debug and Release events will be logged", LOG_LEVEL_DEBUG},
    {"Trace", "Events of all levels will be logged", LOG_LEVEL_TRACE},
    {"None", "No events will be logged", LOG_LEVEL_NONE},
};

const SLogOption g_LogTypeOptions[kLogTypeOptionCount] = {
    {"Fatal Errors", "Only Fatal Errors will be logged", LOG_TYPE_FATAL_ERROR},
    {"Errors", "Errors and Fatal Errors will be logged", LOG_TYPE_ERROR},
    {"Warnings", "Warnings, Errors and Fatal Errors will be logged", LOG_TYPE_WARNING},
    {"Information", "Events of all types will be logged", LOG_TYPE_INFORMATION},
    {"None", "No events will be logged", LOG_TYPE_NONE},
};

CString LogLevelToString(int nLogLevel) {
    return WordOf(kLogLevelWords, LOG_LEVEL_DEFAULT + 1, nLogLevel);
}

CString LogTypeToString(int nLogType) {
    return WordOf(kLogTypeWords, LOG_TYPE_DEFAULT + 1, nLogType);
}

int StringToLogLevel(const CString& strLogLevel) {
    return ValueOf(kLogLevelWords, LOG_LEVEL_DEFAULT, strLogLevel);
}

int StringToLogType(const CString& strLogType) {
    return ValueOf(kLogTypeWords, LOG_TYPE_DEFAULT, strLogType);
}

int FindLogLevelWord(const CString& strWord) {
    return FindWord(kLogLevelWords, LOG_LEVEL_DEFAULT + 1, strWord);
}

int FindLogTypeWord(const CString& strWord) {
    return FindWord(kLogTypeWords, LOG_TYPE_DEFAULT + 1, strWord);
}

int FindLogLevelOption(int nLogLevel) {
    return FindOption(g_LogLevelOptions, kLogLevelOptionCount, nLogLevel);
}

int FindLogTypeOption(int nLogType) {
    return FindOption(g_LogTypeOptions, kLogTypeOptionCount, nLogType);
}

int EffectiveLogLevel(int nLogLevel, int nDefaultLogLevel) {
    return nLogLevel == LOG_LEVEL_DEFAULT ? nDefaultLogLevel : nLogLevel;
}

int EffectiveLogType(int nLogType, int nDefaultLogType) {
    return nLogType == LOG_TYPE_DEFAULT ? nDefaultLogType : nLogType;
}

bool LogLevelLogsEvent(int nLogLevel, int nEventLevel) {
    return nLogLevel >= LOG_LEVEL_RELEASE && nLogLevel <= LOG_LEVEL_TRACE &&
           nEventLevel >= LOG_LEVEL_RELEASE && nEventLevel <= nLogLevel;
}

bool LogTypeLogsEvent(int nLogType, int nEventType) {
    return nLogType >= LOG_TYPE_FATAL_ERROR && nLogType <= LOG_TYPE_INFORMATION &&
           nEventType >= LOG_TYPE_FATAL_ERROR && nEventType <= nLogType;
}
