// show: the configuration as the dialog loads it, as a table or as the JSON document.
#include "cli/Command.h"
#include "cli/Document.h"
#include "cli/Text.h"
#include "logconfig/LogOptions.h"

#include <algorithm>

namespace {

size_t DisplayWidth(const std::string& strUtf8) {
    return Utf8ToWide(strUtf8).size();
}

bool Logs(int nEffectiveLevel, int nEffectiveType) {
    return LogLevelLogsEvent(nEffectiveLevel, LOG_LEVEL_RELEASE) &&
           LogTypeLogsEvent(nEffectiveType, LOG_TYPE_FATAL_ERROR);
}

std::string Table(const std::vector<std::vector<std::string>>& rows) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    std::string strTable;
    for (const auto& row : rows) {
        std::string strLine;
        for (size_t i = 0; i < row.size(); ++i) {
            strLine += row[i];
            if (i + 1 < row.size())
                strLine += std::string(widths[i] - DisplayWidth(row[i]) + 2, ' ');
        }
        strTable += strLine + "\n";
    }
    return strTable;
}

} // namespace

int Show(const std::vector<std::string>& names, bool bJson, SConsole& console) {
    CStoredConfiguration stored;
    ReadMachine(stored);
    const auto selected = FindSubSystems(stored, names);
    const auto* pSelected = names.empty() ? nullptr : &selected;
    if (names.empty())
        NoteKeysLeftOut(stored, console);
    if (bJson) {
        PrintDocument(console, ConfigurationDocument(stored, pSelected).dump(2, ' ', false) + "\n");
        return kExitDone;
    }

    const CDefaultLogSettings& defaults = stored.m_defaultSettings;
    std::vector<std::vector<std::string>> rows = {
        {"Name", "Level", "Type", "Effective level", "Effective type", "Logs"}};
    auto addRow = [&](const CSubSystemLogSettings& settings) {
        const int nLevel = EffectiveLogLevel(settings.GetLogLevel(), defaults.GetLogLevel());
        const int nType = EffectiveLogType(settings.GetLogType(), defaults.GetLogType());
        rows.push_back({Excerpt(AnsiToUtf8(settings.GetName()), 64),
                        LevelWord(settings.GetLogLevel()), TypeWord(settings.GetLogType()),
                        LevelWord(nLevel), TypeWord(nType), Logs(nLevel, nType) ? "yes" : "no"});
    };
    addRow(defaults);
    if (pSelected) {
        for (const auto* pSubSystem : selected)
            addRow(*pSubSystem->pSettings);
    } else {
        for (const auto& subSystem : stored.m_subSystems)
            addRow(*subSystem.pSettings);
    }
    std::string strText;
    if (!stored.m_bBaseKeyExists)
        strText = "Nothing is configured: " + kBaseKeyDisplay +
                  " does not exist, so the defaults below apply.\n";
    Print(console, strText + "Delete logs older than " + std::to_string(stored.m_nExpireLogsAfter) +
                       " days\n\n" + Table(rows));
    return kExitDone;
}
