// CConfigurationWatch: what the stored logging configuration held when the dialog last read or
// wrote it, and what other programs have changed since. The dialog writes the whole
// configuration at once; this is how it avoids putting back, unasked, what someone else wrote
// meanwhile.
#pragma once

#include "framework/CString.h"
#include "logconfig/SubSystemLogSettings.h"
#include "registry/RegistryWatch.h"

#include <boost/shared_ptr.hpp>

#include <vector>

struct SSubSystemChange {
    CString strName;
    bool bDeleted; // the key is gone; otherwise its level or type differs
};

// What differs between the registry and what the dialog last read or wrote. Subsystem keys
// created by others are not listed: saving never removes them.
struct SConfigurationChanges {
    bool bExpireDays = false;
    bool bDefaultSettings = false;
    std::vector<SSubSystemChange> subSystems; // in the order they were remembered

    bool IsEmpty() const { return !bExpireDays && !bDefaultSettings && subSystems.empty(); }
};

class CConfigurationWatch {
public:
    using SubSystemList = std::vector<boost::shared_ptr<CSubSystemLogSettings>>;

    CConfigurationWatch();

    // From now on, every write below the base key counts as a change, whoever makes it: start
    // before reading the configuration, and again right after writing it. Creates the base key
    // when it is missing, as loading does.
    void Start();

    // The configuration as held in memory is what the registry holds: just read, or just
    // written. Level and type of a switched-off node are remembered as stored, None and None.
    void Remember(int nExpireDays, const CSubSystemLogSettings& defaultSettings,
                  const SubSystemList& subSystems);
    // The same, read back from the registry, for when not everything could be written. Only
    // subsystems whose keys exist are remembered.
    void RememberStored(const SubSystemList& subSystems);

    // What differs from what was remembered. While nothing has been written below the base key
    // since Start, this costs one check of an event; otherwise every remembered value is read
    // again, the way loading reads it.
    SConfigurationChanges FindChanges() const;

private:
    struct SStoredNode {
        CString strName;
        int nLogLevel;
        int nLogType;
    };
    static SStoredNode NodeOf(const CSubSystemLogSettings& settings);
    static bool SameValues(const SStoredNode& a, const SStoredNode& b);

    CRegistryWatch m_watch;
    int m_nExpireDays;
    SStoredNode m_defaultSettings;
    std::vector<SStoredNode> m_subSystems;
};
