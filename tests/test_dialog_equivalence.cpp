// The configuration dialog against a reference model of its behaviour, with a handful to a
// hundred and more subsystems. A fixed pseudo-random run of user actions (check boxes, labels,
// the space bar, list rows, "Use Default Value", the days field, Apply and finally OK) is played
// on the real dialog and on the model; after every action the dialog's whole visible state and
// the whole stored configuration must be exactly what the model gives. The model knows nothing
// of how the dialog refreshes itself: it only says what a user must see and what must be stored
// once an action is over, so any faster way of reacting to the tree's reports has to pass too.

#include "res/resource.h"
#include "tests/support/DialogProbe.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/RegistrySandbox.h"
#include "ui/QuarnEventLogConfigurationDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using namespace testing_support;

namespace {

// ---- the vocabulary, as the registry stores it and the dialog shows it ----------------------

constexpr int kLevelNone = 3;
constexpr int kLevelDefault = 4;
constexpr int kLevelRows = 4;
constexpr int kTypeNone = 4;
constexpr int kTypeDefault = 5;
constexpr int kTypeRows = 5;

const char* const kLevelWords[] = {"Release", "Debug", "Trace", "None", "Default"};
const char* const kTypeWords[] = {"FatalError",  "Error", "Warning",
                                  "Information", "None",  "Default"};
const char* const kLevelDescriptions[] = {
    "Only Release events will be logged", "Debug and Release events will be logged",
    "Events of all levels will be logged", "No events will be logged"};
const char* const kTypeDescriptions[] = {
    "Only Fatal Errors will be logged", "Errors and Fatal Errors will be logged",
    "Warnings, Errors and Fatal Errors will be logged", "Events of all types will be logged",
    "No events will be logged"};
constexpr char kDefaultValueUsed[] = "Default Value used";
constexpr char kDefaultSettingsText[] = "Default Settings";
constexpr char kSubSystemsText[] = "SubSystems";
constexpr int kInitialDays = 2;

bool SameWordIgnoringCase(const std::string& word, const char* known) {
    const std::string other(known);
    if (word.size() != other.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (::tolower(static_cast<unsigned char>(word[i])) !=
            ::tolower(static_cast<unsigned char>(other[i])))
            return false;
    return true;
}

// Any spelling that is not one of the first words ("Default" included) means Default.
int WordToValue(const std::string& word, const char* const* words, int count, int otherwise) {
    for (int i = 0; i < count; ++i)
        if (SameWordIgnoringCase(word, words[i]))
            return i;
    return otherwise;
}
int LevelFromWord(const std::string& word) {
    return WordToValue(word, kLevelWords, kLevelRows, kLevelDefault);
}
int TypeFromWord(const std::string& word) {
    return WordToValue(word, kTypeWords, kTypeRows, kTypeDefault);
}

// atol: optional blanks, an optional sign, then the digits up to the first other character.
int LeadingNumber(const std::string& text) {
    size_t i = text.find_first_not_of(" \t\n\r\f\v");
    if (i == std::string::npos)
        return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-')
        negative = text[i++] == '-';
    long number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        number = number * 10 + (text[i] - '0');
    return static_cast<int>(negative ? -number : number);
}

// ---- the configuration a run starts from ----------------------------------------------------

struct StoredSubSystem {
    std::string name;
    std::optional<std::string> level, type; // nullopt: the value is missing
};

struct StoredConfiguration {
    std::optional<std::string> defaultLevel, defaultType, expireLogsAfter;
    std::vector<StoredSubSystem> subSystems; // in the order the keys are created
};

// The stored configuration as the lines of DumpConfiguration: "<key>\<value>" -> "<type>:<data>".
using StoredValues = std::map<std::string, std::string>;

std::string AsStoredText(const std::string& text) {
    return std::to_string(REG_SZ) + ":" + text + "\\0";
}

StoredValues ParseDump(const std::string& dump) {
    StoredValues values;
    std::istringstream in(dump);
    for (std::string line; std::getline(in, line);) {
        const size_t equals = line.find('=');
        values[line.substr(0, equals)] =
            equals == std::string::npos ? "(no value)" : line.substr(equals + 1);
    }
    return values;
}

std::string DescribeDifferences(const StoredValues& expected, const StoredValues& actual) {
    std::ostringstream out;
    for (const auto& [name, data] : expected) {
        auto found = actual.find(name);
        if (found == actual.end())
            out << "  " << name << ": expected " << data << ", missing\n";
        else if (found->second != data)
            out << "  " << name << ": expected " << data << ", stored " << found->second << "\n";
    }
    for (const auto& [name, data] : actual)
        if (!expected.count(name))
            out << "  " << name << ": not expected, stored " << data << "\n";
    return out.str();
}

// ---- the reference model --------------------------------------------------------------------

// Nodes are named by their settings: -1 the default settings, 0..n-1 a subsystem's position in
// load order; "SubSystems" has no settings and gets a number of its own.
constexpr int kDefaultNode = -1;
constexpr int kSubSystemsNode = -2;

struct Node {
    std::string name;
    int level;
    int type;
    bool enabled;
};

// What a user sees and what Apply stores, after each user action, derived from how the dialog
// is meant to behave and from nothing in it.
class DialogModel {
public:
    // loadOrder: the subsystem key names in the order the registry enumerates them.
    DialogModel(const StoredConfiguration& stored, const std::vector<std::string>& loadOrder) {
        m_default = Loaded(kDefaultSettingsText, stored.defaultLevel.value_or("Release"),
                           stored.defaultType.value_or("Error"));
        for (const std::string& name : loadOrder) {
            auto found = std::find_if(stored.subSystems.begin(), stored.subSystems.end(),
                                      [&](const StoredSubSystem& s) { return s.name == name; });
            if (found == stored.subSystems.end()) {
                ADD_FAILURE() << "the registry lists a subsystem that was not prepared: " << name;
                continue;
            }
            m_subSystems.push_back(
                Loaded(name, found->level.value_or(""), found->type.value_or("")));
        }
        // The tree sorts its subsystem items with the case-insensitive word sort of lstrcmpi.
        for (int i = 0; i < Count(); ++i)
            m_displayOrder.push_back(i);
        std::stable_sort(m_displayOrder.begin(), m_displayOrder.end(), [this](int a, int b) {
            return ::lstrcmpiA(m_subSystems[a].name.c_str(), m_subSystems[b].name.c_str()) < 0;
        });

        if (stored.expireLogsAfter)
            m_days = LeadingNumber(*stored.expireLogsAfter);
        m_daysText = std::to_string(m_days);

        const std::string base = "\\";
        if (stored.defaultLevel)
            m_stored[base + "DefaultLogLevel"] = AsStoredText(*stored.defaultLevel);
        if (stored.defaultType)
            m_stored[base + "DefaultLogType"] = AsStoredText(*stored.defaultType);
        if (stored.expireLogsAfter)
            m_stored[base + "ExpireLogsAfter"] = AsStoredText(*stored.expireLogsAfter);
        for (const StoredSubSystem& s : stored.subSystems) {
            if (s.level)
                m_stored[base + s.name + "\\LogLevel"] = AsStoredText(*s.level);
            if (s.type)
                m_stored[base + s.name + "\\LogType"] = AsStoredText(*s.type);
        }

        // Start-up shows the default settings.
        Show();
    }

    int Count() const { return static_cast<int>(m_subSystems.size()); }
    int Current() const { return m_current; }
    const Node& NodeAt(int node) const {
        return node == kDefaultNode ? m_default : m_subSystems[static_cast<size_t>(node)];
    }
    std::string NameOf(int node) const {
        return node == kSubSystemsNode ? kSubSystemsText : NodeAt(node).name;
    }
    bool AllSubSystemsEnabled() const {
        return std::all_of(m_subSystems.begin(), m_subSystems.end(),
                           [](const Node& n) { return n.enabled; });
    }
    bool SubSystemsChecked() const {
        // With no subsystem, nothing recomputes the heading: it keeps the state it was toggled to.
        return Count() > 0 ? AllSubSystemsEnabled() : m_emptySubSystemsChecked;
    }
    bool LevelListEnabled() const {
        return NodeAt(m_current).enabled && NodeAt(m_current).level != kLevelDefault;
    }
    bool TypeListEnabled() const {
        return NodeAt(m_current).enabled && NodeAt(m_current).type != kTypeDefault;
    }
    // On the default settings a box can only be cleared: usable only while it is ticked.
    bool UseDefaultLevelEnabled() const {
        const Node& node = NodeAt(m_current);
        return node.enabled && (m_current != kDefaultNode || node.level == kLevelDefault);
    }
    bool UseDefaultTypeEnabled() const {
        const Node& node = NodeAt(m_current);
        return node.enabled && (m_current != kDefaultNode || node.type == kTypeDefault);
    }
    int Days() const { return m_days; }
    // The days field shows a number that the dialog has not taken yet.
    bool TypedDaysDiffer() const { return LeadingNumber(m_daysText) != m_days; }
    int LevelRow() const { return m_levelRow; }
    int TypeRow() const { return m_typeRow; }
    const std::vector<int>& DisplayOrder() const { return m_displayOrder; }
    const StoredValues& Stored() const { return m_stored; }

    DialogState Expected() const {
        DialogState s;
        s.tree.push_back({kDefaultSettingsText, 0, m_default.enabled, m_current == kDefaultNode,
                          false, kDefaultNode});
        // The heading carries no item data. The tree view keeps an item without children
        // collapsed, whatever it was asked to do.
        s.tree.push_back({kSubSystemsText, 0, SubSystemsChecked(), false, Count() > 0, 0});
        for (int i : m_displayOrder)
            s.tree.push_back({m_subSystems[static_cast<size_t>(i)].name, 1,
                              m_subSystems[static_cast<size_t>(i)].enabled, m_current == i, false,
                              static_cast<LPARAM>(i)});
        const Node& current = NodeAt(m_current);
        s.title = current.name;
        s.useDefaultLevel = current.level == kLevelDefault;
        s.useDefaultType = current.type == kTypeDefault;
        s.levelRow = m_levelRow;
        s.typeRow = m_typeRow;
        s.levelDescription = s.useDefaultLevel ? kDefaultValueUsed : kLevelDescriptions[m_levelRow];
        s.typeDescription = s.useDefaultType ? kDefaultValueUsed : kTypeDescriptions[m_typeRow];
        s.days = m_daysText;
        s.hiddenIndex = std::to_string(m_current);
        s.levelListEnabled = LevelListEnabled();
        s.typeListEnabled = TypeListEnabled();
        s.useDefaultLevelEnabled = UseDefaultLevelEnabled();
        s.useDefaultTypeEnabled = UseDefaultTypeEnabled();
        s.levelDescriptionEnabled = current.enabled;
        s.typeDescriptionEnabled = current.enabled;
        return s;
    }

    // ---- user actions ----

    // A click on an item's check box.
    void ClickCheckBox(int node) {
        if (node == kSubSystemsNode) {
            if (Count() == 0) {
                // Only the heading's own box changes; no settings object hears of it.
                m_emptySubSystemsChecked = !m_emptySubSystemsChecked;
                return;
            }
            const bool enable = !AllSubSystemsEnabled();
            for (Node& n : m_subSystems)
                n.enabled = enable;
            // The current node is shown again (without its values being taken first); the
            // heading itself can never be selected.
            Show();
            return;
        }
        Mutable(node).enabled = !Mutable(node).enabled;
        Show();
        Select(node);
    }

    // The space bar on the tree: the selected item's check box, which is the current node's.
    void PressSpace() { ClickCheckBox(m_current); }

    // A click on an item's label.
    void ClickLabel(int node) {
        if (node != kSubSystemsNode)
            Select(node);
    }

    void PickLevelRow(int row) {
        TakeValues();
        m_levelRow = row;
        Mutable(m_current).level = row;
        Refresh();
    }
    void PickTypeRow(int row) {
        TakeValues();
        m_typeRow = row;
        Mutable(m_current).type = row;
        Refresh();
    }
    // Ticking follows the default settings; clearing takes the row the list still shows.
    void ClickUseDefaultLevel() {
        TakeValues();
        Node& n = Mutable(m_current);
        n.level = n.level == kLevelDefault ? m_levelRow : kLevelDefault;
        Refresh();
    }
    void ClickUseDefaultType() {
        TakeValues();
        Node& n = Mutable(m_current);
        n.type = n.type == kTypeDefault ? m_typeRow : kTypeDefault;
        Refresh();
    }

    // Only whole numbers from 1 to 365 are typed, so that every exchange accepts them.
    void TypeDays(const std::string& text) { m_daysText = text; }

    // Apply and OK store the same.
    void Apply() {
        TakeValues();
        const std::string base = "\\";
        m_stored[base + "ExpireLogsAfter"] = AsStoredText(std::to_string(m_days));
        m_stored[base + "DefaultLogLevel"] = AsStoredText(LevelWordToStore(m_default));
        m_stored[base + "DefaultLogType"] = AsStoredText(TypeWordToStore(m_default));
        for (const Node& n : m_subSystems) {
            m_stored[base + n.name + "\\LogLevel"] = AsStoredText(LevelWordToStore(n));
            m_stored[base + n.name + "\\LogType"] = AsStoredText(TypeWordToStore(n));
        }
    }

private:
    static Node Loaded(const std::string& name, const std::string& levelWord,
                       const std::string& typeWord) {
        Node n{name, LevelFromWord(levelWord), TypeFromWord(typeWord), true};
        n.enabled = !(n.level == kLevelNone && n.type == kTypeNone);
        return n;
    }
    // A switched-off node is stored as None and None and keeps its own values.
    static std::string LevelWordToStore(const Node& n) {
        return kLevelWords[n.enabled ? n.level : kLevelNone];
    }
    static std::string TypeWordToStore(const Node& n) {
        return kTypeWords[n.enabled ? n.type : kTypeNone];
    }

    Node& Mutable(int node) {
        return node == kDefaultNode ? m_default : m_subSystems[static_cast<size_t>(node)];
    }

    // The controls to the members: only the days field can differ from what the members hold
    // (the other controls are stored at once).
    void TakeValues() { m_days = LeadingNumber(m_daysText); }

    // The members to the controls.
    void Refresh() { m_daysText = std::to_string(m_days); }

    // The current node to the controls; a Default value leaves its list on the row it had.
    void Show() {
        const Node& n = NodeAt(m_current);
        if (n.level != kLevelDefault)
            m_levelRow = n.level;
        if (n.type != kTypeDefault)
            m_typeRow = n.type;
        Refresh();
    }

    // The tree's selection moves to node; selecting the item already selected changes nothing.
    void Select(int node) {
        if (node == m_current)
            return;
        TakeValues();
        m_current = node;
        Show();
    }

    Node m_default;
    std::vector<Node> m_subSystems; // load order
    std::vector<int> m_displayOrder;
    int m_current = kDefaultNode;
    int m_levelRow = 0;
    int m_typeRow = 0;
    int m_days = kInitialDays;
    std::string m_daysText;
    bool m_emptySubSystemsChecked = false;
    StoredValues m_stored;
};

// ---- actions --------------------------------------------------------------------------------

enum class Kind {
    CheckBox,
    Label,
    Space,
    LevelRow,
    TypeRow,
    UseDefaultLevel,
    UseDefaultType,
    Days,
    Apply,
    Ok
};

struct Action {
    Kind kind;
    int node = 0;     // CheckBox, Label
    int row = 0;      // LevelRow, TypeRow
    std::string text; // Days
};

Action MakeAction(Kind kind, int node = 0, int row = 0, std::string text = std::string()) {
    return Action{kind, node, row, std::move(text)};
}

std::string Describe(const Action& action, const DialogModel& model) {
    auto nodeName = [&] {
        std::string name = "'" + model.NameOf(action.node) + "'";
        if (action.node >= 0)
            name += " (load index " + std::to_string(action.node) + ")";
        return name;
    };
    switch (action.kind) {
    case Kind::CheckBox:
        return "click the check box of " + nodeName();
    case Kind::Label:
        return "click the label of " + nodeName();
    case Kind::Space:
        return "press the space bar in the tree";
    case Kind::LevelRow:
        return "pick level row " + std::to_string(action.row);
    case Kind::TypeRow:
        return "pick type row " + std::to_string(action.row);
    case Kind::UseDefaultLevel:
        return "click the level's \"Use Default Value\"";
    case Kind::UseDefaultType:
        return "click the type's \"Use Default Value\"";
    case Kind::Days:
        return "type '" + action.text + "' into the days field";
    case Kind::Apply:
        return "press Apply";
    case Kind::Ok:
        return "press OK";
    }
    return "?";
}

// A fixed pseudo-random run of actions that a user can take in the model's current state. A
// click on "SubSystems" is often followed by a second one, so that it clears every box as often
// as it ticks them; a number typed into the days field is followed in turn by each of the
// actions that must either take it or put the last taken value back (DaysFollowUp).
class ActionSource {
public:
    explicit ActionSource(unsigned seed) : m_rng(seed) {}

    Action Next(const DialogModel& model, int index) {
        m_last = Choose(model, index);
        return m_last;
    }

private:
    Action Choose(const DialogModel& model, int index) {
        const bool any = model.Count() > 0;
        if (m_last.kind == Kind::Days)
            return DaysFollowUp(model);
        if (m_typeDaysNext) {
            m_typeDaysNext = false;
            return MakeAction(Kind::Days, 0, 0, DaysText(model));
        }
        if (m_last.kind == Kind::CheckBox && m_last.node == kSubSystemsNode && !m_paired &&
            Below(2) == 0) {
            m_paired = true;
            return m_last;
        }
        m_paired = false;
        if (index % 8 == 7)
            return MakeAction(Kind::Apply);
        for (;;) {
            const unsigned roll = Below(100);
            if (roll < 20) {
                if (any)
                    return MakeAction(Kind::CheckBox, RandomSubSystem(model));
            } else if (roll < 26) {
                return MakeAction(Kind::CheckBox, kSubSystemsNode);
            } else if (roll < 31) {
                return MakeAction(Kind::CheckBox, kDefaultNode);
            } else if (roll < 34) {
                return MakeAction(Kind::Space);
            } else if (roll < 44) {
                if (any)
                    return MakeAction(Kind::Label, RandomSubSystem(model));
            } else if (roll < 48) {
                return MakeAction(Kind::Label, kDefaultNode);
            } else if (roll < 50) {
                return MakeAction(Kind::Label, kSubSystemsNode);
            } else if (roll < 52) {
                return MakeAction(Kind::Label, model.Current());
            } else if (roll < 60) {
                if (model.LevelListEnabled())
                    return MakeAction(Kind::LevelRow, 0, static_cast<int>(Below(kLevelRows)));
            } else if (roll < 68) {
                if (model.TypeListEnabled())
                    return MakeAction(Kind::TypeRow, 0, static_cast<int>(Below(kTypeRows)));
            } else if (roll < 73) {
                if (model.UseDefaultLevelEnabled())
                    return MakeAction(Kind::UseDefaultLevel);
            } else if (roll < 78) {
                if (model.UseDefaultTypeEnabled())
                    return MakeAction(Kind::UseDefaultType);
            } else if (roll < 95) {
                // The default settings shown first, where a round of follow-ups still lacks a
                // "SubSystems" click there.
                if (model.Current() != kDefaultNode &&
                    (m_followUps.empty() ||
                     std::count(m_followUps.begin(), m_followUps.end(), HeadingOnDefault))) {
                    m_typeDaysNext = true;
                    return MakeAction(Kind::Label, kDefaultNode);
                }
                return MakeAction(Kind::Days, 0, 0, DaysText(model));
            } else {
                return MakeAction(Kind::Apply);
            }
        }
    }

    // The follow-ups of a typed number, each once per round, as far as the current node allows:
    // a "SubSystems" click is wanted both while it switches the current node and while the
    // default settings are shown.
    enum FollowUp { OtherCheck, HeadingOnDefault, HeadingOnSubSystem, Space, OtherLabel, Apply };
    Action DaysFollowUp(const DialogModel& model) {
        if (m_followUps.empty())
            m_followUps = {HeadingOnDefault,   Space,      OtherCheck,
                           HeadingOnSubSystem, OtherLabel, Apply};
        const bool onDefault = model.Current() == kDefaultNode;
        for (auto it = m_followUps.begin(); it != m_followUps.end(); ++it) {
            if ((*it == HeadingOnDefault && !onDefault) || (*it == HeadingOnSubSystem && onDefault))
                continue;
            const FollowUp followUp = *it;
            m_followUps.erase(it);
            return MakeFollowUp(followUp, model);
        }
        return MakeFollowUp(OtherCheck, model);
    }
    Action MakeFollowUp(FollowUp followUp, const DialogModel& model) {
        const bool any = model.Count() > 0;
        switch (followUp) {
        case OtherCheck:
            return MakeAction(Kind::CheckBox, any ? OtherSubSystem(model) : kDefaultNode);
        case HeadingOnDefault:
        case HeadingOnSubSystem:
            return MakeAction(Kind::CheckBox, kSubSystemsNode);
        case Space:
            return MakeAction(Kind::Space);
        case OtherLabel:
            return MakeAction(Kind::Label, any ? OtherSubSystem(model) : kDefaultNode);
        case Apply:
            break;
        }
        return MakeAction(Kind::Apply);
    }

    // A valid number other than the one last taken, sometimes with leading zeros.
    std::string DaysText(const DialogModel& model) {
        static const int kDays[] = {1, 7, 30, 90, 365};
        int days;
        do
            days = Below(2) ? kDays[Below(5)] : static_cast<int>(1 + Below(365));
        while (days == model.Days());
        char text[8];
        std::snprintf(text, sizeof text, Below(2) ? "%d" : "%03d", days);
        return text;
    }

    unsigned Below(unsigned n) { return static_cast<unsigned>(m_rng() % n); }
    int RandomSubSystem(const DialogModel& model) {
        return static_cast<int>(Below(static_cast<unsigned>(model.Count())));
    }
    // A subsystem that is not the current node, where there is one.
    int OtherSubSystem(const DialogModel& model) {
        int node = RandomSubSystem(model);
        if (node == model.Current())
            node = (node + 1) % model.Count();
        return node;
    }

    std::mt19937 m_rng;
    bool m_typeDaysNext = false;
    bool m_paired = false;
    Action m_last = MakeAction(Kind::Apply);
    std::vector<FollowUp> m_followUps;
};

// How often the situations that matter most were met, so that a run is known to reach them.
struct Coverage {
    int subSystemsCleared = 0;
    int subSystemsTicked = 0;
    int currentSwitchedOffByHeading = 0;
    int checkOfOtherNode = 0;
    // A number typed and not yet taken when a check box changes: the field must show the last
    // taken value again, whether or not the selection then moves.
    int otherNodeCheckedWithDaysTyped = 0;
    int headingCheckedWithDaysTyped = 0;
    int headingCheckedWithDaysTypedOnDefault = 0; // no subsystem shown that it switches
    int spaceWithDaysTyped = 0;
    int defaultLevelShownOnOtherRow = 0;
    int applies = 0;
};

void Count(const Action& action, const DialogModel& before, const DialogModel& after,
           Coverage& coverage) {
    const bool check = action.kind == Kind::CheckBox;
    if (check && action.node == kSubSystemsNode && before.Count() > 0) {
        if (before.AllSubSystemsEnabled()) {
            ++coverage.subSystemsCleared;
            if (before.Current() >= 0 && before.NodeAt(before.Current()).enabled)
                ++coverage.currentSwitchedOffByHeading;
        } else {
            ++coverage.subSystemsTicked;
        }
        if (before.TypedDaysDiffer()) {
            ++coverage.headingCheckedWithDaysTyped;
            if (before.Current() == kDefaultNode)
                ++coverage.headingCheckedWithDaysTypedOnDefault;
        }
    }
    if (check && action.node != kSubSystemsNode && action.node != before.Current()) {
        ++coverage.checkOfOtherNode;
        if (before.TypedDaysDiffer())
            ++coverage.otherNodeCheckedWithDaysTyped;
    }
    if (action.kind == Kind::Space && before.TypedDaysDiffer())
        ++coverage.spaceWithDaysTyped;
    if (after.Current() != before.Current() &&
        after.NodeAt(after.Current()).level == kLevelDefault && after.LevelRow() != 0)
        ++coverage.defaultLevelShownOnOtherRow;
    if (action.kind == Kind::Apply || action.kind == Kind::Ok)
        ++coverage.applies;
}

// ---- driving the real dialog ----------------------------------------------------------------

struct TreeHandles {
    HTREEITEM defaultItem = nullptr;
    HTREEITEM subSystemsItem = nullptr;
    std::vector<HTREEITEM> subSystems; // load order

    HTREEITEM Of(int node) const {
        if (node == kDefaultNode)
            return defaultItem;
        if (node == kSubSystemsNode)
            return subSystemsItem;
        return subSystems[static_cast<size_t>(node)];
    }
};

// The tree takes a click where the mouse cursor is when it handles the click, and the cursor
// is shared by every program on the desktop: false when it has left what the action clicked.
bool CursorStillOn(HWND hDlg, const TreeHandles& items, const Action& action) {
    if (action.kind != Kind::CheckBox && action.kind != Kind::Label)
        return true;
    TVHITTESTINFO hit = {};
    ::GetCursorPos(&hit.pt);
    ::ScreenToClient(Tree(hDlg), &hit.pt);
    ::SendMessageA(Tree(hDlg), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const UINT wanted = action.kind == Kind::CheckBox ? TVHT_ONITEMSTATEICON : TVHT_ONITEMLABEL;
    return hit.hItem == items.Of(action.node) && (hit.flags & wanted) != 0;
}

void Perform(HWND hDlg, const TreeHandles& items, const Action& action) {
    switch (action.kind) {
    case Kind::CheckBox:
        ClickItemCheckBox(hDlg, items.Of(action.node));
        break;
    case Kind::Label:
        ClickItemLabel(hDlg, items.Of(action.node));
        break;
    case Kind::Space:
        PressKey(Tree(hDlg), VK_SPACE);
        break;
    case Kind::LevelRow:
        PickComboRow(hDlg, IDC_COMBO_LEVEL, action.row);
        break;
    case Kind::TypeRow:
        PickComboRow(hDlg, IDC_COMBO_TYPE, action.row);
        break;
    case Kind::UseDefaultLevel:
        ClickButton(hDlg, IDC_USE_DEFAULT_LEVEL);
        break;
    case Kind::UseDefaultType:
        ClickButton(hDlg, IDC_USE_DEFAULT_TYPE);
        break;
    case Kind::Days:
        SetText(hDlg, IDC_EDIT_EXPIRE_DAYS, action.text.c_str());
        break;
    case Kind::Apply:
        ClickButton(hDlg, IDC_APPLY);
        break;
    case Kind::Ok:
        ClickButton(hDlg, IDOK);
        break;
    }
}

void Play(DialogModel& model, const Action& action) {
    switch (action.kind) {
    case Kind::CheckBox:
        model.ClickCheckBox(action.node);
        break;
    case Kind::Label:
        model.ClickLabel(action.node);
        break;
    case Kind::Space:
        model.PressSpace();
        break;
    case Kind::LevelRow:
        model.PickLevelRow(action.row);
        break;
    case Kind::TypeRow:
        model.PickTypeRow(action.row);
        break;
    case Kind::UseDefaultLevel:
        model.ClickUseDefaultLevel();
        break;
    case Kind::UseDefaultType:
        model.ClickUseDefaultType();
        break;
    case Kind::Days:
        model.TypeDays(action.text);
        break;
    case Kind::Apply:
    case Kind::Ok:
        model.Apply();
        break;
    }
}

// Which controls are shown, in tab order. A control whose drawing was switched off and not on
// again (WM_SETREDRAW) loses its visible style and no longer shows what it holds.
std::string ShownControls(HWND hDlg) {
    std::string shown;
    for (HWND hChild = ::GetWindow(hDlg, GW_CHILD); hChild;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        shown += std::to_string(::GetDlgCtrlID(hChild)) +
                 (::IsWindowVisible(hChild) ? " shown, " : " hidden, ");
    return shown;
}

// The first line in which two descriptions differ, to point at the mismatch.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected), a(actual);
    std::string le, la;
    for (int line = 1;; ++line) {
        const bool he = static_cast<bool>(std::getline(e, le));
        const bool ha = static_cast<bool>(std::getline(a, la));
        if (!he && !ha)
            return "";
        if (!he || !ha || le != la)
            return "line " + std::to_string(line) + ": expected '" + (he ? le : "") + "', shown '" +
                   (ha ? la : "") + "'";
    }
}

void Prepare(RegistrySandbox& sandbox, const StoredConfiguration& stored) {
    sandbox.CreateKey(kBaseKey);
    if (stored.defaultLevel)
        sandbox.SetString(kBaseKey, "DefaultLogLevel", stored.defaultLevel->c_str());
    if (stored.defaultType)
        sandbox.SetString(kBaseKey, "DefaultLogType", stored.defaultType->c_str());
    if (stored.expireLogsAfter)
        sandbox.SetString(kBaseKey, "ExpireLogsAfter", stored.expireLogsAfter->c_str());
    for (const StoredSubSystem& s : stored.subSystems) {
        const std::string key = SubSystemKey(s.name);
        sandbox.CreateKey(key.c_str());
        if (s.level)
            sandbox.SetString(key.c_str(), "LogLevel", s.level->c_str());
        if (s.type)
            sandbox.SetString(key.c_str(), "LogType", s.type->c_str());
    }
}

// Plays actionCount actions (the last one OK) on the dialog and the model, comparing after each.
void RunEquivalence(const StoredConfiguration& stored, unsigned seed, int actionCount,
                    Coverage* pCoverage) {
    // Subsystem names must name distinct keys and sort unambiguously, or the comparison would
    // rest on chance.
    for (size_t i = 0; i < stored.subSystems.size(); ++i)
        for (size_t j = i + 1; j < stored.subSystems.size(); ++j)
            ASSERT_NE(0, ::lstrcmpiA(stored.subSystems[i].name.c_str(),
                                     stored.subSystems[j].name.c_str()))
                << stored.subSystems[i].name << " / " << stored.subSystems[j].name;

    RegistrySandbox sandbox;
    Prepare(sandbox, stored);
    const std::vector<std::string> loadOrder = sandbox.SubKeys(kBaseKey);
    ASSERT_EQ(stored.subSystems.size(), loadOrder.size());

    DialogModel model(stored, loadOrder);
    // Item data must be told from the position in the tree.
    if (loadOrder.size() >= 3) {
        ASSERT_FALSE(std::is_sorted(model.DisplayOrder().begin(), model.DisplayOrder().end()));
    }
    ActionSource source(seed);
    Coverage coverage;
    bool bOkPressed = false;
    double slowest = 0;
    int headingClicks = 0;
    double headingSeconds = 0;
    std::string slowestAction;
    const auto start = std::chrono::steady_clock::now();

    CQuarnEventLogConfigurationDlg dlg;
    const INT_PTR result = RunModal(dlg, [&](HWND hDlg) {
        TreeHandles items;
        items.defaultItem = FindItem(hDlg, kDefaultSettingsText);
        items.subSystemsItem = FindItem(hDlg, kSubSystemsText);
        for (const std::string& name : loadOrder)
            items.subSystems.push_back(FindItem(hDlg, name));

        const std::string shownAtStart = ShownControls(hDlg);
        auto matches = [&](int index, const std::string& what, bool bDialogOpen) {
            if (bDialogOpen && ShownControls(hDlg) != shownAtStart) {
                ADD_FAILURE() << "after action " << index << " (" << what
                              << "), the controls shown changed from\n"
                              << shownAtStart << "\nto\n"
                              << ShownControls(hDlg);
                return false;
            }
            if (bDialogOpen) {
                const DialogState expected = model.Expected();
                const DialogState actual = CaptureState(hDlg);
                if (!(expected == actual)) {
                    ADD_FAILURE() << "after action " << index << " (" << what << "), "
                                  << FirstDifference(expected.Describe(), actual.Describe())
                                  << "\nexpected:\n"
                                  << expected.Describe() << "shown:\n"
                                  << actual.Describe();
                    return false;
                }
            }
            const StoredValues storedNow = ParseDump(DumpConfiguration(sandbox));
            if (storedNow != model.Stored()) {
                ADD_FAILURE() << "after action " << index << " (" << what
                              << "), the registry differs:\n"
                              << DescribeDifferences(model.Stored(), storedNow);
                return false;
            }
            if (sandbox.SubKeys(kBaseKey) != loadOrder) {
                ADD_FAILURE() << "after action " << index << " (" << what
                              << "), the subsystem keys changed";
                return false;
            }
            return true;
        };

        if (!matches(0, "start-up", true))
            return;
        for (int i = 1; i <= actionCount; ++i) {
            const Action action = i == actionCount ? MakeAction(Kind::Ok) : source.Next(model, i);
            const std::string what = Describe(action, model);
            const DialogModel before = model;
            Play(model, action);
            Count(action, before, model, coverage);

            const auto actionStart = std::chrono::steady_clock::now();
            const std::vector<Popup> popups = WithPopups([&] { Perform(hDlg, items, action); });
            const double actionSeconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - actionStart)
                    .count();
            if (action.kind == Kind::CheckBox && action.node == kSubSystemsNode) {
                ++headingClicks;
                headingSeconds += actionSeconds;
            }
            if (actionSeconds > slowest) {
                slowest = actionSeconds;
                slowestAction = what;
            }
            for (const Popup& popup : popups)
                ADD_FAILURE() << "action " << i << " (" << what << ") opened '" << popup.caption
                              << "': " << popup.text;
            if (!CursorStillOn(hDlg, items, action)) {
                ADD_FAILURE() << "action " << i << " (" << what
                              << "): the mouse cursor left the item while the click was handled; "
                                 "another program on the same desktop? Run these tests alone.";
                return;
            }
            bOkPressed = action.kind == Kind::Ok;
            if (!popups.empty() || !matches(i, what, !bOkPressed))
                return;
        }
    });
    if (bOkPressed) {
        EXPECT_EQ(IDOK, result);
    }

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu subsystems, %d actions: %.2f s; %d clicks on \"SubSystems\": %.2f s; "
                "slowest action %.3f s (%s)\n",
                stored.subSystems.size(), actionCount, seconds, headingClicks, headingSeconds,
                slowest, slowestAction.c_str());
    if (pCoverage)
        *pCoverage = coverage;
}

// ---- configurations -------------------------------------------------------------------------

// Names of varied case, with hyphens and underscores, such that the registry's order (by
// lower-cased character codes) and the tree's (lstrcmpi's word sort, which weighs hyphens less)
// differ: "a-c" comes before "AB" in the registry and after it in the tree.
std::vector<std::string> GeneratedNames(int count) {
    static const char* const kStems[] = {
        "Net-IO", "netapi",     "a-c",    "AB",    "io_bus",     "Spooler",   "spool-q",
        "CORE",   "core-dump2", "Zeta",   "mid",   "Audit-Log",  "auditor",   "X-Ray",
        "xml",    "Billing",    "b-tree", "Cache", "CACHE-SYNC", "data_pump", "Mailer"};
    static const char* const kSeparators[] = {"-", "", "_"};
    const int stems = static_cast<int>(sizeof kStems / sizeof kStems[0]);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        std::string name = kStems[i % stems];
        if (i >= stems)
            name += std::string(kSeparators[(i / stems) % 3]) + std::to_string(i / stems);
        names.push_back(name);
    }
    return names;
}

// Levels and types as found in the field: missing values, odd letter case, Default and words
// that mean Default, switched-off pairs in any case, and None with a real type (switched on).
StoredConfiguration Generated(int count, unsigned seed) {
    static const std::optional<std::string> kLevels[] = {
        std::nullopt, "Release", "release", "DEBUG",   "Debug", "Trace",
        "tRACE",      "None",    "Default", "Verbose", " None"};
    static const std::optional<std::string> kTypes[] = {
        std::nullopt,  "FatalError",  "fatalerror", "ERROR",   "Error", "warning",
        "Information", "INFORMATION", "None",       "Default", "Errors"};
    std::mt19937 rng(seed);
    StoredConfiguration stored;
    for (const std::string& name : GeneratedNames(count)) {
        StoredSubSystem s{name, kLevels[rng() % 11], kTypes[rng() % 11]};
        switch (rng() % 6) {
        case 0:
            s.level = "none";
            s.type = "NONE";
            break;
        case 1:
            s.level = "None";
            s.type = "Error";
            break;
        default:
            break;
        }
        stored.subSystems.push_back(s);
    }
    // Keys are created in an order of their own; the registry enumerates them by name.
    std::shuffle(stored.subSystems.begin(), stored.subSystems.end(), rng);
    return stored;
}

// A run that stopped at a mismatch has not reached everything; that is no news.
void ExpectCovered(const Coverage& c) {
    if (::testing::Test::HasFailure())
        return;
    EXPECT_GT(c.subSystemsCleared, 0);
    EXPECT_GT(c.subSystemsTicked, 0);
    EXPECT_GT(c.currentSwitchedOffByHeading, 0);
    EXPECT_GT(c.checkOfOtherNode, 0);
    EXPECT_GT(c.otherNodeCheckedWithDaysTyped, 0);
    EXPECT_GT(c.headingCheckedWithDaysTyped, 0);
    EXPECT_GT(c.headingCheckedWithDaysTypedOnDefault, 0);
    EXPECT_GT(c.spaceWithDaysTyped, 0);
    EXPECT_GT(c.defaultLevelShownOnOtherRow, 0);
    EXPECT_GT(c.applies, 2);
}

} // namespace

// The default settings switched off and no subsystem: the heading's box is toggled on its own.
TEST(DialogEquivalence, NoSubSystems) {
    StoredConfiguration stored;
    stored.defaultLevel = "none";
    stored.defaultType = "None";
    Coverage coverage;
    RunEquivalence(stored, 11, 30, &coverage);
    EXPECT_GT(coverage.applies, 2);
}

TEST(DialogEquivalence, ThreeSubSystems) {
    StoredConfiguration stored;
    stored.expireLogsAfter = " 14days";
    stored.subSystems = {{"Zeta", std::nullopt, std::nullopt},
                         {"AB", std::string("None"), std::string("Error")},
                         {"a-c", std::string("none"), std::string("NONE")}};
    Coverage coverage;
    RunEquivalence(stored, 3, 60, &coverage);
    ExpectCovered(coverage);
}

TEST(DialogEquivalence, TwentyFiveSubSystems) {
    StoredConfiguration stored = Generated(25, 25);
    stored.defaultLevel = "debug";
    stored.defaultType = "WARNING";
    stored.expireLogsAfter = "30";
    Coverage coverage;
    RunEquivalence(stored, 4, 60, &coverage);
    ExpectCovered(coverage);
}

// The default settings' level is a word that means Default: its level can never be edited.
TEST(DialogEquivalence, HundredTwentySubSystems) {
    StoredConfiguration stored = Generated(120, 120);
    stored.defaultLevel = "Verbose";
    stored.defaultType = "information";
    stored.expireLogsAfter = "365";
    Coverage coverage;
    RunEquivalence(stored, 5, 50, &coverage);
    ExpectCovered(coverage);
}
