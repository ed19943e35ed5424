// CConfigurationWatch: what the stored logging configuration held when the dialog last read or
// wrote it, and what other programs have changed since. The dialog writes the whole
// configuration at once; this is how it avoids putting back, unasked, what someone else wrote
// meanwhile.
#pragma once

#include "framework/CString.h"
#include "logconfig/SubSystemLogSettings.h"
#include "registry/RegistryWatch.h"

#include <boost/shared_ptr.hpp>

#include <optional>
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
    // before reading the configuration, and again right after writing it. A missing base key is
    // not created; until one exists, every look reads the configuration back.
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
    // since the last look (or the start), this costs one check of an event; otherwise
    // everything is read again, the way the dialog loads it but creating nothing, and that read
    // is the last look.
    SConfigurationChanges FindChanges();
    // What other programs changed since the last look, for instance while the user was asked
    // about what it found: empty when nothing was written since, or when what is stored now is
    // what the last look saw. Where that look could not read a key, what was remembered counts.
    SConfigurationChanges FindChangesSinceLastLook();

private:
    struct SStoredNode {
        CString strName;
        bool bExists; // whether the key is there; level and type count only when it is
        int nLogLevel;
        int nLogType;
        bool bUnread = false; // a look found the key but could not read it
    };
    // The configuration as far as a save writes it.
    struct SState {
        bool bBaseKeyRead = true; // false: a look could not read the base key; nothing is known
        int nExpireDays;
        SStoredNode defaultSettings;
        std::vector<SStoredNode> subSystems; // one per remembered key name, in that order
    };
    static SStoredNode NodeOf(const CSubSystemLogSettings& settings);
    static SStoredNode StoredNodeOf(const CStoredConfiguration& stored, const CString& strName);
    static bool SameValues(const SStoredNode& a, const SStoredNode& b);
    // By key name: a node of a name remembered already replaces its values, keeping its place
    // and the name first remembered.
    void RememberSubSystem(const SStoredNode& node);
    void ForgetLastLook();
    // Restarts the watch, then reads what is stored of every remembered node.
    SState Look();
    // What differs in now from before; with no before, or where before knows nothing, from
    // what was remembered. What neither look could read is no news.
    SConfigurationChanges Differences(const SState& now, const SState* pBefore) const;

    CRegistryWatch m_watch;
    bool m_bBaseKeyOpened;
    SState m_remembered;
    std::unordered_map<std::string, size_t> m_positionOfName; // by SubSystemNameKey
    // What the last look since the dialog last read or wrote the configuration found; none:
    // nothing was written below the base key since.
    std::optional<SState> m_lastLook;
    // A subsystem was remembered after the last look, which therefore says nothing of it.
    bool m_bLastLookIncomplete = false;
};
