// Reads the program's resources back from the built executable and checks them against what the
// program and Windows rely on: dialog templates, version block, strings, icons, manifest and the
// language of every resource.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "version.h"

namespace {

const WORD kLangUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US); // 1033
const WORD kLangUk = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK); // 2057
LPCSTR const kRtManifest = MAKEINTRESOURCEA(24);

// The product executable beside the test when it has been built; otherwise the test itself,
// which links the same resource script.
HMODULE ResourceModule() {
    static const HMODULE module = [] {
        char path[MAX_PATH];
        const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string file(path, length);
        file.erase(file.find_last_of("\\/") + 1);
        file += "QuarnEventLogConfiguration.exe";
        HMODULE product = LoadLibraryExA(file.c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        std::printf("Resources read from %s\n",
                    product ? file.c_str() : "the test executable (no product built)");
        return product ? product : GetModuleHandleA(nullptr);
    }();
    return module;
}

// The 32-bit program that ships, loaded as data so that a 64-bit process can read its
// resources. Null when there is no i686 build.
HMODULE I686Program() {
    static const HMODULE module = [] {
        const char* path = std::getenv("QUARN_I686_PROGRAM");
        return path ? LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
    }();
    return module;
}

std::vector<BYTE> LoadBytes(LPCSTR type, LPCSTR name, WORD language,
                            HMODULE module = ResourceModule()) {
    HRSRC info = FindResourceExA(module, type, name, language);
    if (!info)
        return {};
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, info)));
    return data ? std::vector<BYTE>(data, data + SizeofResource(module, info))
                : std::vector<BYTE>();
}

// Sequential reader over a resource, with bounds checks so that a malformed resource fails the
// test instead of crashing it.
class Reader {
public:
    explicit Reader(const std::vector<BYTE>& bytes) : m_bytes(bytes) {}

    template <typename T> T Get() {
        T value{};
        if (m_pos + sizeof(T) > m_bytes.size()) {
            m_overrun = true;
            m_pos = m_bytes.size();
            return value;
        }
        std::memcpy(&value, m_bytes.data() + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }

    std::string String() {
        std::string text;
        for (WORD c = Get<WORD>(); c != 0 && !m_overrun; c = Get<WORD>())
            text += c < 0x80 ? static_cast<char>(c) : '?';
        return text;
    }

    // A name or ordinal field of a dialog template; ordinals read as "#n".
    std::string NameOrOrdinal() {
        const WORD first = Get<WORD>();
        if (first == 0)
            return {};
        if (first == 0xFFFF)
            return "#" + std::to_string(Get<WORD>());
        m_pos -= sizeof(WORD);
        return String();
    }

    void AlignDword() { m_pos = (m_pos + 3) & ~size_t(3); }
    size_t Pos() const { return m_pos; }
    void Seek(size_t pos) { m_pos = pos; }
    bool Overrun() const { return m_overrun; }

private:
    const std::vector<BYTE>& m_bytes;
    size_t m_pos = 0;
    bool m_overrun = false;
};

struct Control {
    int id;
    std::string className;
    std::string text;
    DWORD style;
    short x, y, cx, cy;

    bool operator==(const Control& o) const {
        return id == o.id && lstrcmpiA(className.c_str(), o.className.c_str()) == 0 &&
               text == o.text && style == o.style && x == o.x && y == o.y && cx == o.cx &&
               cy == o.cy;
    }
};

std::ostream& operator<<(std::ostream& os, const Control& c) {
    char style[16];
    std::snprintf(style, sizeof style, "0x%08lX", static_cast<unsigned long>(c.style));
    return os << "{" << c.id << ", " << c.className << ", \"" << c.text << "\", " << style << ", "
              << c.x << "," << c.y << "," << c.cx << "," << c.cy << "}";
}

struct Dialog {
    bool extended = false;
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string menu, className, caption;
    WORD pointSize = 0;
    std::string face;
    std::vector<Control> controls;
};

std::string ControlClass(const std::string& name) {
    static const std::map<std::string, std::string> ordinals = {
        {"#128", "Button"},  {"#129", "Edit"},      {"#130", "Static"},
        {"#131", "ListBox"}, {"#132", "ScrollBar"}, {"#133", "ComboBox"}};
    auto it = ordinals.find(name);
    return it != ordinals.end() ? it->second : name;
}

// Parses DLGTEMPLATE and DLGTEMPLATEEX.
Dialog ParseDialog(const std::vector<BYTE>& bytes) {
    Dialog d;
    Reader r(bytes);
    d.extended =
        bytes.size() >= 4 && bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF && bytes[3] == 0xFF;
    WORD count;
    if (d.extended) {
        r.Seek(8); // version, signature, help id
        d.exStyle = r.Get<DWORD>();
        d.style = r.Get<DWORD>();
    } else {
        d.style = r.Get<DWORD>();
        d.exStyle = r.Get<DWORD>();
    }
    count = r.Get<WORD>();
    d.x = r.Get<short>();
    d.y = r.Get<short>();
    d.cx = r.Get<short>();
    d.cy = r.Get<short>();
    d.menu = r.NameOrOrdinal();
    d.className = r.NameOrOrdinal();
    d.caption = r.String();
    if (d.style & (DS_SETFONT | DS_SHELLFONT)) {
        d.pointSize = r.Get<WORD>();
        if (d.extended)
            r.Seek(r.Pos() + 4); // weight, italic, character set
        d.face = r.String();
    }
    for (WORD i = 0; i < count && !r.Overrun(); ++i) {
        r.AlignDword();
        Control c{};
        DWORD exStyle;
        if (d.extended) {
            r.Get<DWORD>(); // help id
            exStyle = r.Get<DWORD>();
            c.style = r.Get<DWORD>();
        } else {
            c.style = r.Get<DWORD>();
            exStyle = r.Get<DWORD>();
        }
        EXPECT_EQ(exStyle, 0u) << "control " << i;
        c.x = r.Get<short>();
        c.y = r.Get<short>();
        c.cx = r.Get<short>();
        c.cy = r.Get<short>();
        c.id = d.extended ? static_cast<int>(r.Get<DWORD>()) : r.Get<short>();
        c.className = ControlClass(r.NameOrOrdinal());
        c.text = r.NameOrOrdinal();
        const WORD extra = r.Get<WORD>();
        EXPECT_EQ(extra, 0u) << "control " << i << " carries creation data";
        r.Seek(r.Pos() + extra);
        d.controls.push_back(c);
    }
    EXPECT_FALSE(r.Overrun()) << "dialog template ends early";
    return d;
}

// "1.0" of a VERSION file that begins "1.0.0.1", read from the source folder (under Wine, the
// Unix root is drive Z:), not taken from the build's own macros, which the About box uses.
std::string ReleaseOfVersionFile() {
    std::ifstream file(std::string("Z:") + QUARN_SOURCE_DIR + "/VERSION");
    std::string version;
    std::getline(file, version);
    return version.substr(0, version.find('.', version.find('.') + 1));
}

struct ExpectedDialog {
    int id;
    WORD language;
    bool extended;
    DWORD style, exStyle;
    short x, y, cx, cy;
    const char* caption;
    std::vector<Control> controls;
};

const DWORD kCentredLabel = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER;
const DWORD kLeftLabel = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
const DWORD kPushButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
const DWORD kCheckBox = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
const DWORD kDropList = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
const DWORD kDescription =
    WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;

const std::vector<ExpectedDialog>& ExpectedDialogs() {
    static const std::vector<ExpectedDialog> dialogs = {
        {IDD_ABOUTBOX,
         kLangUs,
         false,
         0x80C800C0,
         0,
         0,
         0,
         235,
         55,
         "About QuarnEventLogConfiguration",
         {
             {IDC_STATIC, "Static", "#128", 0x50000003, 11, 17, 20, 20},
             // The release: the first two numbers of the VERSION file.
             {IDC_STATIC, "Static", "QuarnEventLogConfiguration Version " + ReleaseOfVersionFile(),
              0x50020080, 40, 10, 119, 8},
             {IDC_STATIC, "Static", "Copyright (C) 2026", 0x50020000, 40, 25, 119, 8},
             {IDOK, "Button", "OK", 0x50030001, 178, 7, 50, 14},
         }},
        {IDD_QUARNEVENTLOGCONFIGURATION_DIALOG,
         kLangUs,
         true,
         0x90CA00C4,
         WS_EX_APPWINDOW,
         0,
         0,
         340,
         265,
         "QuarnEventLogConfiguration",
         {
             {IDOK, "Button", "OK", 0x50010001, 283, 244, 50, 14},
             {IDCANCEL, "Button", "Cancel", 0x50010000, 7, 244, 50, 14},
             {IDC_TREE, "SysTreeView32", "", 0x50810137, 7, 7, 195, 213},
             {IDC_USE_DEFAULT_LEVEL, "Button", "Use Default Value", kCheckBox, 219, 41, 105, 10},
             {IDC_STATIC_TYPE_LABEL, "Static", "Logging Type", kCentredLabel, 212, 120, 115, 8},
             {IDC_COMBO_LEVEL, "ComboBox", "", kDropList, 219, 55, 104, 86},
             {IDC_EDIT_LEVEL_DESCRIPTION, "Edit", "", kDescription, 220, 73, 100, 39},
             {IDC_USE_DEFAULT_TYPE, "Button", "Use Default Value", kCheckBox, 219, 133, 105, 10},
             {IDC_COMBO_TYPE, "ComboBox", "", kDropList, 219, 146, 104, 75},
             {IDC_EDIT_TYPE_DESCRIPTION, "Edit", "", kDescription, 220, 164, 100, 39},
             {IDC_STATIC_LEVEL_LABEL, "Static", "Logging Level", kCentredLabel, 211, 28, 116, 8},
             // Hidden: no WS_VISIBLE.
             {IDC_EDIT_INDEX, "Edit", "",
              WS_CHILD | WS_TABSTOP | WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 67, 244, 29, 14},
             {IDC_ADD_SUBSYSTEM, "Button", "Add SubSystem", WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON,
              131, 244, 81, 14},
             {IDC_STATIC_FRAME, "Button", "", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 209, 18, 124,
              222},
             {IDC_STATIC_TITLE, "Static", "Static", kCentredLabel, 216, 7, 107, 10},
             {IDC_STATIC_NOTE, "Static",
              "Events must meet both the level and type criteria to be logged", kLeftLabel, 220,
              212, 102, 19},
             {IDC_EDIT_EXPIRE_DAYS, "Edit", "",
              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 111, 224, 40, 14},
             {IDC_STATIC, "Static", "Delete logs older than", kLeftLabel, 38, 227, 70, 8},
             {IDC_STATIC, "Static", "days", kLeftLabel, 155, 227, 16, 8},
             {IDC_APPLY, "Button", "Apply", kPushButton, 221, 244, 50, 14},
         }},
        {IDD_ADD_SUBSYSTEM,
         kLangUk,
         false,
         0x80C00844,
         0,
         0,
         0,
         133,
         47,
         "Enter Name of SubSystem",
         {
             {IDOK, "Button", "OK", 0x50010001, 76, 26, 50, 14},
             {IDCANCEL, "Button", "Cancel", 0x50010000, 7, 26, 50, 14},
             {IDC_EDIT_SUBSYSTEM_NAME, "Edit", "", 0x50810080, 7, 7, 119, 14},
         }},
    };
    return dialogs;
}

TEST(ResourceDialogs, TemplatesMatchTheirLayout) {
    for (const ExpectedDialog& e : ExpectedDialogs()) {
        SCOPED_TRACE("dialog " + std::to_string(e.id));
        const std::vector<BYTE> bytes = LoadBytes(RT_DIALOG, MAKEINTRESOURCEA(e.id), e.language);
        ASSERT_FALSE(bytes.empty());
        const Dialog d = ParseDialog(bytes);
        EXPECT_EQ(d.extended, e.extended);
        EXPECT_EQ(d.style, e.style);
        EXPECT_EQ(d.exStyle, e.exStyle);
        EXPECT_EQ(d.x, e.x);
        EXPECT_EQ(d.y, e.y);
        EXPECT_EQ(d.cx, e.cx);
        EXPECT_EQ(d.cy, e.cy);
        EXPECT_EQ(d.menu, "");
        EXPECT_EQ(d.className, "");
        EXPECT_EQ(d.caption, e.caption);
        EXPECT_EQ(d.pointSize, 8);
        EXPECT_EQ(d.face, "MS Sans Serif");
        EXPECT_EQ(d.controls, e.controls);
    }
}

// One node of a VS_VERSIONINFO tree.
struct VersionNode {
    std::string key;
    WORD type = 0;
    std::vector<BYTE> value;
    std::vector<VersionNode> children;

    const VersionNode* Child(const std::string& name) const {
        for (const VersionNode& c : children)
            if (c.key == name)
                return &c;
        return nullptr;
    }
    std::string Text() const {
        std::string text;
        for (size_t i = 0; i + 1 < value.size(); i += 2) {
            const WORD c = static_cast<WORD>(value[i] | value[i + 1] << 8);
            if (c == 0)
                break;
            text += c < 0x80 ? static_cast<char>(c) : '?';
        }
        return text;
    }
};

VersionNode ParseVersionNode(const std::vector<BYTE>& bytes, size_t begin) {
    VersionNode node;
    Reader r(bytes);
    r.Seek(begin);
    const size_t end = begin + r.Get<WORD>();
    const WORD valueLength = r.Get<WORD>();
    node.type = r.Get<WORD>();
    node.key = r.String();
    r.AlignDword();
    // Text values count characters, binary values bytes.
    const size_t valueBytes = node.type == 1 ? valueLength * 2u : valueLength;
    const size_t valueEnd = std::min(r.Pos() + valueBytes, std::min(end, bytes.size()));
    if (r.Pos() < valueEnd)
        node.value.assign(bytes.begin() + r.Pos(), bytes.begin() + valueEnd);
    r.Seek(valueEnd);
    r.AlignDword();
    while (r.Pos() + 6 <= end && !r.Overrun()) {
        const size_t child = r.Pos();
        const WORD length = r.Get<WORD>();
        if (length == 0 || child + length > end)
            break;
        node.children.push_back(ParseVersionNode(bytes, child));
        r.Seek(child + length);
        r.AlignDword();
    }
    EXPECT_FALSE(r.Overrun()) << "version node " << node.key;
    EXPECT_LE(end, bytes.size()) << "version node " << node.key;
    return node;
}

void ExpectVersionBlock(HMODULE module) {
    const std::vector<BYTE> bytes = LoadBytes(RT_VERSION, MAKEINTRESOURCEA(1), kLangUs, module);
    ASSERT_FALSE(bytes.empty());
    const VersionNode root = ParseVersionNode(bytes, 0);
    EXPECT_EQ(root.key, "VS_VERSION_INFO");

    VS_FIXEDFILEINFO fixed{};
    ASSERT_EQ(root.value.size(), sizeof fixed);
    std::memcpy(&fixed, root.value.data(), sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    // The version of the VERSION file, which the installers carry too.
    const DWORD versionMS = MAKELONG(QUARN_VERSION_MINOR, QUARN_VERSION_MAJOR);
    const DWORD versionLS = MAKELONG(QUARN_VERSION_TWEAK, QUARN_VERSION_PATCH);
    EXPECT_EQ(fixed.dwFileVersionMS, versionMS);
    EXPECT_EQ(fixed.dwFileVersionLS, versionLS);
    EXPECT_EQ(fixed.dwProductVersionMS, versionMS);
    EXPECT_EQ(fixed.dwProductVersionLS, versionLS);
    EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed.dwFileFlags, 0u);
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed.dwFileSubtype, 0u);

    const VersionNode* stringInfo = root.Child("StringFileInfo");
    ASSERT_NE(stringInfo, nullptr);
    ASSERT_EQ(stringInfo->children.size(), 1u);
    const VersionNode& table = stringInfo->children[0];
    EXPECT_EQ(table.key, "040904B0");
    // Written as "1, 0, 0, 1": the four numbers, each after a comma and a space but the first.
    const std::string versionText =
        std::to_string(QUARN_VERSION_MAJOR) + ", " + std::to_string(QUARN_VERSION_MINOR) + ", " +
        std::to_string(QUARN_VERSION_PATCH) + ", " + std::to_string(QUARN_VERSION_TWEAK);
    const std::map<std::string, std::string> expected = {
        {"CompanyName", ""},
        {"FileDescription", "QuarnEventLogConfiguration MFC Application"},
        {"FileVersion", versionText},
        {"InternalName", "QuarnEventLogConfiguration"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "QuarnEventLogConfiguration.EXE"},
        {"ProductName", "QuarnEventLogConfiguration Application"},
        {"ProductVersion", versionText},
    };
    std::map<std::string, std::string> actual;
    std::string legalNotice;
    for (const VersionNode& entry : table.children) {
        EXPECT_EQ(entry.type, 1) << entry.key << " is not text";
        if (entry.key == "LegalCopyright")
            legalNotice = entry.Text();
        else
            actual[entry.key] = entry.Text();
    }
    EXPECT_EQ(actual, expected);
    EXPECT_FALSE(legalNotice.empty()) << "the legal notice is missing";

    const VersionNode* varInfo = root.Child("VarFileInfo");
    ASSERT_NE(varInfo, nullptr);
    const VersionNode* translation = varInfo->Child("Translation");
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation->value, (std::vector<BYTE>{0x09, 0x04, 0xB0, 0x04}));
}

TEST(ResourceVersion, FixedInfoStringsAndTranslation) {
    ExpectVersionBlock(ResourceModule());
}

TEST(ResourceStrings, AboutEntryIsTheOnlyString) {
    char text[128] = {};
    ASSERT_GT(LoadStringA(ResourceModule(), IDS_ABOUTBOX, text, sizeof text), 0);
    EXPECT_STREQ(text, "&About QuarnEventLogConfiguration...");

    // Strings are stored in blocks of 16; the block must hold nothing else.
    const std::vector<BYTE> block =
        LoadBytes(RT_STRING, MAKEINTRESOURCEA(IDS_ABOUTBOX / 16 + 1), kLangUs);
    ASSERT_FALSE(block.empty());
    Reader r(block);
    for (int i = 0; i < 16; ++i) {
        const WORD length = r.Get<WORD>();
        EXPECT_EQ(length != 0, i == IDS_ABOUTBOX % 16) << "string " << (i + IDS_ABOUTBOX / 16 * 16);
        r.Seek(r.Pos() + 2u * length);
    }
    EXPECT_FALSE(r.Overrun());
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

TEST(ResourceIcon, GroupHoldsTwoSixteenColourImages) {
    const std::vector<BYTE> group =
        LoadBytes(RT_GROUP_ICON, MAKEINTRESOURCEA(IDR_MAINFRAME), kLangUk);
    ASSERT_GE(group.size(), 6u);
    Reader r(group);
    EXPECT_EQ(r.Get<WORD>(), 0);
    EXPECT_EQ(r.Get<WORD>(), 1); // icons, not cursors
    const WORD count = r.Get<WORD>();
    ASSERT_EQ(count, 2);
    ASSERT_EQ(group.size(), 6 + count * sizeof(GroupIconEntry));

    const struct {
        BYTE size;
        WORD id;
    } expected[] = {{32, 1}, {16, 2}};
    for (int i = 0; i < count; ++i) {
        const GroupIconEntry entry = r.Get<GroupIconEntry>();
        const int size = expected[i].size;
        SCOPED_TRACE("image " + std::to_string(size));
        EXPECT_EQ(entry.width, size);
        EXPECT_EQ(entry.height, size);
        EXPECT_EQ(entry.colourCount, 16);
        EXPECT_EQ(entry.planes, 1);
        EXPECT_EQ(entry.bitCount, 4);
        EXPECT_EQ(entry.id, expected[i].id);

        std::vector<BYTE> image = LoadBytes(RT_ICON, MAKEINTRESOURCEA(entry.id), kLangUk);
        ASSERT_EQ(image.size(), entry.bytesInRes);
        BITMAPINFOHEADER header{};
        ASSERT_GE(image.size(), sizeof header);
        std::memcpy(&header, image.data(), sizeof header);
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, 2 * size); // colour bitmap and AND mask
        EXPECT_EQ(header.biBitCount, 4);
        // 16-entry palette, colour rows of 4 bits per pixel, mask rows of 1 bit, each row
        // padded to 32 bits.
        const size_t colourRow = (size * 4 + 31) / 32 * 4, maskRow = (size + 31) / 32 * 4;
        EXPECT_EQ(image.size(), sizeof header + 16 * 4 + size * (colourRow + maskRow));

        HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE,
                                              0x00030000, size, size, 0);
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);

        // What LoadIcon does: pick the image of the wanted size from the group.
        EXPECT_EQ(LookupIconIdFromDirectoryEx(const_cast<BYTE*>(group.data()), TRUE, size, size,
                                              LR_DEFAULTCOLOR),
                  entry.id);
    }
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

void ExpectManifest(HMODULE module, const std::string& architectureName) {
    const std::vector<BYTE> bytes = LoadBytes(kRtManifest, MAKEINTRESOURCEA(1), kLangUs, module);
    ASSERT_FALSE(bytes.empty());
    const std::string manifest(bytes.begin(), bytes.end());
    const std::string architecture = "processorArchitecture=\"" + architectureName + "\"";
    // A 64-bit program naming X86 (or the reverse) does not start on Windows: the
    // side-by-side loader finds no matching assembly. Both the program's own identity and the
    // common-controls dependency must name the build's architecture.
    EXPECT_EQ(CountOf(manifest, "processorArchitecture="), 2u);
    EXPECT_EQ(CountOf(manifest, architecture), 2u) << manifest;

    EXPECT_EQ(manifest.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", 0),
              0u);
    const std::string identity = "version=\"" + std::to_string(QUARN_VERSION_MAJOR) + "." +
                                 std::to_string(QUARN_VERSION_MINOR) + "." +
                                 std::to_string(QUARN_VERSION_PATCH) + "." +
                                 std::to_string(QUARN_VERSION_TWEAK) + "\"";
    const char* const required[] = {
        "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">",
        "name=\"Brivantex.QuarnEventLogConfiguration.QuarnEventLogConfiguration\"",
        // The program's identity carries the whole version.
        identity.c_str(),
        "<description>QuarnEventLogConfiguration</description>",
        "name=\"Microsoft.Windows.Common-Controls\"",
        "version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"",
        "language=\"*\"",
        // Without an execution level, Windows virtualises HKLM writes of a non-elevated 32-bit
        // program: Apply would look saved and be lost.
        "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">",
        "<requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/>",
    };
    for (const char* part : required)
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    EXPECT_EQ(CountOf(manifest, "type=\"win32\""), 2u);
}

// The DPI awareness as the system's side-by-side loader reads it from a program's manifest, each
// setting in the namespace that names it (under Wine, the same parser that sets a process's
// awareness): per-monitor V2 where the system has it, else the system's DPI, also for systems
// that read only dpiAware. hActCtx: null for this process's own manifest.
void ExpectDpiAwareness(HANDLE hActCtx) {
    using QueryActCtxSettingsFunction =
        BOOL(WINAPI*)(DWORD, HANDLE, PCWSTR, PCWSTR, PWSTR, SIZE_T, SIZE_T*);
    const auto pfnQuery = reinterpret_cast<QueryActCtxSettingsFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryActCtxSettingsW")));
    ASSERT_NE(nullptr, pfnQuery);
    const struct {
        const wchar_t* ns;
        const wchar_t* name;
        const wchar_t* value;
    } settings[] = {
        {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness",
         L"PerMonitorV2, System"},
        {L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", L"true"},
    };
    for (const auto& setting : settings) {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        EXPECT_TRUE(pfnQuery(0, hActCtx, setting.ns, setting.name, value, 64, &written))
            << std::string(setting.name, setting.name + wcslen(setting.name));
        EXPECT_EQ(std::wstring(setting.value), value);
    }
}

// A program's manifest as the side-by-side loader activates it.
HANDLE ProgramActCtx(const std::wstring& path) {
    ACTCTXW actCtx = {};
    actCtx.cbSize = sizeof actCtx;
    actCtx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    actCtx.lpSource = path.c_str();
    actCtx.lpResourceName = MAKEINTRESOURCEW(1);
    return CreateActCtxW(&actCtx);
}

TEST(ResourceManifest, NamesTheBuildArchitectureAndRequestsCommonControls6) {
#ifdef _WIN64
    ExpectManifest(ResourceModule(), "amd64");
#else
    ExpectManifest(ResourceModule(), "X86");
#endif
    // The test carries the program's resources: its own process runs with the same manifest.
    ExpectDpiAwareness(nullptr);
}

// The program that ships is the i686 one: its version block is the x86_64 program's and its
// manifest names X86, or Windows would not start it.
TEST(ShippedProgram, I686VersionBlockAndManifest) {
    if (!I686Program())
        GTEST_SKIP() << "no i686 program at QUARN_I686_PROGRAM";
    ExpectVersionBlock(I686Program());
    ExpectManifest(I686Program(), "X86");
    const char* path = std::getenv("QUARN_I686_PROGRAM");
    const HANDLE hActCtx = ProgramActCtx(std::wstring(path, path + strlen(path)));
    ASSERT_NE(INVALID_HANDLE_VALUE, hActCtx);
    ExpectDpiAwareness(hActCtx);
    ReleaseActCtx(hActCtx);
}

std::string ResourceName(LPCSTR name) {
    return IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name))
                                : std::string(name);
}

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR found) {
    reinterpret_cast<std::set<std::string>*>(found)->insert(ResourceName(type));
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR found) {
    reinterpret_cast<std::set<std::string>*>(found)->insert(ResourceName(name));
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::set<WORD>*>(found)->insert(language);
    return TRUE;
}

// Every resource the program carries, in exactly one language each, and nothing else.
TEST(ResourceInventory, EachResourceExistsOnceInItsLanguage) {
    const struct {
        LPCSTR type;
        int name;
        WORD language;
    } expected[] = {
        {RT_ICON, 1, kLangUk},
        {RT_ICON, 2, kLangUk},
        {RT_GROUP_ICON, IDR_MAINFRAME, kLangUk},
        {RT_DIALOG, IDD_ABOUTBOX, kLangUs},
        {RT_DIALOG, IDD_QUARNEVENTLOGCONFIGURATION_DIALOG, kLangUs},
        {RT_DIALOG, IDD_ADD_SUBSYSTEM, kLangUk},
        {RT_STRING, IDS_ABOUTBOX / 16 + 1, kLangUs},
        {RT_VERSION, 1, kLangUs},
        {kRtManifest, 1, kLangUs},
    };
    HMODULE module = ResourceModule();
    std::map<std::string, std::set<std::string>> expectedNames;
    for (const auto& e : expected) {
        const std::string what = ResourceName(e.type) + "/" + std::to_string(e.name);
        expectedNames[ResourceName(e.type)].insert("#" + std::to_string(e.name));
        std::set<WORD> languages;
        EnumResourceLanguagesA(module, e.type, MAKEINTRESOURCEA(e.name), CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::set<WORD>{e.language}) << what;
    }

    std::set<std::string> types;
    EnumResourceTypesA(module, CollectType, reinterpret_cast<LONG_PTR>(&types));
    std::map<std::string, std::set<std::string>> actualNames;
    for (const std::string& type : types) {
        std::set<std::string>& names = actualNames[type];
        const LPCSTR typeId =
            type[0] == '#' ? MAKEINTRESOURCEA(std::stoi(type.substr(1))) : type.c_str();
        EnumResourceNamesA(module, typeId, CollectName, reinterpret_cast<LONG_PTR>(&names));
    }
    EXPECT_EQ(actualNames, expectedNames);
}

} // namespace
