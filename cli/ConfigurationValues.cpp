#include "cli/ConfigurationValues.h"

#include "cli/Command.h"
#include "logconfig/LogOptions.h"
#include "logconfig/SubSystemName.h"

namespace {

boost::shared_ptr<const CSubSystemLogSettings> DefaultSettingsOf(const SRegistryValue& level,
                                                                 const SRegistryValue& type) {
    boost::shared_ptr<CDefaultLogSettings> pDefaults(new CDefaultLogSettings);
    pDefaults->LoadStoredDefaults(level, type);
    return pDefaults;
}

} // namespace

CConfigurationValues::CConfigurationValues(const CStoredConfiguration& stored,
                                           const SChanges* pChanges,
                                           std::vector<std::string> keysBeyondCodePage)
    : m_expireLogsAfter(pChanges && pChanges->expireLogsAfter ? pChanges->expireLogsAfter->after
                                                              : stored.m_expireLogsAfter),
      m_keysBeyondCodePage(std::move(keysBeyondCodePage)) {
    AddNode(CString(), true, stored.m_defaultLevel, stored.m_defaultType,
            DefaultSettingsOf(stored.m_defaultLevel, stored.m_defaultType),
            pChanges ? &pChanges->defaults : nullptr);

    std::unordered_map<std::string, const SNodeChange*> changeOf;
    if (pChanges) {
        for (const SNodeChange& change : pChanges->subSystems)
            changeOf.emplace(static_cast<const char*>(SubSystemNameKey(change.strName)), &change);
    }
    for (const CStoredConfiguration::SSubSystem& subSystem : stored.m_subSystems) {
        const CString strName = subSystem.pSettings->GetName();
        const auto it = changeOf.find(static_cast<const char*>(SubSystemNameKey(strName)));
        AddNode(strName, false, subSystem.level, subSystem.type, subSystem.pSettings,
                it == changeOf.end() ? nullptr : it->second);
    }
    if (pChanges) {
        // A new key gets both its values written, so they replace the missing ones below.
        const SRegistryValue missing;
        for (const SNodeChange& change : pChanges->subSystems) {
            if (change.bNew)
                AddNode(change.strName, false, missing, missing, nullptr, &change);
        }
    }
}

void CConfigurationValues::AddNode(const CString& strName, bool bDefaultSettings,
                                   const SRegistryValue& level, const SRegistryValue& type,
                                   const boost::shared_ptr<const CSubSystemLogSettings>& pSettings,
                                   const SNodeChange* pChange) {
    SNodeValues node{strName, bDefaultSettings, level, type, pSettings};
    if (pChange && (pChange->level || pChange->type)) {
        if (pChange->level)
            node.level = pChange->level->after;
        if (pChange->type)
            node.type = pChange->type->after;
        if (bDefaultSettings) {
            node.pSettings = DefaultSettingsOf(node.level, node.type);
        } else {
            boost::shared_ptr<CSubSystemLogSettings> pAfter(new CSubSystemLogSettings(strName));
            pAfter->LoadStoredValues(node.level, node.type);
            node.pSettings = pAfter;
        }
    }
    if (!bDefaultSettings)
        m_nodeOfName.emplace(static_cast<const char*>(SubSystemNameKey(strName)), m_nodes.size());
    m_nodes.push_back(std::move(node));
}

std::vector<SProblem> CConfigurationValues::Problems() const {
    std::vector<SProblem> problems;
    for (std::string& strWhat : ValueProblems(kDayCountValue, m_expireLogsAfter))
        problems.push_back({kBaseKeyDisplay, std::move(strWhat)});
    for (const SNodeValues& node : m_nodes)
        FindNodeProblems(node, problems);
    for (const std::string& strName : m_keysBeyondCodePage)
        problems.push_back(KeyBeyondCodePageProblem(strName));
    return problems;
}

std::vector<std::string>
CConfigurationValues::UnmetExpectations(const SConfigurationDocument& document) const {
    std::vector<std::string> lines;
    const CSubSystemLogSettings& defaults = DefaultSettings();
    for (const SDocumentNode& expected : document.subSystems) {
        if (!expected.nEffectiveLevel && !expected.nEffectiveType)
            continue;
        const auto it =
            m_nodeOfName.find(static_cast<const char*>(SubSystemNameKey(expected.strName)));
        if (it == m_nodeOfName.end())
            continue;
        const SNodeValues& node = m_nodes[it->second];
        const int nLevel = EffectiveLogLevel(node.pSettings->GetLogLevel(), defaults.GetLogLevel());
        const int nType = EffectiveLogType(node.pSettings->GetLogType(), defaults.GetLogType());
        if (expected.nEffectiveLevel && *expected.nEffectiveLevel != nLevel)
            lines.push_back(node.Key() + ": the effective level is " + LevelWord(nLevel) +
                            ", expected " + LevelWord(*expected.nEffectiveLevel));
        if (expected.nEffectiveType && *expected.nEffectiveType != nType)
            lines.push_back(node.Key() + ": the effective type is " + TypeWord(nType) +
                            ", expected " + TypeWord(*expected.nEffectiveType));
    }
    return lines;
}

int CConfigurationValues::ExpireLogsAfter() const {
    return DayCountOf(m_expireLogsAfter);
}

const CSubSystemLogSettings& CConfigurationValues::DefaultSettings() const {
    return *m_nodes.front().pSettings;
}

const CSubSystemLogSettings* CConfigurationValues::SubSystem(const CString& strName) const {
    const auto it = m_nodeOfName.find(static_cast<const char*>(SubSystemNameKey(strName)));
    return it == m_nodeOfName.end() ? nullptr : m_nodes[it->second].pSettings.get();
}
