// CConfigurationWatch: what the stored logging configuration held when the dialog last read or
// wrote it, and what other programs have changed since. The dialog writes the whole
// configuration at once; this is how it avoids putting back, unasked, what someone else wrote
// meanwhile.
#pragma once

#include "framework/CString.h"
#include "logconfig/SubSystemLogSettings.h"
#include "registry/RegistryWatch.h"

#include <boost/shared_ptr.hpp>

#include <string>
#include <unordered_map>
#include <vector>

class CStoredConfiguration;

struct SSubSystemChange {
    CString strName;
    bool bDeleted; // the key is gone; otherwise it appeared, or its level or type differs
};

// What differs between the registry and what the dialog last read or wrote, among what a save
// writes. Subsystem keys that a save does not write are not listed: saving never removes them.
struct SConfigurationChanges {
    bool bExpireDays = false;
    bool bDefaultSettings = false;
    std::vector<SSubSystemChange> subSystems; // in the order they were remembered
    // The registry could not be read back in full, so there may be changes not listed: the
    // subsystems whose keys exist but could not be read, or, when the base key could not be
    // opened as it was before, everything (nothing is listed then).
    bool bReadBackIncomplete = false;
    std::vector<CString> unread; // in the order they were remembered

    bool IsEmpty() const {
        return !bExpireDays && !bDefaultSettings && subSystems.empty() && !bReadBackIncomplete;
    }
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
    // written. bBaseKeyOpened: the base key could be opened as loading and saving open it (when
    // not, loading found the defaults and no subsystem). Level and type of a switched-off node
    // are remembered as stored, None and None. Subsystems are remembered by key name: of two
    // that name one key in different letter case, the later one is what a save leaves there.
    void Remember(bool bBaseKeyOpened, int nExpireDays,
                  const CSubSystemLogSettings& defaultSettings, const SubSystemList& subSystems);
    // A subsystem added in the dialog, which the next save writes. Unless a subsystem of that
    // key name is remembered already, there was no key of that name for the dialog: one that
    // appears is another program's.
    void RememberAdded(const CString& strName);
    // The same as Remember, read back from the registry, for when not everything could be
    // written. What cannot be read back stays remembered as it was.
    void RememberStored(const SubSystemList& subSystems);

    // What differs from what was remembered. While nothing has been written below the base key
    // since Start, this costs one check of an event; otherwise everything is read again, the
    // way the dialog loads it.
    SConfigurationChanges FindChanges() const;

private:
    struct SStoredNode {
        CString strName;
        bool bExists; // whether the key is there; level and type count only when it is
        int nLogLevel;
        int nLogType;
    };
    static SStoredNode NodeOf(const CSubSystemLogSettings& settings);
    static SStoredNode StoredNodeOf(const CStoredConfiguration& stored, const CString& strName);
    static bool SameValues(const SStoredNode& a, const SStoredNode& b);
    // By key name: a node of a name remembered already replaces its values, keeping its place
    // and the name first remembered.
    void RememberSubSystem(const SStoredNode& node);

    CRegistryWatch m_watch;
    bool m_bBaseKeyOpened;
    int m_nExpireDays;
    SStoredNode m_defaultSettings;
    std::vector<SStoredNode> m_subSystems;                    // one per key name
    std::unordered_map<std::string, size_t> m_positionOfName; // by SubSystemNameKey
};
