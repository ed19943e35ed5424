#include "cli/ConfigurationValues.h"

#include "cli/Command.h"
#include "logconfig/LogOptions.h"
#include "logconfig/SubSystemName.h"

CConfigurationValues::CConfigurationValues(const CStoredConfiguration& stored,
                                           const SChanges* pChanges,
                                           const std::vector<std::string>& keysBeyondCodePage)
    : m_keysBeyondCodePage(keysBeyondCodePage) {
    m_pExpireLogsAfter = pChanges && pChanges->expireLogsAfter ? &pChanges->expireLogsAfter->after
                                                               : &stored.m_expireLogsAfter;
    AddNode(CString(), true, stored.m_defaultLevel, stored.m_defaultType, stored.m_defaultSettings,
            pChanges ? &pChanges->defaults : nullptr);

    std::unordered_map<std::string, const SNodeChange*> changeOf;
    if (pChanges) {
        for (const SNodeChange& change : pChanges->subSystems)
            changeOf.emplace(static_cast<const char*>(SubSystemNameKey(change.strName)), &change);
    }
    for (const CStoredConfiguration::SSubSystem& subSystem : stored.m_subSystems) {
        const CString strName = subSystem.pSettings->GetName();
        const auto it = changeOf.find(static_cast<const char*>(SubSystemNameKey(strName)));
        AddNode(strName, false, subSystem.level, subSystem.type, *subSystem.pSettings,
                it == changeOf.end() ? nullptr : it->second);
    }
    if (pChanges) {
        // A new key gets both its values written, so they replace the missing ones below.
        static const SRegistryValue kMissing;
        for (const SNodeChange& change : pChanges->subSystems) {
            if (change.bNew)
                AddNode(change.strName, false, kMissing, kMissing,
                        CSubSystemLogSettings(change.strName), &change);
        }
    }
}

void CConfigurationValues::AddNode(const CString& strName, bool bDefaultSettings,
                                   const SRegistryValue& level, const SRegistryValue& type,
                                   const CSubSystemLogSettings& settings,
                                   const SNodeChange* pChange) {
    SNodeValues node{strName, bDefaultSettings, &level, &type, &settings};
    if (pChange && (pChange->level || pChange->type)) {
        node.pLevel = pChange->level ? &pChange->level->after : &level;
        node.pType = pChange->type ? &pChange->type->after : &type;
        std::unique_ptr<CSubSystemLogSettings> pAfter;
        if (bDefaultSettings) {
            auto pDefaults = std::make_unique<CDefaultLogSettings>();
            pDefaults->LoadStoredDefaults(*node.pLevel, *node.pType);
            pAfter = std::move(pDefaults);
        } else {
            pAfter = std::make_unique<CSubSystemLogSettings>(settings.GetName());
            pAfter->LoadStoredValues(*node.pLevel, *node.pType);
        }
        node.pSettings = pAfter.get();
        m_owned.push_back(std::move(pAfter));
    }
    if (!bDefaultSettings)
        m_nodeOfName.emplace(static_cast<const char*>(SubSystemNameKey(settings.GetName())),
                             m_nodes.size());
    m_nodes.push_back(node);
}

std::vector<SProblem> CConfigurationValues::Problems() const {
    std::vector<SProblem> problems;
    for (std::string& strWhat : ValueProblems(kDayCountValue, *m_pExpireLogsAfter))
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
    return DayCountOf(*m_pExpireLogsAfter);
}

const CSubSystemLogSettings& CConfigurationValues::DefaultSettings() const {
    return *m_nodes.front().pSettings;
}

const CSubSystemLogSettings* CConfigurationValues::SubSystem(const CString& strName) const {
    const auto it = m_nodeOfName.find(static_cast<const char*>(SubSystemNameKey(strName)));
    return it == m_nodeOfName.end() ? nullptr : m_nodes[it->second].pSettings;
}
