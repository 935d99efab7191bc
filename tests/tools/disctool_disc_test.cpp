// disctool check and verify on disc folders that the tests lay out: a good disc, the same
// disc broken in one way per case, and installed copies with file times set by the test.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/tool_fixture.h"
#include "tools/disctool/codepage.h"
#include "tools/disctool/findings.h"
#include "toolkit/picreason.h"
#include "toolkit/wizimage.h"

namespace {

using namespace tooltest;
using disctool::FindingCode;

// The "[code]" that ends check's text line for a finding of that kind.
std::string Tag(FindingCode code) { return "[" + std::string(disctool::KindOf(code).code) + "]"; }

// The install script of the good disc; cases change it by replacing one line.
const char* const kGoodScript =
    "[General]\r\n"
    "DefaultDir=D:\\GAMES\\FOO\r\n"
    "BasDlgTitle=\"Foo Setup\"\r\n"
    "[StartupOptions]\r\n"
    "Bitmap=PIC.WIZ\r\n"
    "[Required]\r\n"
    "PC-GroupCount=1\r\n"
    "PC-Group1Name=Game files\r\n"
    "PC-Group1FileCount=2\r\n"
    "PC-Group1File1Name=GAME.DAT\r\n"
    "PC-Group1File1Key=GameDat\r\n"
    "PC-Group1File2Name=MUSIC\\THEME.MID\r\n"
    "PC-Group1File2Key=Theme\r\n"
    "[Optional]\r\n"
    "PC-GroupCount=1\r\n"
    "PC-Group1Name=Movies\r\n"
    "PC-Group1Desc=Intro and ending films.\r\n"
    "PC-Group1FileCount=1\r\n"
    "PC-Group1File1Name=MOVIES\\INTRO.AVI\r\n"
    "PC-Group1File1Key=Intro\r\n";

// Python reads the JSON report back and prints one fact per line.
const char* const kJsonFacts =
    "import json, sys\n"
    "d = json.load(open(sys.argv[1]))\n"
    "print('ok', d['ok'])\n"
    "print('launcher', d['launcher'], d['game'], d['script'])\n"
    "print('destination', d['destination'])\n"
    "print('title', d['titles']['BasDlgTitle'])\n"
    "p = d['startupPicture']\n"
    "print('picture', p and (p['file'], p['width'], p['height']))\n"
    "for g in d['groups']:\n"
    "    print('group', g['section'], g['number'], g['name'], g['megabytes'], "
    "[(f['name'], f['key'], f['size']) for f in g['files']])\n"
    "print('required', d['requiredMegabytes'], 'total', d['totalMegabytes'])\n"
    "for kind in ('errors', 'warnings', 'notes'):\n"
    "    for f in d[kind]:\n"
    "        print(kind[0].upper(), f['code'], f['line'], f['message'])\n";

class DiscTest : public ToolTest {
public:
    DiscTest() : ToolTest("disctool-disc") {}
    void SetUp() override {
        ToolTest::SetUp();
        if (HasFatalFailure()) return;
        LayOut({{"FOO.EXE", "MZ"},
                {"foo.a32", "MZ"},
                {"GAME.DAT", std::string(1048576 + 524288, 'g')},  // 1.5 MiB
                {"Music/theme.mid", std::string(104858, 'm')},     // 0.1 MiB
                {"movies/Intro.avi", std::string(3 * 1048576, 'v')},
                {"foo.inf", kGoodScript}});
        WriteFile(m_root / "pic.ppm", std::string("P6\n5 3\n255\n") + std::string(45, '\x40'));
        const Result made = Tool(
            {"picture", "encode", (m_root / "pic.ppm").string(), (m_disc / "pic.wiz").string()});
        ASSERT_EQ(made.status, 0) << made.err;
    }

    // Replaces the script line that starts with "key=" by line (or appends line to the end of
    // the script when key is empty).
    void EditScript(const std::string& key, const std::string& line) {
        std::string script = ReadFile(m_disc / "foo.inf");
        if (key.empty()) {
            script += line + "\r\n";
        } else {
            const std::size_t at = script.find("\n" + key + "=");
            ASSERT_NE(at, std::string::npos) << key;
            const std::size_t end = script.find("\r\n", at + 1);
            script.replace(at + 1, end - at - 1, line);
        }
        WriteFile(m_disc / "foo.inf", script);
    }

    // Runs check --json and returns its status and the facts Python read from the JSON.
    Result CheckJson(std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments = {"check", "--json", m_disc.string()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const Result report = Tool(arguments);
        WriteFile(m_root / "report.json", report.out);
        WriteFile(m_root / "facts.py", std::string(kJsonFacts));
        Result facts = Spawn(
            {"python3", (m_root / "facts.py").string(), (m_root / "report.json").string()}, m_logs);
        EXPECT_EQ(facts.status, 0) << "not valid JSON: " << facts.err << report.out;
        facts.status = report.status;
        return facts;
    }
};

bool HasLine(const std::string& text, const std::string& line) {
    return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
}

TEST_F(DiscTest, CheckOfAGoodDiscReportsWhatTheLauncherSees) {
    const Result text = Tool({"check", m_disc.string()});
    EXPECT_EQ(text.status, 0) << text.out << text.err;
    for (const char* line : {
             "launcher: FOO.EXE (the only .exe in the folder)",
             "install script: foo.inf",
             "game: foo.a32",
             "destination: D:\\GAMES\\FOO\\ (DefaultDir)",
             "BasDlgTitle: Foo Setup",
             "start-up picture: PIC.WIZ, 5 x 3",
             "  Required 1: Game files (required), 2 files, 1.6 MB",
             "    1. GAME.DAT [GameDat] 1572864 bytes",
             "    2. MUSIC\\THEME.MID [Theme] 104858 bytes",
             "  Optional 1: Movies, 1 file, 3.0 MB",
             "required groups: 1.6 MB",
             "all groups: 4.6 MB",
             "result: 0 errors, 0 warnings",
         }) {
        EXPECT_TRUE(HasLine(text.out, line)) << "missing: " << line << "\n" << text.out;
    }

    const Result json = CheckJson();
    EXPECT_EQ(json.status, 0);
    for (const char* line : {
             "ok True",
             "launcher FOO.EXE foo.a32 foo.inf",
             "destination D:\\GAMES\\FOO\\",
             "title Foo Setup",
             "picture ('PIC.WIZ', 5, 3)",
             "group Required 1 Game files (required) 1.6 [('GAME.DAT', 'GameDat', 1572864), "
             "('MUSIC\\\\THEME.MID', 'Theme', 104858)]",
             "group Optional 1 Movies 3.0 [('MOVIES\\\\INTRO.AVI', 'Intro', 3145728)]",
             "required 1.6 total 4.6",
         }) {
        EXPECT_TRUE(HasLine(json.out, line)) << "missing: " << line << "\n" << json.out;
    }
}

// Each kind of error, warning and note once: the good disc broken in one way, with the script
// line the finding points at (0: the script as a whole, -1: the disc folder, having no script).
// Line 21 is the line appended to the good script.
TEST_F(DiscTest, CheckFindsEachKindOfErrorAndWarning) {
    const std::string longTitle(300, 't');
    const auto name = [](const std::string& value) {
        return [value](DiscTest& t) {
            t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=" + value);
        };
    };
    const auto key = [](const std::string& value) {
        return [value](DiscTest& t) {
            t.EditScript("PC-Group1File2Key", "PC-Group1File2Key=" + value);
        };
    };
    const auto rewrite = [](std::function<std::string(const std::string&)> change) {
        return [change](DiscTest& t) {
            WriteFile(t.m_disc / "foo.inf", change(ReadFile(t.m_disc / "foo.inf")));
        };
    };
    const struct {
        FindingCode code;
        int line;
        std::function<void(DiscTest&)> breakIt;
    } cases[] = {
        {FindingCode::kMissingScript, -1, [](DiscTest& t) { fs::remove(t.m_disc / "foo.inf"); }},
        {FindingCode::kMissingGame, 0, [](DiscTest& t) { fs::remove(t.m_disc / "foo.a32"); }},
        {FindingCode::kMissingFile, 12,
         [](DiscTest& t) { fs::remove(t.m_disc / "Music" / "theme.mid"); }},
        {FindingCode::kMissingFile, 10,
         [](DiscTest& t) { t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=MUSIC"); }},
        {FindingCode::kEmptyName, 9,
         [](DiscTest& t) { t.EditScript("PC-Group1FileCount", "PC-Group1FileCount=5"); }},
        {FindingCode::kEmptyKey, 13,
         [](DiscTest& t) { t.EditScript("PC-Group1File2Key", "PC-Group1File2Key=\"\""); }},
        {FindingCode::kRefusedName, 10,
         [](DiscTest& t) {
             t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=..\\disc\\GAME.DAT");
         }},
        {FindingCode::kRefusedName, 10,
         [](DiscTest& t) { t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=C:GAME.DAT"); }},
        {FindingCode::kRefusedName, 10,
         [](DiscTest& t) {
             t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=\\\\server\\GAME.DAT");
         }},
        {FindingCode::kRefusedName, 10,
         [](DiscTest& t) { t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=/GAME.DAT"); }},
        {FindingCode::kRefusedName, 10,
         [](DiscTest& t) {
             t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=...\\GAME.DAT");
         }},
        {FindingCode::kRefusedName, 10,
         [](DiscTest& t) { t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=COM1.BIN"); }},
        {FindingCode::kRefusedName, 10,
         [](DiscTest& t) {
             t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=GAME.DAT:hidden");
         }},
        {FindingCode::kUnsafeKey, 13,
         [](DiscTest& t) { t.EditScript("PC-Group1File2Key", "PC-Group1File2Key=A=B"); }},
        {FindingCode::kUnsafeKey, 13,
         [](DiscTest& t) { t.EditScript("PC-Group1File2Key", "PC-Group1File2Key=[Other]"); }},
        {FindingCode::kUnsafeKey, 13,
         [](DiscTest& t) { t.EditScript("PC-Group1File2Key", "PC-Group1File2Key=\" Theme\""); }},
        {FindingCode::kBadBitmap, 5,
         [](DiscTest& t) { t.EditScript("Bitmap", "Bitmap=START.PCX"); }},
        {FindingCode::kBadBitmap, 5,
         [](DiscTest& t) { t.EditScript("Bitmap", "Bitmap=GAME.DAT"); }},
        {FindingCode::kCountOverLimit, 7,
         [](DiscTest& t) { t.EditScript("PC-GroupCount", "PC-GroupCount=1001"); }},
        {FindingCode::kShowStartupAgainKey, 10,
         [](DiscTest& t) {
             t.EditScript("PC-Group1File1Key", "PC-Group1File1Key=showstartupagain");
         }},
        {FindingCode::kKeyReused, 19,
         rewrite([](std::string s) { return s.replace(s.find("Key=Intro"), 9, "Key=GAMEDAT"); })},
        {FindingCode::kRequiredKeyReused, 12,
         [](DiscTest& t) { t.EditScript("PC-Group1File2Key", "PC-Group1File2Key=GAMEDAT"); }},
        {FindingCode::kPastCount, 21,
         [](DiscTest& t) { t.EditScript("", "PC-Group2Name=Never shown"); }},
        {FindingCode::kPastCount, 21,
         [](DiscTest& t) { t.EditScript("", "PC-Group1File2Name=X.DAT"); }},
        {FindingCode::kCountBelowOne, 7,
         [](DiscTest& t) { t.EditScript("PC-GroupCount", "PC-GroupCount=-1"); }},
        {FindingCode::kCountBelowOne, 18, rewrite([](std::string s) {
             return s.replace(s.rfind("FileCount=1"), 11, "FileCount=none");
         })},
        {FindingCode::kDefaultDirRelative, 2,
         [](DiscTest& t) { t.EditScript("DefaultDir", "DefaultDir=\\GAMES\\FOO"); }},
        {FindingCode::kDefaultDirRelative, 2,
         [](DiscTest& t) { t.EditScript("DefaultDir", "DefaultDir=GAMES"); }},
        {FindingCode::kUnreadKey, 21,
         [](DiscTest& t) { t.EditScript("", "PC-Group01Name=Leading zero"); }},
        {FindingCode::kDuplicateKey, 21,
         [](DiscTest& t) { t.EditScript("", "PC-Group1Name=Second name"); }},
        {FindingCode::kValueCut, 3,
         [&](DiscTest& t) { t.EditScript("BasDlgTitle", "BasDlgTitle=" + longTitle); }},
        {FindingCode::kUtf8Script, 3,
         [](DiscTest& t) { t.EditScript("BasDlgTitle", "BasDlgTitle=Caf\xC3\xA9 Setup"); }},
        // Names Windows cannot hold as given, "/" read as "\\", and keys the shared file cannot hold.
        {FindingCode::kRefusedName, 10, name("MUSIC/../GAME.DAT")},
        {FindingCode::kRefusedName, 10, name(". .\\GAME.DAT")},
        {FindingCode::kRefusedName, 10, name("MUSIC/aux .mid")},
        {FindingCode::kRefusedName, 10, name("lpt1")},
        {FindingCode::kRefusedName, 10, name("COM\xB9.BIN")},  // superscript one in code page 1252
        {FindingCode::kRefusedName, 10, name("con/GAME.DAT")},
        {FindingCode::kRefusedName, 10, name("GAME*.DAT")},
        {FindingCode::kRefusedName, 10, name("GA<ME>.DAT")},
        {FindingCode::kRefusedName, 10, name("GAME|.DAT")},
        {FindingCode::kRefusedName, 10, name("GA\"ME.DAT")},
        {FindingCode::kRefusedName, 10, name("GAME\x01.DAT")},
        {FindingCode::kUnsafeKey, 13, key(";Theme")},
        {FindingCode::kUnsafeKey, 13, key("\"Theme \"")},
        {FindingCode::kUnsafeKey, 13, key("\"\tTheme\"")},
        // Files the disc image would not hold as named: reached through a link, with ";", or
        // with a component longer than a Joliet name.
        {FindingCode::kUnpressableName, 10,
         [](DiscTest& t) {
             fs::create_directory_symlink(t.m_disc / "Music", t.m_disc / "Linked");
             t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=LINKED\\THEME.MID");
         }},
        {FindingCode::kUnpressableName, 10,
         [](DiscTest& t) {
             WriteFile(t.m_disc / "A;B.DAT", std::string("x"));
             t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=A;B.DAT");
         }},
        {FindingCode::kUnpressableName, 10,
         [](DiscTest& t) {
             const std::string name = std::string(100, 'n') + ".DAT";  // 104 characters
             WriteFile(t.m_disc / name, std::string("x"));
             t.EditScript("PC-Group1File1Name", "PC-Group1File1Name=" + name);
         }},
        // Text the launcher reads differently on other systems, or cannot use.
        {FindingCode::kCountNotDecimal, 7,
         [](DiscTest& t) { t.EditScript("PC-GroupCount", "PC-GroupCount=0x1"); }},
        {FindingCode::kCountNotDecimal, 9,
         [](DiscTest& t) {
             t.EditScript("PC-Group1FileCount", "PC-Group1FileCount=" + std::string(29, '0') + "2");
         }},
        {FindingCode::kByteOrderMark, 0,
         rewrite([](const std::string& s) { return "\xEF\xBB\xBF" + s; })},
        {FindingCode::kNulByte, 3,
         [](DiscTest& t) { t.EditScript("BasDlgTitle", std::string("BasDlgTitle=a\0b", 15)); }},
        {FindingCode::kEndOfFileMark, 4,
         [](DiscTest& t) { t.EditScript("BasDlgTitle", "BasDlgTitle=Foo\x1A"); }},
        {FindingCode::kUnmappableCharacter, 3, rewrite([](const std::string& s) {
             std::string utf16 = "\xFF\xFE";
             for (const char c : s.substr(0, s.find("BasDlgTitle=") + 12))
                 utf16 += std::string{c, '\0'};
             utf16 += "\x01\x01";  // a character code page 1252 has no byte for
             for (const char c : s.substr(s.find("\r\n[StartupOptions]")))
                 utf16 += std::string{c, '\0'};
             return utf16;
         })},
        {FindingCode::kUtf16BigEndian, 0, rewrite([](const std::string& s) {
             std::string utf16 = "\xFE\xFF";
             for (const char c : s) utf16 += std::string{'\0', c};
             return utf16;
         })},
        {FindingCode::kSectionHeader, 21, [](DiscTest& t) { t.EditScript("", "[Extra"); }},
        {FindingCode::kSectionHeader, 6, rewrite([](std::string s) {
             return s.replace(s.find("[Required]"), 10, "[Required] ; ]");
         })},
        {FindingCode::kRepeatedSection, 21, [](DiscTest& t) { t.EditScript("", "[general]"); }},
        {FindingCode::kBadBitmap, 5,
         [](DiscTest& t) { t.EditScript("Bitmap", "Bitmap=" + std::string(260, 'p')); }},
        {FindingCode::kBadBitmap, 5,
         [](DiscTest& t) { t.EditScript("Bitmap", "Bitmap=\"" + std::string(260, 'p') + "\""); }},
        // One file listed twice.
        {FindingCode::kFileInTwoGroups, 19,
         rewrite([](std::string s) { return s.replace(s.find("MOVIES"), 16, "GAME.DAT"); })},
        {FindingCode::kNameCase, 19,
         rewrite([](std::string s) { return s.replace(s.find("MOVIES"), 16, "music/theme.MID"); })},
    };
    WriteFile(m_root / "good.inf", ReadFile(m_disc / "foo.inf"));
    WriteFile(m_root / "good.a32", std::string("MZ"));
    WriteFile(m_root / "theme.mid", ReadFile(m_disc / "Music" / "theme.mid"));
    for (const auto& c : cases) {
        const disctool::FindingKind* kind = &disctool::KindOf(c.code);
        SCOPED_TRACE(kind->code);
        fs::copy_file(m_root / "good.inf", m_disc / "foo.inf",
                      fs::copy_options::overwrite_existing);
        fs::copy_file(m_root / "good.a32", m_disc / "foo.a32",
                      fs::copy_options::overwrite_existing);
        fs::copy_file(m_root / "theme.mid", m_disc / "Music" / "theme.mid",
                      fs::copy_options::overwrite_existing);
        c.breakIt(*this);
        const bool error = kind->severity == disctool::Severity::kError;
        const char letter = error                                            ? 'E'
                            : kind->severity == disctool::Severity::kWarning ? 'W'
                                                                             : 'N';
        const Result facts = CheckJson();
        EXPECT_EQ(facts.status, error ? 1 : 0) << facts.out;
        const std::string line = c.line > 0 ? std::to_string(c.line) : "None";
        EXPECT_NE(
            facts.out.find("\n" + std::string(1, letter) + " " + kind->code + " " + line + " "),
            std::string::npos)
            << facts.out;
        if (!error) EXPECT_EQ(facts.out.find("\nE "), std::string::npos) << facts.out;
        EXPECT_TRUE(HasLine(facts.out, error ? "ok False" : "ok True")) << facts.out;

        // The text form points an editor at the line: "disc/foo.inf:12: error: ... [code]".
        std::string location = c.line < 0 ? m_disc.string() : (m_disc / "foo.inf").string();
        if (c.line > 0) location += ":" + std::to_string(c.line);
        const std::string start =
            "\n" + location + ": " + disctool::SeverityWord(kind->severity) + ": ";
        const std::string end = " [" + std::string(kind->code) + "]\n";
        const Result text = Tool({"check", m_disc.string()});
        EXPECT_EQ(text.status, facts.status);
        const std::size_t at = text.out.find(start);
        ASSERT_NE(at, std::string::npos) << start << "\n" << text.out;
        EXPECT_EQ(text.out.substr(text.out.find('\n', at + 1) - end.size() + 1, end.size()), end)
            << text.out;
    }
}

// A start-up picture longer than the launcher reads is an error of check, and convert says
// why it cannot load it. The file is the good disc's picture made sparse past the cap, so it
// costs no disk and the tool refuses it without reading it.
TEST_F(DiscTest, CheckReportsAStartupPictureTooLargeToLoad) {
    fs::resize_file(m_disc / "pic.wiz", std::uintmax_t{WIZ_MaxFileBytes} + 1);
    const Result text = Tool({"check", "-q", m_disc.string()});
    EXPECT_EQ(text.status, 1) << text.out;
    EXPECT_EQ(text.out, (m_disc / "foo.inf").string() +
                            ":5: error: the start-up picture \"PIC.WIZ\" does not load: " +
                            PICREASON_WizFileTooLarge + " [bad-bitmap]\n");

    const Result converted =
        Tool({"picture", "convert", (m_disc / "pic.wiz").string(), (m_root / "pic.png").string()});
    EXPECT_EQ(converted.status, 1);
    EXPECT_EQ(converted.err, "disctool: " + (m_disc / "pic.wiz").string() + ": " +
                                 PICREASON_WizFileTooLarge + "\n");
    EXPECT_FALSE(fs::exists(m_root / "pic.png"));
}

// -q prints the findings alone; --strict makes a warning fail the check.
TEST_F(DiscTest, CheckQuietAndStrict) {
    Result result = Tool({"check", "-q", "--strict", m_disc.string()});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out, "");

    EditScript("", "PC-Group01Name=Leading zero");
    fs::remove(m_disc / "Music" / "theme.mid");
    const std::string script = (m_disc / "foo.inf").string();
    const std::string warning =
        script +
        ":21: warning: Optional PC-Group01Name is not a key the launcher reads [unread-key]\n";
    const std::string findings =
        script +
        ":12: error: Required group 1 file 2 \"MUSIC\\THEME.MID\" is not on the disc [missing-file]\n" +
        warning;
    result = Tool({"check", "-q", m_disc.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, findings);

    WriteFile(m_disc / "Music" / "theme.mid", std::string("m"));
    result = Tool({"check", "-q", m_disc.string()});
    EXPECT_EQ(result.status, 0) << "a warning alone passes";
    result = Tool({"check", "-q", "--strict", m_disc.string()});
    EXPECT_EQ(result.status, 1) << "unless --strict";
    EXPECT_EQ(result.out, warning);

    // A note never fails the check, not even with --strict.
    std::string twice = kGoodScript;
    WriteFile(m_disc / "foo.inf", twice.replace(twice.find("MOVIES\\INTRO.AVI"), 16, "GAME.DAT"));
    result = Tool({"check", "-q", "--strict", m_disc.string()});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(
        result.out,
        script +
            ":19: note: \"GAME.DAT\" is listed in Optional group 1 and already in Required group 1; "
            "the launcher installs it when either group is chosen [file-in-two-groups]\n");
    result = Tool({"check", m_disc.string()});
    EXPECT_TRUE(HasLine(result.out, "result: 0 errors, 0 warnings, 1 note")) << result.out;
}

// Windows asks for administrator rights before it starts a program whose name looks like an
// installer's; check warns of such launcher names.
TEST_F(DiscTest, CheckWarnsOfLauncherNamesThatLookLikeInstallers) {
    const struct {
        const char* launcher;
        bool warns;
    } cases[] = {
        {"SETUP.EXE", true},   {"MyInstaller.exe", true}, {"GameUpdate.EXE", true},
        {"Patch2.exe", true},  {"UPGRADER.exe", true},    {"FOO.EXE", false},
        {"SETTLE.EXE", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.launcher);
        const Result result = Tool({"check", "-q", "--launcher", c.launcher, m_disc.string()});
        const std::size_t at = result.out.find(Tag(FindingCode::kInstallerName));
        EXPECT_EQ(at != std::string::npos, c.warns) << result.out;
        if (c.warns) {
            EXPECT_NE(result.out.find("administrator rights"), std::string::npos) << result.out;
        }
    }
}

// A base name that cannot name a section of the shared file is an error.
TEST_F(DiscTest, CheckRefusesLauncherNamesThatCannotNameASection) {
    for (const char* launcher : {"FOO].EXE", "[FOO.EXE", " FOO.EXE", "FOO .EXE", "FOO.EXE"}) {
        SCOPED_TRACE(launcher);
        const Result result = Tool({"check", "-q", "--launcher", launcher, m_disc.string()});
        const bool refused = std::string(launcher) != "FOO.EXE";
        EXPECT_EQ(result.out.find(Tag(FindingCode::kUnsafeSectionName)) != std::string::npos,
                  refused)
            << result.out;
        if (refused) EXPECT_NE(result.status, 0);
    }
}

// A script listing more files than the launcher tests in about a second at every start.
TEST_F(DiscTest, CheckWarnsOfScriptsThatSlowEveryStart) {
    for (const int files : {400, 401}) {
        SCOPED_TRACE(files);
        std::string script = "[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=All\r\n";
        script += "PC-Group1FileCount=" + std::to_string(files) + "\r\n";
        for (int i = 1; i <= files; ++i) {
            const std::string n = std::to_string(i);
            script += "PC-Group1File" + n + "Name=F" + n + ".DAT\r\nPC-Group1File" + n + "Key=K" +
                      n + "\r\n";
        }
        WriteFile(m_disc / "foo.inf", script);
        const Result result = Tool({"check", "-q", m_disc.string()});
        EXPECT_EQ(result.out.find(Tag(FindingCode::kSlowStart)) != std::string::npos, files > 400)
            << result.out.substr(0, 2000);
    }
}

TEST_F(DiscTest, CheckChoosesTheLauncherOrAsksForIt) {
    // Two programs: the one install script tells which is the launcher.
    WriteFile(m_disc / "SETUP.EXE", std::string("MZ"));
    Result result = Tool({"check", m_disc.string()});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_TRUE(HasLine(result.out, "launcher: foo.EXE (named after the only .inf in the folder)"))
        << result.out;

    WriteFile(m_disc / "setup.inf", std::string("[General]\r\n"));
    result = Tool({"check", m_disc.string()});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("--launcher"), std::string::npos) << result.err;
    fs::remove(m_disc / "setup.inf");

    result = Tool({"check", "--launcher", "foo.exe", m_disc.string()});
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_TRUE(HasLine(result.out, "launcher: foo.exe (given with --launcher)")) << result.out;

    result = Tool({"check", "--launcher", "SETUP.EXE", m_disc.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("error: no install script SETUP.inf"), std::string::npos)
        << result.out;

    fs::remove(m_disc / "SETUP.EXE");
    fs::remove(m_disc / "FOO.EXE");
    result = Tool({"check", m_disc.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(HasLine(result.out, "launcher: foo.EXE (named after the only .inf in the folder)"))
        << result.out;
    EXPECT_NE(result.out.find("error: no launcher foo.EXE beside foo.inf"), std::string::npos)
        << result.out;
}

// Script text is bytes in the ANSI code page: shown as UTF-8 in both reports, escaped in JSON.
TEST_F(DiscTest, CheckDecodesTextInTheCodePage) {
    EditScript("BasDlgTitle", "BasDlgTitle=Say \"hi\"\\t\x01 caf\xE9 \x80 \xC3\xA9");
    Result facts = CheckJson();
    EXPECT_TRUE(
        HasLine(facts.out, "title Say \"hi\"\\t\x01 caf\xC3\xA9 \xE2\x82\xAC \xC3\x83\xC2\xA9"))
        << facts.out;
    EXPECT_EQ(facts.out.find(disctool::KindOf(FindingCode::kUtf8Script).code), std::string::npos)
        << "not UTF-8 as a whole: " << facts.out;
    Result text = Tool({"check", m_disc.string()});
    EXPECT_TRUE(HasLine(text.out,
                        "BasDlgTitle: Say \"hi\"\\t\x01 caf\xC3\xA9 \xE2\x82\xAC \xC3\x83\xC2\xA9"))
        << text.out;

    // Windows-1251: the same byte is a Cyrillic letter.
    facts = CheckJson({"--codepage", "1251"});
    EXPECT_TRUE(HasLine(facts.out, "title Say \"hi\"\\t\x01 caf\xD0\xB9 \xD0\x82 \xD0\x93\xC2\xA9"))
        << facts.out;
    text = Tool({"check", "--codepage", "65001", m_disc.string()});
    EXPECT_EQ(text.status, 2);
    EXPECT_NE(text.err.find("--codepage"), std::string::npos) << text.err;

    // A script saved as UTF-8 shows what the launcher would make of it.
    EditScript("BasDlgTitle", "BasDlgTitle=Caf\xC3\xA9 Setup");
    text = Tool({"check", "-q", m_disc.string()});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("\"Caf\xC3\xA9 Setup\" as \"Caf\xC3\x83\xC2\xA9 Setup\""),
              std::string::npos)
        << text.out;
}

// name-case folds case as Windows and Joliet do, in the whole code page: two listings of one
// file spelt with a capital and a small non-ASCII letter are found in each code page disctool
// knows, and the small spelling finds the file on the disc as Windows would. Two files whose
// keys differ only so get key-reused, saying that only a system folding case beyond ASCII
// takes the keys for one (Wine's profile functions do not).
TEST_F(DiscTest, NamesAndKeysFoldCaseInTheCodePage) {
    const struct {
        int codepage;
        const char* upper;  // UTF-8
        const char* lower;
    } cases[] = {
        {1250, "\xC5\x81", "\xC5\x82"},  // Ł ł
        {1251, "\xD0\x96", "\xD0\xB6"},  // Ж ж
        {1252, "\xC3\x89", "\xC3\xA9"},  // É é
        {1253, "\xCE\xA9", "\xCF\x89"},  // Ω ω
        {1254, "\xC4\x9E", "\xC4\x9F"},  // Ğ ğ
        {1257, "\xC4\x84", "\xC4\x85"},  // Ą ą
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codepage);
        const std::string upperName = std::string(c.upper) + ".DAT";
        const std::string lowerName = std::string(c.lower) + ".DAT";
        fs::remove_all(m_disc / "names");
        fs::create_directory(m_disc / "names");
        WriteFile(m_disc / "names" / upperName, std::string("n"));
        const std::string text =
            "[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=G\r\n"
            "PC-Group1FileCount=3\r\n"
            "PC-Group1File1Name=names\\" +
            upperName +
            "\r\n"
            "PC-Group1File1Key=Key" +
            c.upper +
            "\r\n"
            "PC-Group1File2Name=NAMES\\" +
            lowerName +
            "\r\n"
            "PC-Group1File2Key=Key" +
            c.upper +
            "\r\n"
            "PC-Group1File3Name=GAME.DAT\r\n"
            "PC-Group1File3Key=KEY" +
            c.lower + "\r\n";
        std::string bytes;
        ASSERT_TRUE(disctool::EncodeAnsi(text, c.codepage, &bytes));
        WriteFile(m_disc / "foo.inf", bytes);
        const Result result =
            Tool({"check", "-q", "--codepage", std::to_string(c.codepage), m_disc.string()});
        EXPECT_NE(result.out.find("differ only in case and name one file on Windows; write "
                                  "them alike " +
                                  Tag(FindingCode::kNameCase)),
                  std::string::npos)
            << result.out;
        EXPECT_NE(result.out.find("the keys \"Key" + std::string(c.upper) + "\" of \"names\\" +
                                  upperName + "\" and \"KEY" + c.lower +
                                  "\" of \"GAME.DAT\" differ only in case, some of it the case "
                                  "of letters beyond ASCII"),
                  std::string::npos)
            << result.out;
        EXPECT_EQ(result.out.find(Tag(FindingCode::kMissingFile)), std::string::npos) << result.out;
    }
    // Letters of different characters stay apart: no finding, and the second spelling is
    // not the file on the disc.
    WriteFile(m_disc / "names" / "\xC3\xA9.DAT", std::string("e"));
    std::string bytes;
    ASSERT_TRUE(
        disctool::EncodeAnsi("[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=G\r\n"
                             "PC-Group1FileCount=2\r\n"
                             "PC-Group1File1Name=names\\\xC3\xA9.DAT\r\nPC-Group1File1Key=A\r\n"
                             "PC-Group1File2Name=names\\\xC3\xA8.DAT\r\nPC-Group1File2Key=B\r\n",
                             1252, &bytes));
    WriteFile(m_disc / "foo.inf", bytes);
    const Result apart = Tool({"check", "-q", m_disc.string()});
    EXPECT_EQ(apart.out.find(Tag(FindingCode::kNameCase)), std::string::npos) << apart.out;
    EXPECT_NE(apart.out.find("\"names\\\xC3\xA8.DAT\" is not on the disc " +
                             Tag(FindingCode::kMissingFile)),
              std::string::npos)
        << apart.out;
}

TEST_F(DiscTest, CommandLineMistakesGiveStatusTwo) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"check", "--windows-drive", "CC", m_disc.string()},
             {"check", (m_root / "nothing-here").string()},
             {"check", "--bogus", m_disc.string()},
             {"verify", "--shared-file", (m_root / "none.ini").string(), m_disc.string()},
             {"verify", "--shared-file", m_root.string(), m_disc.string()},
             {"verify", "--shared-file", (m_disc / "foo.inf").string(), "--windows-drive",
              "1:", m_disc.string()},
         }) {
        const Result result = Tool(arguments);
        EXPECT_EQ(result.status, 2) << arguments[1] << " " << arguments[2] << "\n" << result.out;
        EXPECT_NE(result.err, "") << arguments[1];
    }
    const Result version = Tool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.compare(0, 9, "disctool "), 0) << version.out;
}

// ---- verify ------------------------------------------------------------------------------

class VerifyTest : public DiscTest {
protected:
    void SetUp() override {
        DiscTest::SetUp();
        m_c = m_root / "c";
        m_d = m_root / "d";
        fs::create_directories(m_c / "Games" / "foo" / "music");
        fs::create_directories(m_d / "GAMES" / "FOO" / "MOVIES");
        m_sourceTime = fs::last_write_time(m_disc / "GAME.DAT") - std::chrono::hours(24);
        for (const fs::path& source : {m_disc / "GAME.DAT", m_disc / "Music" / "theme.mid",
                                       m_disc / "movies" / "Intro.avi"}) {
            fs::last_write_time(source, m_sourceTime);
        }
    }

    // Places a copy of the disc file at copy with the source's time moved by offset.
    void PlaceCopy(const fs::path& source, const fs::path& copy, std::chrono::seconds offset) {
        fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
        fs::last_write_time(copy, m_sourceTime + offset);
    }

    Result Verify() {
        return Tool({"verify", m_disc.string(), "--shared-file", (m_root / "tivoroo.ini").string(),
                     "--drive", "C:=" + m_c.string(), "--drive=d:=" + m_d.string()});
    }

    fs::path m_c, m_d;
    fs::file_time_type m_sourceTime;
};

TEST_F(VerifyTest, ReportsCurrentStaleAdoptedAndMissingWithoutWriting) {
    const std::string shared =
        "[Other]\r\nGameDat=C:\\ELSEWHERE\\GAME.DAT\r\n"
        "[foo]\r\n"
        "gamedat=C:\\GAMES\\FOO\\GAME.DAT\r\n"
        "Theme=\"c:\\games\\foo\\MUSIC\\THEME.MID\"\r\n";
    WriteFile(m_root / "tivoroo.ini", shared);
    PlaceCopy(m_disc / "GAME.DAT", m_c / "Games" / "foo" / "GAME.DAT", std::chrono::seconds(0));
    PlaceCopy(m_disc / "Music" / "theme.mid", m_c / "Games" / "foo" / "music" / "Theme.mid",
              std::chrono::seconds(-2));
    PlaceCopy(m_disc / "movies" / "Intro.avi", m_d / "GAMES" / "FOO" / "MOVIES" / "INTRO.AVI",
              std::chrono::seconds(0));

    Result result = Verify();
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    const struct {
        const char* outcome;
        const char* file;
    } expected[] = {
        {"current   ", "GAME.DAT [GameDat]"},
        {"stale     ", "MUSIC\\THEME.MID [Theme]"},
        {"current (would be adopted)", "MOVIES\\INTRO.AVI [Intro]"},
    };
    for (const auto& e : expected) {
        EXPECT_NE(result.out.find(std::string("  ") + e.outcome), std::string::npos) << result.out;
        const std::size_t line = result.out.find(e.file);
        ASSERT_NE(line, std::string::npos) << result.out;
        const std::size_t start = result.out.rfind('\n', line) + 1;
        EXPECT_EQ(result.out.compare(start + 2, std::strlen(e.outcome), e.outcome), 0)
            << result.out.substr(start, line - start);
    }
    EXPECT_NE(result.out.find("result: 1 required file is not current"), std::string::npos)
        << result.out;
    // What removal would do with each file.
    for (const char* removal :
         {"GAME.DAT [GameDat]: C:\\GAMES\\FOO\\GAME.DAT; removal deletes it unless it is in use\n",
          "; removal keeps it (changed since installed) and erases its record\n",
          "; removal leaves it (nothing recorded)\n"}) {
        EXPECT_NE(result.out.find(removal), std::string::npos) << removal << result.out;
    }
    EXPECT_EQ(ReadFile(m_root / "tivoroo.ini"), shared) << "verify must not write the shared file";
    EXPECT_TRUE(HasLine(result.out,
                        "shared file: " + (m_root / "tivoroo.ini").string() + ", section [FOO]"))
        << result.out;

    // The same as JSON, and -q with only the files that are not current.
    result = Tool({"verify", "--json", m_disc.string(), "--shared-file",
                   (m_root / "tivoroo.ini").string(), "--drive", "C:=" + m_c.string(),
                   "--drive=d:=" + m_d.string()});
    EXPECT_EQ(result.status, 1);
    WriteFile(m_root / "verify.json", result.out);
    WriteFile(
        m_root / "verify.py",
        std::string(
            "import json, sys\n"
            "d = json.load(open(sys.argv[1]))\n"
            "print(d['schema'], d['ok'], d['requiredNotCurrent'], d['sharedFile'])\n"
            "for f in d['files']: print(f['section'], f['group'], f['number'], f['name'], f['key'], f['outcome'], f['current'], f['removal'])\n"));
    const Result facts = Spawn(
        {"python3", (m_root / "verify.py").string(), (m_root / "verify.json").string()}, m_logs);
    EXPECT_EQ(facts.out, "1 False 1 " + (m_root / "tivoroo.ini").string() +
                             "\n"
                             "Required 1 1 GAME.DAT GameDat current True delete\n"
                             "Required 1 2 MUSIC\\THEME.MID Theme stale False keep\n"
                             "Optional 1 1 MOVIES\\INTRO.AVI Intro adopted True none\n")
        << facts.err << result.out;
    result =
        Tool({"verify", "-q", m_disc.string(), "--shared-file", (m_root / "tivoroo.ini").string(),
              "--drive", "C:=" + m_c.string(), "--drive=d:=" + m_d.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out.find("GAME.DAT"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.compare(0, 7, "  stale"), 0) << result.out;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1) << result.out;

    // The same time again makes everything required current; a missing copy is missing.
    PlaceCopy(m_disc / "Music" / "theme.mid", m_c / "Games" / "foo" / "music" / "Theme.mid",
              std::chrono::seconds(0));
    fs::remove(m_d / "GAMES" / "FOO" / "MOVIES" / "INTRO.AVI");
    result = Verify();
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_NE(result.out.find("  missing                    MOVIES\\INTRO.AVI"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("result: every required file is current"), std::string::npos)
        << result.out;

    // A recorded copy that is gone is stale even though a current copy lies in the
    // destination: only the record is looked at.
    fs::remove(m_c / "Games" / "foo" / "GAME.DAT");
    PlaceCopy(m_disc / "GAME.DAT", m_d / "GAMES" / "FOO" / "GAME.DAT", std::chrono::seconds(0));
    result = Verify();
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("  stale                      GAME.DAT"), std::string::npos)
        << result.out;
}

TEST_F(VerifyTest, WithoutRecordsOnlyTheProposedDestinationCounts) {
    // An empty shared file; DefaultDir empty: the default folder on the Windows drive.
    WriteFile(m_root / "tivoroo.ini", std::string());
    EditScript("DefaultDir", "DefaultDir=");
    fs::create_directories(m_c / "tivoroo" / "FOO" / "MUSIC");
    PlaceCopy(m_disc / "GAME.DAT", m_c / "tivoroo" / "FOO" / "game.dat", std::chrono::seconds(0));
    PlaceCopy(m_disc / "Music" / "theme.mid", m_c / "tivoroo" / "FOO" / "MUSIC" / "THEME.MID",
              std::chrono::seconds(0));
    Result result = Verify();
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("destination: C:\\Tivoroo\\FOO\\"), std::string::npos) << result.out;

    // Another Windows drive moves the default folder to a drive with no copies.
    result = Tool({"verify", m_disc.string(), "--shared-file", (m_root / "tivoroo.ini").string(),
                   "--drive", "C:=" + m_c.string(), "--drive", "D:=" + m_d.string(),
                   "--windows-drive", "D:"});
    EXPECT_EQ(result.status, 1) << result.out;
    EXPECT_NE(result.out.find("  missing                    GAME.DAT"), std::string::npos)
        << result.out;

    // A drive that is not mapped cannot be judged, and does not count as current.
    result = Tool({"verify", m_disc.string(), "--shared-file", (m_root / "tivoroo.ini").string(),
                   "--drive", "D:=" + m_d.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("  unknown"), std::string::npos) << result.out;
}

// What removal would do with a recorded copy, by the launcher's rules: a value is a record
// only when it spells its own full-path resolution (case, slashes and trailing dots aside); a
// copy that ends in another name or is a file of the disc is not the launcher's and is kept
// with its record, whether it is there or not; a missing copy's record is erased; a changed one
// is kept and its record erased; a read-only one is kept with its record.
TEST_F(VerifyTest, StatesWhatRemovalDoesByTheLaunchersRules) {
    const struct {
        const char* value;        // GameDat's value in the shared file
        const char* copy;         // where a copy of GAME.DAT lies below drive C:, or null
        int offset;               // seconds from the source's write time
        bool readOnly;            // the copy has no write permission (Wine's read-only)
        const char* outcome;      // JSON outcome, reason, removal and removalReason
        const char* removalText;  // the end of the text report's line
    } cases[] = {
        {"C:\\GAMES\\FOO\\GAME.DAT", "Games/foo/GAME.DAT", 0, false,
         "current current delete unchanged", "removal deletes it unless it is in use"},
        {"c:\\games/foo\\game.dat.", "Games/foo/GAME.DAT", 0, false,
         "current current delete unchanged", "removal deletes it unless it is in use"},
        {"C:\\GAMES\\X\\..\\FOO\\GAME.DAT", "Games/foo/GAME.DAT", 0, false,
         "stale not-a-record none not-a-record",
         "removal leaves it and the value (the value names no copy)"},
        {"C:\\GAMES\\\\FOO\\GAME.DAT", "Games/foo/GAME.DAT", 0, false,
         "stale not-a-record none not-a-record",
         "removal leaves it and the value (the value names no copy)"},
        {"GAME.DAT", nullptr, 0, false, "stale not-a-record none not-a-record",
         "removal leaves it and the value (the value names no copy)"},
        {"C:\\GAMES\\FOO\\OTHER.DAT", "Games/foo/OTHER.DAT", 0, false,
         "current current keep not-ours",
         "removal keeps it and its record (not a copy made by the launcher)"},
        {"C:\\GAMES\\FOO\\OTHER.DAT", nullptr, 0, false, "stale copy-missing keep not-ours",
         "removal keeps it and its record (not a copy made by the launcher)"},
        {"E:\\GAME.DAT", nullptr, 0, false, "current current keep not-ours",
         "removal keeps it and its record (not a copy made by the launcher)"},
        {"C:\\GAMES\\FOO\\GAME.DAT", "Games/foo/GAME.DAT", 0, true,
         "current current keep read-only", "removal keeps it and its record (read-only)"},
        {"C:\\GAMES\\FOO\\GAME.DAT", "Games/foo/GAME.DAT", 60, false, "stale touched keep changed",
         "removal keeps it (changed since installed) and erases its record"},
        {"C:\\GAMES\\FOO\\GAME.DAT", nullptr, 0, false, "stale copy-missing forget copy-missing",
         "removal erases its record (the copy is gone)"},
        // A record in the code page (1252) names the copy whose host name is its UTF-8.
        {"C:\\GAMES\\FOO\\Caf\xE9\\GAME.DAT", "Games/foo/Caf\xC3\xA9/GAME.DAT", 0, false,
         "current current delete unchanged", "removal deletes it unless it is in use"},
    };
    WriteFile(m_root / "facts.py",
              std::string("import json, sys\n"
                          "for f in json.load(open(sys.argv[1]))['files']:\n"
                          "    if f['key'] == 'GameDat': print(f['outcome'], f['reason'], "
                          "f['removal'], f['removalReason'])\n"));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " " + (c.copy ? c.copy : "no copy"));
        fs::remove_all(m_c / "Games" / "foo");
        fs::create_directories(m_c / "Games" / "foo");
        if (c.copy != nullptr) {
            fs::create_directories((m_c / c.copy).parent_path());
            PlaceCopy(m_disc / "GAME.DAT", m_c / c.copy, std::chrono::seconds(c.offset));
            if (c.readOnly) fs::permissions(m_c / c.copy, fs::perms::all, fs::perm_options::remove);
        }
        WriteFile(m_root / "tivoroo.ini", "[foo]\r\nGameDat=" + std::string(c.value) + "\r\n");
        const std::vector<std::string> command = {
            "verify",  m_disc.string(),      "--shared-file", (m_root / "tivoroo.ini").string(),
            "--drive", "C:=" + m_c.string(), "--drive",       "E:=" + m_disc.string()};
        const Result text = Tool(command);
        const std::size_t line = text.out.find("GAME.DAT [GameDat]: ");
        ASSERT_NE(line, std::string::npos) << text.out;
        const std::string shown = text.out.substr(line, text.out.find('\n', line) - line);
        EXPECT_TRUE(shown.ends_with(std::string("; ") + c.removalText)) << shown;

        std::vector<std::string> json = command;
        json.push_back("--json");
        const Result report = Tool(json);
        WriteFile(m_root / "verify.json", report.out);
        const Result facts = Spawn(
            {"python3", (m_root / "facts.py").string(), (m_root / "verify.json").string()}, m_logs);
        EXPECT_EQ(facts.out, std::string(c.outcome) + "\n") << facts.err << report.out;
        if (c.copy != nullptr) fs::permissions(m_c / c.copy, fs::perms::owner_all);
    }
}

// verify reads the shared file as the launcher does: section and key names in the code page,
// a quoted record longer than a path refused, and a disc folder whose times have fractions
// against a copy installed from the pressed disc, which keeps whole seconds.
TEST_F(VerifyTest, ReadsRecordsAndTimesAsTheLauncherDoes) {
    EditScript("PC-Group1File2Key", "PC-Group1File2Key=Th\xE8me");  // code page 1252
    const std::string longPath = "C:\\GAMES\\FOO\\" + std::string(260 - 13, 'x');
    ASSERT_EQ(longPath.size(), 260u);
    WriteFile(m_root / "tivoroo.ini", "[foo]\r\nGameDat=\"" + longPath +
                                          "\"\r\nTh\xE8me=C:\\GAMES\\FOO\\MUSIC\\THEME.MID\r\n");
    const auto whole = std::chrono::floor<std::chrono::seconds>(m_sourceTime);
    const fs::path theme = m_c / "Games" / "foo" / "music" / "Theme.mid";
    fs::last_write_time(m_disc / "Music" / "theme.mid", whole + std::chrono::milliseconds(700));
    fs::copy_file(m_disc / "Music" / "theme.mid", theme);
    const auto outcomeOf = [](const std::string& out, const std::string& file) {
        const std::size_t at = out.find(file);
        if (at == std::string::npos) return std::string("not listed");
        const std::size_t start = out.rfind('\n', at) + 1;
        return out.substr(start + 2, out.find(' ', start + 2) - start - 2);
    };
    for (const auto& [copyTime, outcome] :
         {std::pair{whole, "current"}, std::pair{whole + std::chrono::seconds(1), "stale"}}) {
        fs::last_write_time(theme, copyTime);
        const Result result = Verify();
        EXPECT_EQ(outcomeOf(result.out, "MUSIC\\THEME.MID"), outcome) << result.out;
        EXPECT_EQ(outcomeOf(result.out, "GAME.DAT"), "stale") << result.out;
        EXPECT_NE(result.out.find("longer than a path"), std::string::npos) << result.out;
    }
}

}  // namespace
