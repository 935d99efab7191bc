// The install script read twice: by the launcher's own reading module, through the platform's
// profile functions with the launcher's buffers, and by disctool's INI reader, which
// `disctool check` uses to tell an author what the launcher will see. For a table of scripts
// chosen where INI readers part ways, every value the launcher reads is compared, and so are
// the readings of a few extra keys through small buffers and the integer rule. disctool must
// also list each script whose reading differs between systems (IniFile::issues). Wine's
// profile functions are the reference that runs here.
#include "base/install_script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/disctool/codepage.h"
#include "tools/disctool/inifile.h"
#include "tests/support/test_files.h"

namespace {

using disctool::IniFile;
using disctool::IniIssue;
namespace ini = disctool::ini;

const char* const kComponentSections[] = {rules::kRequiredSection, rules::kOptionalSection};
// Extra keys of section "S", read as integers and into a 6-byte buffer.
const char* const kProbeKeys[] = {"A", "B", "C", "D", "E", "F", "G", "H"};
constexpr int kProbeBufferSize = 6;
constexpr std::int32_t kProbeFallback = -7;

std::string Line(const std::string& label, const std::string& value) { return label + "=" + value; }
std::string Line(const std::string& label, long long value) {
    return Line(label, std::to_string(value));
}

// Records a walk over a component section as lines.
class RecordingVisitor : public ComponentSectionVisitor {
public:
    RecordingVisitor(std::string section, std::vector<std::string>* lines)
        : m_section(std::move(section)), m_lines(lines) {}
    void OnGroupCount(int groups) override { Add("groups", groups); }
    void OnGroup(int number) override { m_group = " group " + std::to_string(number); }
    void OnGroupName(const char* name) override { Add("name", name); }
    void OnGroupDescription(const char* description) override { Add("description", description); }
    void OnFileCount(int files) override { Add("files", files); }
    void OnFileName(const char* name) override { Add("file name", name); }
    void OnFileKey(const char* key) override { Add("file key", key); }

private:
    void Add(const std::string& what, const std::string& value) {
        m_lines->push_back(Line(m_section + m_group + " " + what, value));
    }
    void Add(const std::string& what, long long value) { Add(what, std::to_string(value)); }

    std::string m_section;
    std::string m_group;
    std::vector<std::string>* m_lines;
};

// Everything the launcher reads from the script at path, and the probes.
std::vector<std::string> ReadAsLauncher(const std::string& path) {
    std::vector<std::string> lines;
    char value[kPathSize];
    int ok = ReadDefaultDir(value, path.c_str());
    lines.push_back(Line("DefaultDir " + std::to_string(ok), value));
    ok = ReadStartupBitmap(value, path.c_str());
    lines.push_back(Line("Bitmap " + std::to_string(ok), value));
    for (int advanced = 0; advanced <= 1; ++advanced) {
        char text[rules::kScriptTextSize];
        ReadDialogTitle(text, advanced, path.c_str());
        lines.push_back(Line("title " + std::to_string(advanced), text));
        ReadDialogInstruction(text, advanced, path.c_str());
        lines.push_back(Line("instruction " + std::to_string(advanced), text));
    }
    char buffer[rules::kScriptValueSize];
    for (const char* section : kComponentSections) {
        RecordingVisitor visitor(section, &lines);
        WalkComponentSection(path.c_str(), section, true, buffer, visitor);
    }
    for (const char* key : kProbeKeys) {
        const auto number = static_cast<std::int32_t>(
            GetPrivateProfileIntA("S", key, kProbeFallback, path.c_str()));
        lines.push_back(Line(std::string("S ") + key + " integer", number));
        char small[kProbeBufferSize];
        GetPrivateProfileStringA("S", key, "", small, sizeof small, path.c_str());
        lines.push_back(Line(std::string("S ") + key + " string", small));
    }
    return lines;
}

// The same readings by disctool's reader, with the launcher's buffer sizes and limits.
std::vector<std::string> ReadAsDisctool(const IniFile& file) {
    std::vector<std::string> lines;
    for (const auto& [label, section, key] :
         {std::tuple{"DefaultDir", rules::kGeneralSection, rules::kDefaultDirKey},
          std::tuple{"Bitmap", rules::kStartupSection, rules::kBitmapKey}}) {
        const std::optional<std::string> value = ini::GetUncut(file, section, key, kPathSize - 1);
        lines.push_back(Line(std::string(label) + (value ? " 1" : " 0"), value.value_or("")));
    }
    constexpr std::size_t kTextChars = rules::kScriptTextSize - 1;
    for (int advanced = 0; advanced <= 1; ++advanced) {
        lines.push_back(
            Line("title " + std::to_string(advanced),
                 ini::GetString(file, rules::kGeneralSection,
                                advanced ? rules::kAdvancedTitleKey : rules::kBasicTitleKey,
                                kTextChars)));
        lines.push_back(Line(
            "instruction " + std::to_string(advanced),
            ini::GetString(file, rules::kGeneralSection,
                           advanced ? rules::kAdvancedInstructionKey : rules::kBasicInstructionKey,
                           kTextChars)));
    }
    constexpr std::size_t kValueChars = rules::kScriptValueSize - 1;
    for (const std::string section : kComponentSections) {
        const int groups = rules::CheckScriptCount(ini::GetInt(file, section, "PC-GroupCount", 0),
                                                   rules::kMaxScriptGroups);
        lines.push_back(Line(section + " groups", groups));
        for (int g = 1; g <= groups; ++g) {
            const std::string group = "PC-Group" + std::to_string(g);
            const std::string at = section + " group " + std::to_string(g) + " ";
            lines.push_back(
                Line(at + "name", ini::GetString(file, section, group + "Name", kValueChars)));
            lines.push_back(Line(at + "description",
                                 ini::GetString(file, section, group + "Desc", kValueChars)));
            const int files = rules::CheckScriptCount(
                ini::GetInt(file, section, group + "FileCount", 0), rules::kMaxGroupFiles);
            lines.push_back(Line(at + "files", files));
            for (int f = 1; f <= files; ++f) {
                const std::string prefix = group + "File" + std::to_string(f);
                std::string name = ini::GetString(file, section, prefix + "Name", kValueChars);
                rules::NormalizeSeparators(name.data());
                lines.push_back(Line(at + "file name", name.c_str()));
                lines.push_back(Line(at + "file key",
                                     ini::GetString(file, section, prefix + "Key", kValueChars)));
            }
        }
    }
    for (const std::string key : kProbeKeys) {
        lines.push_back(Line("S " + key + " integer", ini::GetInt(file, "S", key, kProbeFallback)));
        lines.push_back(
            Line("S " + key + " string", ini::GetString(file, "S", key, kProbeBufferSize - 1)));
    }
    return lines;
}

// UTF-16 text with its byte order mark, little-endian unless big.
std::string Utf16(const std::u16string& text, bool big = false) {
    std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t c : text) {
        const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        bytes += big ? high : low;
        bytes += big ? low : high;
    }
    return bytes;
}

std::string Repeat(char c, std::size_t count) { return std::string(count, c); }

struct ScriptCase {
    ScriptCase(const char* name_, std::string text_, std::vector<IniIssue::Kind> issues_ = {},
               bool same_ = true)
        : name(name_), text(std::move(text_)), issues(std::move(issues_)), same(same_) {}
    const char* name;
    std::string text;
    std::vector<IniIssue::Kind> issues;  // what disctool lists, in order
    bool same;  // false: a reading disctool cannot mirror, which it must list
};

const std::string kGroups =
    "[Required]\nPC-GroupCount=1\nPC-Group1Name=Game\nPC-Group1FileCount=2\n"
    "PC-Group1File1Name=GAME.DAT\nPC-Group1File1Key=GameDat\n"
    "PC-Group1File2Name=DATA/LEVEL1.DAT\nPC-Group1File2Key=Level1\n"
    "[Optional]\nPC-GroupCount=1\nPC-Group1Name=Movies\nPC-Group1Desc=Films.\n"
    "PC-Group1FileCount=1\nPC-Group1File1Name=MOVIES\\INTRO.AVI\nPC-Group1File1Key=Intro\n";

std::vector<ScriptCase> Cases() {
    using namespace std::string_literals;
    const std::string path259 = "C:\\" + Repeat('p', 252) + ".WIZ";  // 259 characters
    return {
        {"an ordinary script",
         "[General]\r\nDefaultDir=D:\\Games\\Foo\r\nBasDlgTitle=Foo Setup\r\nAdvInstruct=Pick.\r\n"
         "[StartupOptions]\r\nBitmap=START.WIZ\r\n" +
             kGroups},
        {"numbers with base prefixes",
         "[Required]\nPC-GroupCount=0x2\nPC-Group1FileCount=0b11\nPC-Group2FileCount=0o2\n"
         "PC-Group1File3Name=C.DAT\nPC-Group2File2Name=E.DAT\n"
         "[S]\nA=0x1F\nB=-0x10\nC=0X1\nD=010\nE=+7\nF=\"0x10\"\nG=0b\nH=0o8\n"},
        {"long numbers", "[Required]\nPC-GroupCount=" + Repeat('0', 30) +
                             "1\n[Optional]\nPC-GroupCount=4294967297\n"
                             "PC-Group1FileCount=" +
                             Repeat('0', 28) +
                             "1\n"
                             "[S]\nA=1" +
                             Repeat('0', 28) + "\nB=1" + Repeat('0', 29) +
                             "\nC=99999999999\nD=-2147483649\n"
                             "E=\"" +
                             Repeat('0', 28) + "3\"\nF=12abc\nG=- 4\nH=\"  8\"\n"},
        {"a second section of the same name",
         "[General]\nBasDlgTitle=first\n[Required]\nPC-GroupCount=1\n[general]\nBasDlgTitle=second\n"
         "AdvDlgTitle=only in the second\n[REQUIRED]\nPC-Group1Name=late\n"},
        {"a section header without its bracket",
         "[General]\nBasDlgTitle=a\n[StartupOptions\nBitmap=PIC.WIZ\n[Required]\nPC-GroupCount=1\n"
         "[Optional\nPC-GroupCount=1\nPC-Group1Name=lost\n",
         {IniIssue::kUnclosedSection, IniIssue::kUnclosedSection}},
        {"brackets in comments and empty headers",
         "[General] ; the ] main one\nBasDlgTitle=x\n[StartupOptions]]\nBitmap=y\n"
         "[ Required ] ; groups\nPC-GroupCount=1\nPC-Group1Name=spaced header\n"
         "[Optional]\nPC-GroupCount=1\n[]\nPC-Group1Name=after an empty header\n",
         {IniIssue::kSeveralBrackets, IniIssue::kSeveralBrackets}},
        {"lines ended by CR alone",
         "[General]\rBasDlgTitle=a\rAdvDlgTitle=b\r\r[Required]\rPC-GroupCount=1\rPC-Group1FileCount=1\r"
         "PC-Group1File1Name=A.DAT\rPC-Group1File1Key=A\n\r[Optional]\n\rPC-GroupCount=1\r\n"},
        {"UTF-16 with a byte order mark",
         Utf16(
             u"[General]\r\nBasDlgTitle=Caf\u00e9 \u20ac\r\n[Required]\r\nPC-GroupCount=1\r\n"
             u"PC-Group1Name=\u00c9t\u00e9\r\nPC-Group1FileCount=1\r\nPC-Group1File1Name=A.DAT\r\n")},
        {"UTF-16 big-endian",
         Utf16(u"[General]\r\nBasDlgTitle=Caf\u00e9\r\n", true),
         {IniIssue::kUtf16BigEndian}},
        {"UTF-16 with a character the code page lacks",
         Utf16(u"[General]\r\nBasDlgTitle=\u0101bc\r\n"),
         {IniIssue::kUnmappable},
         false},
        {"UTF-16 without its byte order mark",
         "[\0G\0e\0n\0e\0r\0a\0l\0]\0\n\0B\0a\0s\0D\0l\0g\0T\0i\0t\0l\0e\0=\0x\0\n\0"s,
         {IniIssue::kNulByte, IniIssue::kNulByte, IniIssue::kNulByte}},
        {"UTF-8 with a byte order mark",
         "\xEF\xBB\xBF[General]\nBasDlgTitle=caf\xC3\xA9\n",
         {IniIssue::kUtf8ByteOrderMark}},
        {"a trailing 0x1A", "[General]\nBasDlgTitle=a\n[S]\nA=5\x1A\x1A\n\x1A"},
        {"0x1A before more text",
         "[General]\nBasDlgTitle=a\x1A\nAdvDlgTitle=\x1A b \x1A\n",
         {IniIssue::kEndOfFileMark}},
        {"NUL bytes in names and values",
         "[General]\nBasDlgTitle=ab\0cd\nAdvDlgTitle\0x=y\n"s,
         {IniIssue::kNulByte, IniIssue::kNulByte}},
        {"a Bitmap of 259 characters", "[StartupOptions]\nBitmap=" + path259 + "\n"},
        {"a Bitmap of 260 characters", "[StartupOptions]\nBitmap=" + path259 + "X\n"},
        {"a quoted Bitmap of 260 characters", "[StartupOptions]\nBitmap=\"" + path259 + "X\"\n"},
        {"a Bitmap of 300 characters",
         "[StartupOptions]\nBitmap=" + path259 + Repeat('Y', 41) + "\n"},
        {"a DefaultDir of 260 characters",
         "[General]\nDefaultDir=\"C:\\" + Repeat('d', 256) + "\\\"\n"},
        {"values with quotes",
         "[General]\nBasDlgTitle=\"quoted\"\nAdvDlgTitle='single'\nBasInstruct=\"mismatched'\n"
         "AdvInstruct=\" spaced \"\n[Required]\nPC-GroupCount=\"1\"\nPC-Group1Name=\"a\" \"b\"\n"
         "PC-Group1Desc=\"\nPC-Group1FileCount='1'\nPC-Group1File1Name=\"\"\nPC-Group1File1Key=\"  Game Dat \"\n"
         "[S]\nA=\"abcdef\"\nB=\"abcde\"\nC=\"abcd\"\nD=\"\"\nE=\"\nF='x\"\n"},
        {"titles of 255 and 256 characters, quoted",
         "[General]\nBasDlgTitle=\"" + Repeat('t', 255) + "\"\nAdvDlgTitle=\"" + Repeat('u', 256) +
             "\"\n"
             "BasInstruct=\"" +
             Repeat('v', 254) + "\"\nAdvInstruct=" + Repeat('w', 300) + "\n"},
        {"keys with blanks",
         "[General]\n  BasDlgTitle  =  spaced  \n\tAdvDlgTitle\t=\ttabbed\t\nBas Instruct=inner\n"
         "[Required]\n PC-GroupCount = 1 \nPC-Group1 FileCount=3\nPC-Group1FileCount=1\n"
         "PC-Group1File1Name = DATA\\A B.DAT \nPC-Group1File1Key = Game Dat \n"},
        {"blanks the profile functions keep",
         "[General]\nBasDlgTitle=\xA0x\xA0\nAdvDlgTitle=\x1Cy\x1F\n\xA0"
         "BasInstruct=nbsp\n"
         "[S]\nA=\x01"
         "9\nB=\v\f3\v\n"},
        {"comments and entries before any section",
         "BasDlgTitle=orphan\n;[General]\n[General]\n;AdvDlgTitle=commented\n#BasInstruct=hash\n"
         "AdvInstruct=kept ; not a comment\n"},
        {"counts out of range",
         "[Required]\nPC-GroupCount=-1\nPC-Group1Name=never\n[Optional]\nPC-GroupCount=2\n"
         "PC-Group1FileCount=10001\nPC-Group2FileCount=-0x1\n"},
    };
}

void PrintTo(const ScriptCase& c, std::ostream* out) { *out << c.name; }

class ScriptReading : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptReading, DisctoolReadsWhatTheLauncherReads) {
    const ScriptCase& c = GetParam();
    const int codepage = static_cast<int>(GetACP());
    ASSERT_TRUE(disctool::IsKnownCodepage(codepage)) << "code page " << codepage;
    TempFolder folder;
    const std::string path = folder / "PRODUCT.inf";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(c.text.data(), 1, c.text.size(), file), c.text.size());
    ASSERT_EQ(std::fclose(file), 0);

    std::string reason;
    const std::optional<IniFile> read = ini::Load(path, codepage, &reason);
    ASSERT_TRUE(read.has_value()) << reason;
    std::vector<IniIssue::Kind> issues;
    for (const IniIssue& issue : read->issues) issues.push_back(issue.kind);
    EXPECT_EQ(issues, c.issues);

    const std::vector<std::string> launcher = ReadAsLauncher(path);
    const std::vector<std::string> tool = ReadAsDisctool(*read);
    if (!c.same) {
        EXPECT_NE(launcher, tool) << "a case disctool does not mirror should differ";
        return;
    }
    ASSERT_EQ(launcher.size(), tool.size()) << ::testing::PrintToString(launcher) << "\n"
                                            << ::testing::PrintToString(tool);
    for (std::size_t i = 0; i < launcher.size(); ++i) EXPECT_EQ(launcher[i], tool[i]);
}

// A test name of the case's letters and digits.
std::string CaseName(const ::testing::TestParamInfo<ScriptCase>& param) {
    std::string name;
    for (const char* p = param.param.name; *p != '\0'; ++p) {
        const char ch = *p;
        if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'))
            name += ch;
    }
    return name;
}

// Section and key names with letters beyond ASCII: the profile functions find them whatever
// their case within the ANSI code page, and disctool's reader finds what they find. Letters
// that only look alike (é and è; ÿ and y) stay apart in both.
TEST(ScriptReadingNames, NamesFoldCaseInTheCodePageAsTheProfileFunctionsFold) {
    const int codepage = static_cast<int>(GetACP());
    ASSERT_TRUE(disctool::IsKnownCodepage(codepage)) << "code page " << codepage;
    // UTF-8 pairs of the name written and the name asked for; pairs the code page cannot
    // hold are skipped.
    const char* const pairs[][2] = {
        {"\xC3\x84rger", "\xC3\x84RGER"},
        {"\xC3\x84rger", "\xC3\xA4RGER"},                                  // Ärger ÄRGER
        {"\xC5\x92uvre", "\xC5\x93UVRE"},                                  // Œuvre œUVRE
        {"\xC3\xBF", "\xC5\xB8"},                                          // ÿ Ÿ
        {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"},                        // été ÉTÉ
        {"\xC3\xA9", "\xC3\xA8"},                                          // é è
        {"\xC3\xBF", "y"},                                                 // ÿ y
        {"\xC5\x81\xC3\xB3\x64\xC5\xBA", "\xC5\x82\xC3\x93\x44\xC5\xB9"},  // Łódź
        {"\xD0\x96\xD1\x83\xD0\xBA", "\xD0\xB6\xD0\xA3\xD0\x9A"},          // Жук
        {"\xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82",
         "\xCE\x9B\xCE\x8C\xCE\x93\xCE\x9F\xCE\xA3"},  // λόγος ΛΌΓΟΣ
        {"\xC4\xB1", "I"},                             // ı I
        {"\xC4\xB0", "i"},                             // İ i
    };
    TempFolder folder;
    const std::string path = folder / "NAMES.inf";
    int tried = 0;
    for (const auto& pair : pairs) {
        std::string written, asked;
        if (!disctool::EncodeAnsi(pair[0], codepage, &written) ||
            !disctool::EncodeAnsi(pair[1], codepage, &asked))
            continue;
        SCOPED_TRACE(std::string(pair[0]) + " / " + pair[1]);
        ++tried;
        const std::string text = "[" + written + "]\r\n" + written + "=found\r\n";
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file), text.size());
        ASSERT_EQ(std::fclose(file), 0);
        char value[16] = {};
        GetPrivateProfileStringA(asked.c_str(), asked.c_str(), "", value, sizeof value,
                                 path.c_str());
        std::string reason;
        const std::optional<IniFile> read = ini::Load(path, codepage, &reason);
        ASSERT_TRUE(read.has_value()) << reason;
        EXPECT_EQ(ini::GetString(*read, asked, asked, sizeof value - 1), value);
    }
    EXPECT_GE(tried, 4);
}

INSTANTIATE_TEST_SUITE_P(Scripts, ScriptReading, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace
