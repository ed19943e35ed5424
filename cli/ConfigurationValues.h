// The configuration's values as they are stored, or as they will be once a document's changes
// are made: what check finds problems in before and after an import, and what the DSC resource
// reports as the state that a set would leave.
#pragma once

#include "cli/Changes.h"
#include "cli/Document.h"
#include "cli/Problems.h"
#include "logconfig/StoredConfiguration.h"

#include <string>
#include <unordered_map>
#include <vector>

// It keeps what it needs of the stored configuration and of the changes: it may outlive both.
class CConfigurationValues {
public:
    // pChanges null: as stored. The names of keys beyond the code page are those of stored.
    CConfigurationValues(const CStoredConfiguration& stored, const SChanges* pChanges,
                         std::vector<std::string> keysBeyondCodePage);

    std::vector<SProblem> Problems() const;
    // What the document's effective fields expect and these values do not give, a line each.
    std::vector<std::string> UnmetExpectations(const SConfigurationDocument& document) const;

    // The day count as the dialog reads it, the default settings, and a subsystem by name (null
    // when there is none), as these values make them.
    int ExpireLogsAfter() const;
    const CSubSystemLogSettings& DefaultSettings() const;
    const CSubSystemLogSettings* SubSystem(const CString& strName) const;

private:
    // pSettings: what the dialog loads from the stored values; a change replaces it.
    void AddNode(const CString& strName, bool bDefaultSettings, const SRegistryValue& level,
                 const SRegistryValue& type,
                 const boost::shared_ptr<const CSubSystemLogSettings>& pSettings,
                 const SNodeChange* pChange);

    SRegistryValue m_expireLogsAfter;
    std::vector<SNodeValues> m_nodes; // the default settings first
    std::unordered_map<std::string, size_t> m_nodeOfName;
    std::vector<std::string> m_keysBeyondCodePage;
};
