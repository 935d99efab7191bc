// Checks the compiled resources of the launcher against their layout tables: dialog templates
// (ids, classes, texts, positions and sizes in dialog units, styles, font), the icon sizes,
// the manifest and the version information.

#include "project_version.h"
#include "resources/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Item {
    int id;
    std::string cls;
    std::string text;
    int x, y, cx, cy;
    DWORD style;
};

struct Template {
    DWORD style;
    int x, y, cx, cy;
    std::string caption;
    int pointSize;
    std::string face;
    std::vector<Item> items;
};

// Reads an extended dialog template. Every read is checked against the resource's size.
class Reader {
public:
    Reader(const BYTE* data, std::size_t size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }
    std::uint16_t Word() {
        std::uint16_t v = 0;
        Read(&v, 2);
        return v;
    }
    std::uint32_t Dword() {
        std::uint32_t v = 0;
        Read(&v, 4);
        return v;
    }
    void Align(std::size_t to) { m_pos = (m_pos + to - 1) / to * to; }
    void Skip(std::size_t n) {
        if (n > m_size - m_pos)
            m_ok = false;
        else
            m_pos += n;
    }
    // A string, or "#n" for an ordinal.
    std::string SzOrOrd() {
        const std::uint16_t first = Word();
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        std::string text;
        for (std::uint16_t c = first; m_ok && c != 0; c = Word())
            text += c < 0x80 ? static_cast<char>(c) : '?';
        return text;
    }

private:
    void Read(void* out, std::size_t n) {
        if (m_pos > m_size || n > m_size - m_pos) {
            m_ok = false;
            return;
        }
        std::memcpy(out, m_data + m_pos, n);
        m_pos += n;
    }
    const BYTE* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

std::optional<std::vector<BYTE>> LoadResourceBytes(LPCSTR name, LPCSTR type) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC info = ::FindResourceA(module, name, type);
    if (info == nullptr) return std::nullopt;
    HGLOBAL handle = ::LoadResource(module, info);
    const auto* bytes = static_cast<const BYTE*>(::LockResource(handle));
    if (bytes == nullptr) return std::nullopt;
    return std::vector<BYTE>(bytes, bytes + ::SizeofResource(module, info));
}

std::string ClassName(const std::string& raw) {
    if (raw == "#128") return "Button";
    if (raw == "#129") return "Edit";
    if (raw == "#130") return "Static";
    if (raw == "#131") return "ListBox";
    if (raw == "#133") return "ComboBox";
    return raw;
}

std::optional<Template> LoadTemplate(int id) {
    const auto bytes = LoadResourceBytes(MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!bytes) return std::nullopt;
    Reader r(bytes->data(), bytes->size());
    if (r.Word() != 1 || r.Word() != 0xFFFF) return std::nullopt;  // not an extended template
    Template t{};
    r.Dword();  // help id
    r.Dword();  // extended style
    t.style = r.Dword();
    const int count = r.Word();
    t.x = static_cast<std::int16_t>(r.Word());
    t.y = static_cast<std::int16_t>(r.Word());
    t.cx = static_cast<std::int16_t>(r.Word());
    t.cy = static_cast<std::int16_t>(r.Word());
    r.SzOrOrd();  // menu
    r.SzOrOrd();  // class
    t.caption = r.SzOrOrd();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        r.Word();   // weight
        r.Skip(2);  // italic, character set
        t.face = r.SzOrOrd();
    }
    for (int i = 0; i < count && r.ok(); ++i) {
        r.Align(4);
        Item item{};
        r.Dword();  // help id
        r.Dword();  // extended style
        item.style = r.Dword();
        item.x = static_cast<std::int16_t>(r.Word());
        item.y = static_cast<std::int16_t>(r.Word());
        item.cx = static_cast<std::int16_t>(r.Word());
        item.cy = static_cast<std::int16_t>(r.Word());
        item.id = static_cast<std::int16_t>(static_cast<std::uint16_t>(r.Dword()));
        item.cls = ClassName(r.SzOrOrd());
        item.text = r.SzOrOrd();
        r.Skip(r.Word());  // creation data
        t.items.push_back(item);
    }
    if (!r.ok()) return std::nullopt;
    return t;
}

// Expected control: kind bits `must` all set, `mustNot` all clear; for buttons `type` is the
// low nibble of the style (BS_PUSHBUTTON ...), -1 for other classes.
struct Expected {
    int id;
    const char* cls;
    const char* text;
    int x, y, cx, cy;
    int type;
    DWORD must;
    DWORD mustNot;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

void CheckTemplate(int templateId, const std::vector<Expected>& expected) {
    const auto t = LoadTemplate(templateId);
    ASSERT_TRUE(t) << "template " << templateId;
    ASSERT_EQ(t->items.size(), expected.size()) << "template " << templateId;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Item& got = t->items[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(testing::Message()
                     << "template " << templateId << " item " << i << " id " << e.id);
        EXPECT_EQ(got.id, e.id);
        EXPECT_STRCASEEQ(got.cls.c_str(), e.cls);
        EXPECT_EQ(got.text, e.text);
        EXPECT_EQ((std::vector<int>{got.x, got.y, got.cx, got.cy}),
                  (std::vector<int>{e.x, e.y, e.cx, e.cy}));
        if (e.type >= 0) {
            EXPECT_EQ(static_cast<int>(got.style & BS_TYPEMASK), e.type);
        }
        EXPECT_EQ(got.style & e.must, e.must) << std::hex << got.style;
        EXPECT_EQ(got.style & e.mustNot, 0u) << std::hex << got.style;
    }
}

void CheckFrame(int templateId, int x, int y, int cx, int cy, const char* caption, DWORD must,
                DWORD mustNot) {
    const auto t = LoadTemplate(templateId);
    ASSERT_TRUE(t);
    SCOPED_TRACE(testing::Message() << "template " << templateId);
    EXPECT_EQ((std::vector<int>{t->x, t->y, t->cx, t->cy}), (std::vector<int>{x, y, cx, cy}));
    EXPECT_EQ(t->caption, caption);
    EXPECT_EQ(t->pointSize, 8);
    EXPECT_EQ(t->face, "MS Sans Serif");
    EXPECT_EQ(t->style & must, must) << std::hex << t->style;
    EXPECT_EQ(t->style & mustNot, 0u) << std::hex << t->style;
}

TEST(Resources, SetupDialogTemplate) {
    CheckFrame(IDD_SETUP, 0, 0, 260, 188, "Dialog Title Here.",
               WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0);
    const DWORD list = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                       WS_VSCROLL | WS_BORDER | WS_TABSTOP | kChild;
    CheckTemplate(
        IDD_SETUP,
        {
            {1000, "Static", "Instructions here.", 7, 7, 246, 31, -1, kChild, 0},
            {1008, "Static", "Files:", 7, 44, 17, 8, -1, kChild, 0},
            {1001, "ListBox", "", 7, 53, 114, 72, -1, list,
             LBS_SORT | LBS_OWNERDRAWVARIABLE | LBS_MULTIPLESEL},
            {1012, "Button", "Description", 128, 49, 125, 76, BS_GROUPBOX, kChild, 0},
            {1002, "Static", "File description here.", 135, 62, 112, 56, -1, kChild, 0},
            {1009, "Button", "Destination Folder", 7, 130, 193, 51, BS_GROUPBOX, kChild, 0},
            {1003, "Button", "&Browse...", 15, 145, 40, 14, BS_PUSHBUTTON, kChild | WS_TABSTOP, 0},
            {1004, "Edit", "", 61, 145, 131, 14, -1,
             kChild | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 0},
            {1010, "Static", "MB Required:", 15, 166, 43, 8, -1, kChild, 0},
            {1005, "Static", "0", 62, 166, 36, 8, -1, kChild, 0},
            {1011, "Static", "MB Available:", 107, 166, 43, 8, -1, kChild, 0},
            {1006, "Static", "0", 154, 166, 36, 8, -1, kChild, 0},
            {1007, "Button", "Less <<", 208, 133, 45, 14, BS_PUSHBUTTON, kChild | WS_TABSTOP, 0},
            {IDCANCEL, "Button", "Cancel", 208, 150, 45, 14, BS_PUSHBUTTON, kChild | WS_TABSTOP, 0},
            {IDOK, "Button", "OK", 208, 167, 45, 14, BS_DEFPUSHBUTTON, kChild | WS_TABSTOP, 0},
        });
}

TEST(Resources, OlderFolderChooserTemplate) {
    CheckFrame(IDD_BROWSE_FOLDER, 36, 24, 173, 133, "Browse", WS_POPUP | WS_CAPTION | DS_MODALFRAME,
               0);
    const DWORD hidden = WS_VISIBLE;
    CheckTemplate(
        IDD_BROWSE_FOLDER,
        {
            {IDOK, "Button", "OK", 117, 22, 50, 14, BS_DEFPUSHBUTTON, kChild, 0},
            {IDCANCEL, "Button", "Cancel", 117, 41, 50, 14, BS_PUSHBUTTON, kChild, 0},
            {1038, "Button", "&Help", 117, 62, 50, 14, BS_PUSHBUTTON, kChild, 0},
            {-1, "Static", "&Folder:", 6, 6, 22, 9, -1, kChild, 0},
            {1088, "Static", "", 31, 6, 133, 9, -1, kChild, 0},
            {1121, "ListBox", "", 6, 23, 104, 77, -1, kChild, 0},
            {1091, "Static", "Dri&ves:", 6, 102, 24, 9, -1, kChild, 0},
            {1137, "ComboBox", "", 6, 113, 104, 68, -1, kChild, 0},
            {1090, "Static", "File &name:", 117, 82, 22, 9, -1, WS_DISABLED, hidden},
            {1152, "Edit", "", 141, 82, 22, 12, -1, WS_DISABLED, hidden},
            {1120, "ListBox", "", 117, 96, 22, 12, -1, WS_DISABLED, hidden},
            {1089, "Static", "List files of &type:", 141, 96, 22, 9, -1, WS_DISABLED, hidden},
            {1136, "ComboBox", "", 117, 110, 22, 30, -1, WS_DISABLED, hidden},
            {1040, "Button", "&Read only", 141, 110, 22, 12, BS_AUTOCHECKBOX, WS_DISABLED, hidden},
        });
}

TEST(Resources, CopyProgressTemplate) {
    CheckFrame(IDD_COPY_PROGRESS, 0, 0, 243, 54, "Copy Progress",
               WS_VISIBLE | WS_POPUP | WS_CAPTION | DS_MODALFRAME, WS_SYSMENU);
    CheckTemplate(IDD_COPY_PROGRESS,
                  {
                      {IDCANCEL, "Button", "&Cancel", 186, 33, 50, 14, BS_PUSHBUTTON, kChild, 0},
                      {-1, "Static", "From:", 7, 7, 18, 8, -1, kChild, 0},
                      {1016, "Static", "", 30, 7, 206, 8, -1, kChild, 0},
                      {-1, "Static", "To:", 7, 18, 12, 8, -1, kChild, 0},
                      {1017, "Static", "", 30, 18, 206, 8, -1, kChild, 0},
                      {1013, "msctls_progress32", "", 7, 33, 173, 14, -1, kChild | WS_BORDER, 0},
                  });
}

TEST(Resources, StartupMessageTemplate) {
    CheckFrame(IDD_STARTUP_MESSAGE, 0, 0, 210, 102, "", WS_POPUP | DS_MODALFRAME | DS_CENTER,
               WS_SYSMENU | WS_DLGFRAME);
    CheckTemplate(IDD_STARTUP_MESSAGE,
                  {
                      {IDOK, "Button", "OK", 157, 83, 46, 14, BS_DEFPUSHBUTTON,
                       kChild | WS_TABSTOP | WS_GROUP, 0},
                      {1018, "Button", "&Please don't show me this message again.", 6, 85, 149, 10,
                       BS_AUTOCHECKBOX, kChild | WS_TABSTOP, 0},
                      {1019, "Static", "", 6, 6, 197, 72, -1, kChild | SS_SUNKEN | WS_GROUP, 0},
                  });
}

TEST(Resources, IconHasThreeSizes) {
    // RT_GROUP_ICON: a 6-byte header, then 14-byte entries whose first byte is the width.
    const auto group = LoadResourceBytes(MAKEINTRESOURCEA(IDI_LAUNCHER), MAKEINTRESOURCEA(14));
    ASSERT_TRUE(group);
    ASSERT_GE(group->size(), 6u);
    const std::size_t count = (*group)[4] | ((*group)[5] << 8);
    ASSERT_EQ(group->size(), 6 + 14 * count);
    std::vector<int> widths;
    for (std::size_t i = 0; i < count; ++i) widths.push_back((*group)[6 + 14 * i]);
    EXPECT_EQ(widths, (std::vector<int>{16, 32, 48}));
    EXPECT_NE(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_LAUNCHER)), nullptr);
}

TEST(Resources, ManifestAsksForCommonControlsSixAndNoExecutionLevel) {
    const auto manifest = LoadResourceBytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_TRUE(manifest);
    const std::string text(manifest->begin(), manifest->end());
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("name=\"Tivoroo.Launcher\" version=\"" PROJECT_VERSION_QUAD_TEXT "\""),
              std::string::npos);
    EXPECT_EQ(text.find("requestedExecutionLevel"), std::string::npos);
    EXPECT_EQ(text.find("trustInfo"), std::string::npos);
}

// The version information carries the project version, and none of its texts holds a word
// that makes Windows treat a program without a requested execution level as one that needs
// administrator rights.
TEST(Resources, VersionInformationNamesTheProduct) {
    char path[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> data(size);
    ASSERT_TRUE(::GetFileVersionInfoA(path, 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    const unsigned numbers[4] = {PROJECT_VERSION_NUMBERS};
    EXPECT_EQ(fixed->dwFileVersionMS, numbers[0] << 16 | numbers[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, numbers[2] << 16 | numbers[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    const char* const names[] = {"CompanyName",  "FileDescription", "FileVersion",
                                 "InternalName", "LegalCopyright",  "OriginalFilename",
                                 "ProductName",  "ProductVersion"};
    for (const char* name : names) {
        char* value = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(
            ::VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
            << name;
        std::string lower(value);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const char* word : {"install", "setup", "update", "patch", "upgrade"}) {
            EXPECT_EQ(lower.find(word), std::string::npos)
                << name << " \"" << value << "\" holds " << word;
        }
        if (std::string(name) == "ProductName") {
            EXPECT_STREQ(value, "Tivoroo Launcher");
        }
        if (std::string(name).find("Version") != std::string::npos) {
            EXPECT_STREQ(value, PROJECT_VERSION_QUAD_TEXT) << name;
        }
    }
}

}  // namespace
