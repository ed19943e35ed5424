// explain: whether a subsystem logs an event of a level and a type, and why; the exit code
// answers for scripts.
#include "cli/Command.h"
#include "cli/Document.h"
#include "cli/Text.h"
#include "logconfig/LogOptions.h"

namespace {

std::string List(const std::vector<std::string>& words) {
    std::string strList;
    for (size_t i = 0; i < words.size(); ++i)
        strList += (i == 0 ? "" : i + 1 == words.size() ? " and " : ", ") + words[i];
    return strList;
}

// "its level Default, that is the default settings' Trace, logs Release, Debug and Trace events"
std::string Reason(const char* pszWhat, int nOwn, int nEffective, bool bFollows, int nFirst,
                   int nLastReal, std::string (*pfnWord)(int), bool (*pfnLogs)(int, int)) {
    std::string strReason = std::string("its ") + pszWhat + " " + pfnWord(nOwn);
    if (bFollows)
        strReason += ", that is the default settings' " + pfnWord(nEffective) + ",";
    std::vector<std::string> logged;
    for (int n = nFirst; n <= nLastReal; ++n) {
        if (pfnLogs(nEffective, n))
            logged.push_back(pfnWord(n));
    }
    return strReason + " logs " + (logged.empty() ? "no events" : List(logged) + " events");
}

} // namespace

int Explain(const std::string& strName, const std::string& strLevel, const std::string& strType,
            SConsole& console) {
    int nEventLevel = 0, nEventType = 0;
    if (!ParseLevelWord(strLevel, false, nEventLevel) || nEventLevel == LOG_LEVEL_NONE)
        Refuse(kExitBadInput,
               Quoted(strLevel) + " is not an event's level: Release, Debug or Trace");
    if (!ParseTypeWord(strType, false, nEventType) || nEventType == LOG_TYPE_NONE)
        Refuse(kExitBadInput, Quoted(strType) +
                                  " is not an event's type: FatalError, Error, Warning or "
                                  "Information");
    CStoredConfiguration stored;
    ReadMachine(stored, {strName});
    const CSubSystemLogSettings& settings = *FindSubSystem(stored, strName).pSettings;
    const CDefaultLogSettings& defaults = stored.m_defaultSettings;
    const int nLevel = EffectiveLogLevel(settings.GetLogLevel(), defaults.GetLogLevel());
    const int nType = EffectiveLogType(settings.GetLogType(), defaults.GetLogType());
    const bool bLogged =
        LogLevelLogsEvent(nLevel, nEventLevel) && LogTypeLogsEvent(nType, nEventType);

    const std::string strSubject = Excerpt(AnsiToUtf8(settings.GetName()), 64);
    const std::string strEvent = LevelWord(nEventLevel) + " " + TypeWord(nEventType) + " events";
    std::string strText = strSubject + (bLogged ? " logs " : " does not log ") + strEvent + ".\n";
    if (!settings.IsEnabled()) {
        strText += "It is switched off: its level and type are None and None.\n";
    } else {
        strText +=
            "Because " +
            Reason("level", settings.GetLogLevel(), nLevel,
                   settings.GetLogLevel() == LOG_LEVEL_DEFAULT, LOG_LEVEL_RELEASE, LOG_LEVEL_TRACE,
                   &LevelWord, &LogLevelLogsEvent) +
            ", and " +
            Reason("type", settings.GetLogType(), nType, settings.GetLogType() == LOG_TYPE_DEFAULT,
                   LOG_TYPE_FATAL_ERROR, LOG_TYPE_INFORMATION, &TypeWord, &LogTypeLogsEvent) +
            ".\n";
    }
    Print(console, strText);
    return bLogged ? kExitDone : kExitFound;
}
