#include "cli/Problems.h"

#include "cli/Command.h"
#include "cli/Document.h"
#include "cli/Text.h"
#include "logconfig/LogOptions.h"

namespace {

std::string TypeName(DWORD dwType) {
    switch (dwType) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN:
        return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK:
        return "REG_LINK";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    case REG_QWORD:
        return "REG_QWORD";
    default:
        return "type " + std::to_string(dwType);
    }
}

bool IsTextType(DWORD dwType) {
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ;
}

bool IsLevel(EValueKind kind) {
    return kind == kDefaultLevelValue || kind == kLevelValue;
}

// What the dialog makes of a value it can read: a day count, or the word of the level or type.
std::string Reading(EValueKind kind, const SRegistryValue& value) {
    if (kind == kDayCountValue)
        return std::to_string(ParseDayCount(value.Text()));
    return IsLevel(kind) ? LevelWord(StringToLogLevel(value.Text()))
                         : TypeWord(StringToLogType(value.Text()));
}

// What is wrong with text the dialog can read: "" when nothing.
std::string ContentProblem(EValueKind kind, const SRegistryValue& value) {
    const CString strStored = value.Text();
    if (kind == kDayCountValue) {
        int nDays = 0;
        if (ParseStoredDayCount(std::string(strStored, static_cast<size_t>(strStored.GetLength())),
                                nDays))
            return std::string();
        return "holds " + Quoted(AnsiToUtf8(strStored)) + ", not " + DayCountText() +
               " in decimal digits (the dialog reads " + Reading(kind, value) + ")";
    }
    const int nWord =
        IsLevel(kind) ? FindLogLevelWord(value.Text()) : FindLogTypeWord(value.Text());
    const int nDefault =
        IsLevel(kind) ? static_cast<int>(LOG_LEVEL_DEFAULT) : static_cast<int>(LOG_TYPE_DEFAULT);
    const bool bDefaultSettings = kind == kDefaultLevelValue || kind == kDefaultTypeValue;
    if (nWord < 0)
        return "holds " + Quoted(AnsiToUtf8(strStored)) + ", which is not a " +
               (IsLevel(kind) ? "level" : "type") + ", so the dialog shows \"Default\"";
    if (nWord == nDefault && bDefaultSettings)
        return "holds \"Default\", which the default settings cannot follow";
    return std::string();
}

} // namespace

const char* ValueName(EValueKind kind) {
    switch (kind) {
    case kDayCountValue:
        return kExpireLogsAfterValueName;
    case kDefaultLevelValue:
        return kDefaultLogLevelValueName;
    case kDefaultTypeValue:
        return kDefaultLogTypeValueName;
    case kLevelValue:
        return kLogLevelValueName;
    case kTypeValue:
        break;
    }
    return kLogTypeValueName;
}

std::string Holds(const SRegistryValue& value) {
    if (!value.Exists())
        return "missing";
    if (IsTextType(value.dwType))
        return Quoted(AnsiToUtf8(value.Text()));
    if (value.dwType == REG_DWORD && value.data.size() == sizeof(DWORD)) {
        DWORD dwValue = 0;
        memcpy(&dwValue, value.data.data(), sizeof dwValue);
        return std::to_string(dwValue);
    }
    if (value.dwType == REG_QWORD && value.data.size() == sizeof(ULONGLONG)) {
        ULONGLONG nValue = 0;
        memcpy(&nValue, value.data.data(), sizeof nValue);
        return std::to_string(nValue);
    }
    return std::to_string(value.data.size()) + " bytes";
}

std::vector<std::string> ValueProblems(EValueKind kind, const SRegistryValue& value) {
    std::vector<std::string> problems;
    if (!value.Exists())
        return problems;
    const std::string strName = ValueName(kind);
    if (!value.IsReadableAsText()) {
        problems.push_back(strName + " holds " + std::to_string(value.data.size()) + " bytes" +
                           (value.dwType == REG_SZ ? "" : " of " + TypeName(value.dwType)) +
                           ", more than the " + std::to_string(kRegistryValueBufferSize) +
                           " that the dialog reads, so it counts as missing");
        return problems;
    }
    // Data of another type is read as text all the same: one line says what comes of it.
    if (!IsTextType(value.dwType)) {
        problems.push_back(strName + " is " + TypeName(value.dwType) + " " + Holds(value) +
                           ", not REG_SZ text: the dialog reads it as " +
                           Quoted(AnsiToUtf8(value.Text())) + ", that is " + Reading(kind, value));
        return problems;
    }
    if (value.dwType != REG_SZ)
        problems.push_back(strName + " is " + TypeName(value.dwType) + ", not REG_SZ");
    std::string strContent = ContentProblem(kind, value);
    if (!strContent.empty())
        problems.push_back(strName + " " + strContent);
    return problems;
}

std::string SNodeValues::Key() const {
    return bDefaultSettings ? kBaseKeyDisplay : SubSystemKeyDisplay(strName);
}

void FindNodeProblems(const SNodeValues& node, std::vector<SProblem>& problems) {
    std::vector<std::string> found =
        ValueProblems(node.bDefaultSettings ? kDefaultLevelValue : kLevelValue, node.level);
    for (std::string& strWhat :
         ValueProblems(node.bDefaultSettings ? kDefaultTypeValue : kTypeValue, node.type))
        found.push_back(std::move(strWhat));
    const int nLevel = node.pSettings->GetLogLevel();
    const int nType = node.pSettings->GetLogType();
    if ((nLevel == LOG_LEVEL_NONE) != (nType == LOG_TYPE_NONE))
        found.push_back(
            std::string(ValueName(node.bDefaultSettings ? kDefaultLevelValue : kLevelValue)) + " " +
            LevelWord(nLevel) + " with " +
            ValueName(node.bDefaultSettings ? kDefaultTypeValue : kTypeValue) + " " +
            TypeWord(nType) + " logs nothing, but only None and None is switched off");
    if (found.empty())
        return;
    const std::string strKey = node.Key();
    for (std::string& strWhat : found)
        problems.push_back({strKey, std::move(strWhat)});
}

SProblem KeyBeyondCodePageProblem(const std::string& strNameUtf8) {
    return {kBaseKeyDisplay + "\\" + Excerpt(strNameUtf8, 64),
            "the name cannot be read or written through the ANSI code page (" +
                std::to_string(::GetACP()) +
                "): the dialog and the components that use it do not see this subsystem"};
}
