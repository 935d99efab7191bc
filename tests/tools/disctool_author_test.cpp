// disctool script and master on a disc folder the tests lay out: the script written from a
// group description passes check, and the image holds every file with its bytes and time.
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/tool_fixture.h"
#include "tools/disctool/disc.h"

namespace {

using namespace tooltest;
using namespace std::string_literals;

class AuthorTest : public ToolTest {
public:
    AuthorTest() : ToolTest("disctool-author") {}
    void SetUp() override {
        ToolTest::SetUp();
        if (HasFatalFailure()) return;
        LayOut({{"FOO.EXE", "MZ"},
                {"FOO.a32", "MZ"},
                {"Data/Core.pak", std::string(70000, 'c')},
                {"Data/Levels/Level1.dat", "one"},
                {"Data/Levels/Level2.dat", "two"},
                {"Data/Levels/notes.txt", "not a level"},
                {"Sound/Music/Themes/Title.mid", "mid"},
                {"Sound/Effects.snd", "snd"},
                {"Caf\xC3\xA9.txt", "menu"}});
        WriteFile(m_disc / "FOO.inf",
                  std::string("; Foo's install script\r\n[General]\r\nBasDlgTitle=Foo\r\n"
                              "[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=Old\r\n"
                              "PC-Group1FileCount=1\r\nPC-Group1File1Name=FOO.a32\r\n"
                              "PC-Group1File1Key=Game\r\n"
                              "[StartupOptions]\r\nBitmap=\r\n"));
    }
};

TEST_F(AuthorTest, ScriptWritesNumberedSectionsThatPassCheck) {
    WriteFile(m_root / "groups.txt", std::string("; the groups\n"
                                                 "required Game files\n"
                                                 "  desc Levels and core data.\n"
                                                 "  file data\\levels\\LEVEL?.DAT\n"
                                                 "  file Data/Core.pak = CorePak\n"
                                                 "optional Sound and music\n"
                                                 "  file SOUND\\**\\*.*\n"
                                                 "optional Menu\n"
                                                 "  desc Caf\xC3\xA9 menu\n"
                                                 "  file caf*.txt\n"));
    const Result result =
        Tool({"script", (m_root / "groups.txt").string(), (m_disc / "FOO.inf").string()});
    ASSERT_EQ(result.status, 0) << result.err;
    // The old component section goes, the others stay as they stood; deepest folders first;
    // text in Windows-1252.
    EXPECT_EQ(ReadFile(m_disc / "FOO.inf"),
              "; Foo's install script\r\n[General]\r\nBasDlgTitle=Foo\r\n"
              "[StartupOptions]\r\nBitmap=\r\n"
              "\r\n"
              "[Required]\r\n"
              "PC-GroupCount=1\r\n"
              "PC-Group1Name=Game files\r\n"
              "PC-Group1Desc=Levels and core data.\r\n"
              "PC-Group1FileCount=3\r\n"
              "PC-Group1File1Name=Data\\Levels\\Level1.dat\r\n"
              "PC-Group1File1Key=Data_Levels_Level1_dat\r\n"
              "PC-Group1File2Name=Data\\Levels\\Level2.dat\r\n"
              "PC-Group1File2Key=Data_Levels_Level2_dat\r\n"
              "PC-Group1File3Name=Data\\Core.pak\r\n"
              "PC-Group1File3Key=CorePak\r\n"
              "\r\n"
              "[Optional]\r\n"
              "PC-GroupCount=2\r\n"
              "PC-Group1Name=Sound and music\r\n"
              "PC-Group1FileCount=2\r\n"
              "PC-Group1File1Name=Sound\\Music\\Themes\\Title.mid\r\n"
              "PC-Group1File1Key=Sound_Music_Themes_Title_mid\r\n"
              "PC-Group1File2Name=Sound\\Effects.snd\r\n"
              "PC-Group1File2Key=Sound_Effects_snd\r\n"
              "PC-Group2Name=Menu\r\n"
              "PC-Group2Desc=Caf\xE9 menu\r\n"
              "PC-Group2FileCount=1\r\n"
              "PC-Group2File1Name=Caf\xE9.txt\r\n"
              "PC-Group2File1Key=Cafe_txt\r\n");
    const Result check = Tool({"check", "-q", "--strict", m_disc.string()});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(check.out, "");

    // Run again, the script comes out the same.
    const std::string first = ReadFile(m_disc / "FOO.inf");
    ASSERT_EQ(
        Tool({"script", (m_root / "groups.txt").string(), (m_disc / "FOO.inf").string()}).status,
        0);
    EXPECT_EQ(ReadFile(m_disc / "FOO.inf"), first);
}

TEST_F(AuthorTest, ScriptRefusesADescriptionThatDoesNotFitTheDisc) {
    const std::string before = ReadFile(m_disc / "FOO.inf");
    const struct {
        const char* description;
        int line;
        const char* words;
    } cases[] = {
        {"required Game\nfile MISSING.DAT\n", 2, "names no file"},
        {"required Game\nfile DATA\\LEVELS\\*.DAT = Levels\n", 2,
         "a key can be given only for one"},
        {"file Data\\Core.pak\n", 1, "before the first"},
        {"required Game\nfiles Data\\Core.pak\n", 2, "unknown statement"},
        {"required Game\nfile ..\\disc\\FOO.EXE\n", 2, "not a name inside the disc folder"},
        {"required Game\nfile Data\\Core.pak = A\nfile Sound\\Effects.snd = a\n", 3,
         "gets the key"},
        {"required Game\ndesc \xE2\x82\xAC \xE2\x88\x9E\nfile Data\\Core.pak\n", 1, "cannot hold"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        WriteFile(m_root / "groups.txt", std::string(c.description));
        const Result result =
            Tool({"script", (m_root / "groups.txt").string(), (m_disc / "FOO.inf").string()});
        EXPECT_EQ(result.status, 1);
        const std::string location =
            (m_root / "groups.txt").string() + ":" + std::to_string(c.line) + ": error: ";
        EXPECT_NE(result.err.find(location), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.words), std::string::npos) << result.err;
        EXPECT_EQ(ReadFile(m_disc / "FOO.inf"), before) << "nothing written";
    }
    EXPECT_EQ(
        Tool({"script", (m_root / "none.txt").string(), (m_disc / "FOO.inf").string()}).status, 2);
}

// The last-write time of path in nanoseconds since 1970.
std::int64_t WriteTime(const fs::path& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return -1;
    return static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}

TEST_F(AuthorTest, MasterWritesAnImageWithEveryFileAndItsTime) {
    WriteFile(m_root / "groups.txt", std::string("required Game\nfile **\\*.*\n"));
    ASSERT_EQ(
        Tool({"script", (m_root / "groups.txt").string(), (m_disc / "FOO.inf").string()}).status,
        0);
    // Distinct whole-second times, one of them before the time of year changes the offset.
    std::int64_t second = 1700000000;
    for (const auto& entry : fs::recursive_directory_iterator(m_disc)) {
        if (!entry.is_regular_file()) continue;
        const fs::file_time_type time = fs::file_time_type::clock::from_sys(
            std::chrono::sys_seconds(std::chrono::seconds(second)));
        fs::last_write_time(entry.path(), time);
        second += 86400 * 37 + 1;
    }
    const fs::path image = m_root / "FOO.iso";
    const Result made = Tool({"master", m_disc.string(), image.string()});
    ASSERT_EQ(made.status, 0) << made.out << made.err;
    EXPECT_NE(made.out.find("volume FOO"), std::string::npos) << made.out;

    const fs::path out = m_root / "extracted";
    const Result extracted = Spawn(
        {"xorriso", "-osirrox", "on", "-indev", image.string(), "-extract", "/", out.string()},
        m_logs);
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(m_disc)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        const fs::path copy = out / fs::relative(entry.path(), m_disc);
        SCOPED_TRACE(copy.string());
        ASSERT_TRUE(fs::is_regular_file(copy)) << "Joliet keeps the name as it stands";
        EXPECT_EQ(ReadFile(copy), ReadFile(entry.path()));
        EXPECT_EQ(WriteTime(copy), WriteTime(entry.path()));
    }
    EXPECT_EQ(files, 10u);
    std::size_t extractedFiles = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out))
        extractedFiles += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(extractedFiles, files);
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add);
    }
}

// A stand-in for xorriso that presses a copy of the disc folder with one file changed (the
// action in DISCTOOL_TEST_PRESS: "drop NAME", "rename NAME NEW", "truncate NAME" or "touch
// NAME"), so that the image differs from the disc as a faulty press would.
const char* const kFaultyPress =
    "#!/usr/bin/env python3\n"
    "import os, shutil, subprocess, sys, tempfile\n"
    "here = os.path.dirname(os.path.abspath(__file__))\n"
    "path = os.pathsep.join(p for p in os.environ['PATH'].split(os.pathsep) if p != here)\n"
    "real = shutil.which('xorriso', path=path)\n"
    "args = sys.argv[1:]\n"
    "action = os.environ['DISCTOOL_TEST_PRESS'].split()\n"
    "with tempfile.TemporaryDirectory() as work:\n"
    "    copy = os.path.join(work, 'disc')\n"
    "    shutil.copytree(args[-1], copy)\n"
    "    target = os.path.join(copy, action[1])\n"
    "    if action[0] == 'drop': os.remove(target)\n"
    "    if action[0] == 'rename': os.rename(target, os.path.join(copy, action[2]))\n"
    "    if action[0] == 'truncate':\n"
    "        t = os.stat(target)\n"
    "        os.truncate(target, 1)\n"
    "        os.utime(target, ns=(t.st_atime_ns, t.st_mtime_ns))\n"
    "    if action[0] == 'touch': os.utime(target, (2000000000, 2000000000))\n"
    "    sys.stdout.flush()\n"
    "    sys.exit(subprocess.call([real] + args[:-1] + [copy]))\n";

// master reads its image back: each file the launcher reads is compared by name, size and
// last-write time with the disc folder, and an image that differs is not left behind.
TEST_F(AuthorTest, MasterReadsItsImageBackAndKeepsOnlyOneThatHoldsTheDisc) {
    WriteFile(m_root / "groups.txt", std::string("required Game\nfile **\\*.*\n"));
    ASSERT_EQ(
        Tool({"script", (m_root / "groups.txt").string(), (m_disc / "FOO.inf").string()}).status,
        0);
    const fs::path image = m_root / "FOO.iso";
    const Result good = Tool({"master", m_disc.string(), image.string()});
    ASSERT_EQ(good.status, 0) << good.out << good.err;
    EXPECT_NE(good.out.find("read back: 10 files with the disc's names, sizes and last-write "
                            "times (whole seconds)"),
              std::string::npos)
        << good.out;
    fs::remove(image);

    const fs::path bin = m_root / "bin";
    fs::create_directory(bin);
    WriteFile(bin / "xorriso", std::string(kFaultyPress));
    fs::permissions(bin / "xorriso", fs::perms::owner_exec, fs::perm_options::add);
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    setenv("PATH", (bin.string() + ":" + path).c_str(), 1);
    struct {
        const char* action;
        const char* difference;
    } const cases[] = {
        {"drop Data/Levels/Level2.dat", "Data/Levels/Level2.dat: not in the image under this name"},
        {"rename Sound/Effects.snd Sound/EFFECTS.SND",
         "Sound/Effects.snd: not in the image under this name"},
        {"truncate Data/Core.pak", "Data/Core.pak: 1 bytes in the image, 70000 on the disc"},
        {"touch FOO.inf", "FOO.inf: last written 2033-05-18 03:33:20 in the image"},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.action);
        setenv("DISCTOOL_TEST_PRESS", each.action, 1);
        const Result made = Tool({"master", m_disc.string(), image.string()});
        EXPECT_EQ(made.status, 1) << made.out << made.err;
        EXPECT_NE(made.err.find("does not hold the disc as listed; no image written"),
                  std::string::npos)
            << made.err;
        EXPECT_NE(made.err.find("  " + std::string(each.difference)), std::string::npos)
            << made.err;
        EXPECT_FALSE(fs::exists(image));
        for (const auto& entry : fs::directory_iterator(m_root)) {
            EXPECT_NE(entry.path().filename().string().rfind("FOO.iso", 0), 0u)
                << "left behind: " << entry.path();
        }
    }
    setenv("PATH", path.c_str(), 1);
    unsetenv("DISCTOOL_TEST_PRESS");
}

TEST_F(AuthorTest, MasterStopsOnACheckError) {
    fs::remove(m_disc / "FOO.a32");
    const fs::path image = m_root / "FOO.iso";
    const Result result = Tool({"master", m_disc.string(), image.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("error: the game FOO.a32 is not beside the launcher [missing-game]"),
              std::string::npos)
        << result.out;
    EXPECT_FALSE(fs::exists(image));
    EXPECT_FALSE(fs::exists(m_root / "FOO.iso.new"));

    WriteFile(m_disc / "FOO.a32", std::string("MZ"));
    EXPECT_EQ(Tool({"master", m_disc.string(), (m_disc / "FOO.iso").string()}).status, 2)
        << "not inside the disc";
}

// Names beside the outputs that a run once used for its temporary files: a planted link there
// never makes script or master write another file, and a file there survives.
TEST_F(AuthorTest, ScriptAndMasterLeaveFilesBesideTheirOutputsAlone) {
    const fs::path victim = m_root / "victim.txt";
    WriteFile(victim, std::string("keep"));
    const fs::path image = m_root / "FOO.iso";
    fs::create_symlink(victim, m_disc / "FOO.inf.new");
    fs::create_symlink(victim, m_root / "FOO.iso.log");
    WriteFile(m_root / "FOO.iso.new", std::string("mine"));
    WriteFile(m_root / "groups.txt", std::string("required Game\nfile FOO.a32\n"));
    ASSERT_EQ(
        Tool({"script", (m_root / "groups.txt").string(), (m_disc / "FOO.inf").string()}).status,
        0);
    fs::remove(m_disc / "FOO.inf.new");
    const Result made = Tool({"master", m_disc.string(), image.string()});
    ASSERT_EQ(made.status, 0) << made.out << made.err;
    EXPECT_GT(fs::file_size(image), 0u);
    EXPECT_EQ(ReadFile(victim), "keep");
    EXPECT_EQ(ReadFile(m_root / "FOO.iso.new"), "mine");
    EXPECT_TRUE(fs::is_symlink(m_root / "FOO.iso.log"));
    for (const auto& entry : fs::directory_iterator(m_root)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.rfind("FOO.iso.", 0) != 0 || name == "FOO.iso.new" ||
                    name == "FOO.iso.log")
            << "a temporary file left behind: " << name;
    }
}

// script over every form of an existing script that check reads: bytes in the code page,
// UTF-8 and little-endian UTF-16 after their byte order marks, each with CR LF, LF or CR alone
// as line ends. The script comes back in its own form and line ends, its other sections as
// they stood, and check (disctool::ReadDisc) reads the groups of the description and the kept
// title. A form that Windows does not read, or text that is not what its mark says, is refused
// with exit status 2 and left as it was.
enum class Form { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

// UTF-8 text (ASCII and "é" only) as the bytes of a script of form, with its byte order mark.
std::string InForm(const std::string& utf8, Form form) {
    std::string ansi;  // Windows-1252
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8.compare(i, 2, "\xC3\xA9") == 0) {
            ansi += '\xE9';
            ++i;
        } else {
            ansi += utf8[i];
        }
    }
    switch (form) {
        case Form::kAnsi:
            return ansi;
        case Form::kUtf8:
            return "\xEF\xBB\xBF" + utf8;
        case Form::kUtf16Le:
        case Form::kUtf16Be:
            break;
    }
    std::string out = form == Form::kUtf16Le ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : ansi) {  // Latin-1 characters: the UTF-16 unit is the byte
        const std::string unit{c, '\0'};
        out += form == Form::kUtf16Le ? unit : std::string{'\0', c};
    }
    return out;
}

std::string WithLineEnds(const std::string& lines, const std::string& eol) {
    std::string out;
    for (const char c : lines) out += c == '\n' ? eol : std::string(1, c);
    return out;
}

TEST_F(AuthorTest, ScriptRewritesEveryFormCheckReadsInItsOwnFormAndLineEnds) {
    WriteFile(m_root / "groups.txt", std::string("required Game\n"
                                                 "  desc Caf\xC3\xA9 menu\n"
                                                 "  file FOO.a32\n"
                                                 "optional Menu\n"
                                                 "  file caf*.txt\n"));
    const std::string before =
        "; Foo's script\n[General]\nBasDlgTitle=Caf\xC3\xA9\n[Required]\nPC-GroupCount=7\n"
        "PC-Group1Name=Old\n[StartupOptions]\nBitmap=\n";
    const std::string after =
        "; Foo's script\n[General]\nBasDlgTitle=Caf\xC3\xA9\n[StartupOptions]\nBitmap=\n\n"
        "[Required]\nPC-GroupCount=1\nPC-Group1Name=Game\nPC-Group1Desc=Caf\xC3\xA9 menu\n"
        "PC-Group1FileCount=1\nPC-Group1File1Name=FOO.a32\nPC-Group1File1Key=FOO_a32\n\n"
        "[Optional]\nPC-GroupCount=1\nPC-Group1Name=Menu\nPC-Group1FileCount=1\n"
        "PC-Group1File1Name=Caf\xC3\xA9.txt\nPC-Group1File1Key=Cafe_txt\n";
    const struct {
        const char* name;
        Form form;
    } forms[] = {{"code page", Form::kAnsi},
                 {"UTF-8 with its mark", Form::kUtf8},
                 {"UTF-16 little-endian", Form::kUtf16Le}};
    for (const auto& form : forms) {
        for (const char* eol : {"\r\n", "\n", "\r"}) {
            SCOPED_TRACE(std::string(form.name) + (eol[1] != '\0'   ? " CR LF"
                                                   : eol[0] == '\n' ? " LF"
                                                                    : " CR"));
            WriteFile(m_disc / "FOO.inf", InForm(WithLineEnds(before, eol), form.form));
            const Result result =
                Tool({"script", (m_root / "groups.txt").string(), (m_disc / "FOO.inf").string()});
            ASSERT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(ReadFile(m_disc / "FOO.inf"), InForm(WithLineEnds(after, eol), form.form));

            disctool::Disc disc;
            std::string reason;
            ASSERT_TRUE(disctool::ReadDisc(m_disc, nullptr, "C:", &disc, &reason)) << reason;
            EXPECT_EQ(disc.titles[0], "Caf\xC3\xA9");
            ASSERT_EQ(disc.groups.size(), 2u);
            EXPECT_EQ(disc.groups[0].name, "Game (required)");
            EXPECT_EQ(disc.groups[0].description, "Caf\xC3\xA9 menu");
            ASSERT_EQ(disc.groups[0].files.size(), 1u);
            EXPECT_EQ(disc.groups[0].files[0].name + "=" + disc.groups[0].files[0].key,
                      "FOO.a32=FOO_a32");
            EXPECT_EQ(disc.groups[1].name, "Menu");
            ASSERT_EQ(disc.groups[1].files.size(), 1u);
            EXPECT_EQ(disc.groups[1].files[0].name + "=" + disc.groups[1].files[0].key,
                      "Caf\xC3\xA9.txt=Cafe_txt");
        }
    }

    const struct {
        const char* name;
        std::string script;
        const char* why;
    } refused[] = {
        {"UTF-16 big-endian", InForm(before, Form::kUtf16Be), "big-endian UTF-16"},
        {"UTF-16 with a stray surrogate", "\xFF\xFE[\0\x00\xD8]\0"s, "stray surrogate"},
        {"UTF-8 mark before other bytes", "\xEF\xBB\xBF[General]\nBasDlgTitle=Caf\xE9\n",
         "not valid UTF-8"},
    };
    for (const auto& each : refused) {
        SCOPED_TRACE(each.name);
        WriteFile(m_disc / "FOO.inf", each.script);
        const Result result =
            Tool({"script", (m_root / "groups.txt").string(), (m_disc / "FOO.inf").string()});
        EXPECT_EQ(result.status, 2) << result.out;
        EXPECT_NE(result.err.find("FOO.inf: "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(each.why), std::string::npos) << result.err;
        EXPECT_EQ(ReadFile(m_disc / "FOO.inf"), each.script);
    }
}

// disctool new: a starting disc that, with the game and its files put in, goes through
// script to a clean check; names and places it would spoil are refused, nothing written.
TEST_F(AuthorTest, NewStartsADiscThatChecksCleanOnceFilled) {
    WriteFile(m_root / "built.exe", std::string("MZ launcher"));
    const fs::path disc = m_root / "quest";
    const Result made =
        Tool({"new", "--from", (m_root / "built.exe").string(), "QUEST", disc.string()});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find("disctool script " + (m_root / "QUEST.groups").string() + " " +
                            disc.string() + "/QUEST.inf"),
              std::string::npos)
        << made.out;
    EXPECT_EQ(ReadFile(disc / "QUEST.EXE"), "MZ launcher");
    const std::string script = ReadFile(disc / "QUEST.inf");
    EXPECT_NE(script.find("\r\n[General]\r\nProductName=QUEST\r\n"), std::string::npos) << script;
    EXPECT_NE(script.find("\r\n[StartupOptions]\r\n"), std::string::npos) << script;
    EXPECT_EQ(script.find_first_of("\x80\xff"), std::string::npos);
    for (std::size_t at = script.find('\n'); at != std::string::npos;
         at = script.find('\n', at + 1))
        EXPECT_EQ(script[at - 1], '\r') << "CR LF at byte " << at;

    fs::create_directory(disc / "DATA");
    WriteFile(disc / "DATA" / "LEVEL1.DAT", std::string("one"));
    WriteFile(disc / "QUEST.a32", std::string("MZ"));
    const Result script1 =
        Tool({"script", (m_root / "QUEST.groups").string(), (disc / "QUEST.inf").string()});
    ASSERT_EQ(script1.status, 0) << script1.err;
    const Result check = Tool({"check", "-q", "--strict", disc.string()});
    EXPECT_EQ(check.status, 0) << check.out;
    EXPECT_EQ(check.out, "");
    EXPECT_NE(Tool({"check", disc.string()}).out.find("\nProductName: QUEST\n"), std::string::npos);

    const struct {
        const char* name;
        std::string folder;
        const char* says;
    } refused[] = {
        {"QUEST", disc.string(), "exists and is not an empty folder"},
        {"QUEST", (m_root / "other").string(), "QUEST.groups: exists"},
        {"Setup2", (m_root / "other").string(), "no \"setup\""},
        {"Caf\xC3\xA9", (m_root / "other").string(), "only ASCII letters"},
    };
    for (const auto& each : refused) {
        SCOPED_TRACE(each.name);
        const Result result =
            Tool({"new", "--from", (m_root / "built.exe").string(), each.name, each.folder});
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(each.says), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(m_root / "other"));
    EXPECT_EQ(
        Tool({"new", "--from", (m_root / "none.exe").string(), "QUEST2", (m_root / "q2").string()})
            .status,
        2);
}

}  // namespace
