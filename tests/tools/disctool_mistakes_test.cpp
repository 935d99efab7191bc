// Authoring mistakes, each as a disc maker makes it: what disctool must say about it and the
// exit status it must give. A tool that quietly writes a disc that never installs is the one
// failure a disc maker cannot forgive, so every row here is a mistake that once went unsaid.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/tool_fixture.h"

namespace {

using namespace tooltest;
using namespace std::string_literals;

// Runs argv with PATH (when not empty) as its search path and its standard output into
// stdoutPath (logs/stdout when empty); like Spawn.
Result SpawnWith(const std::vector<std::string>& argv, const fs::path& logs,
                 const std::string& path, const std::string& stdoutPath) {
    const std::string previous = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    if (!path.empty()) setenv("PATH", (path + ":" + previous).c_str(), 1);
    Result result;
    if (stdoutPath.empty()) {
        result = Spawn(argv, logs);
    } else {
        std::vector<std::string> shell = {"sh", "-c", "exec \"$@\" >" + stdoutPath, "sh"};
        shell.insert(shell.end(), argv.begin(), argv.end());
        result = Spawn(shell, logs);
    }
    setenv("PATH", previous.c_str(), 1);
    return result;
}

class MistakeTest : public ToolTest {
public:
    MistakeTest() : ToolTest("disctool-mistakes") {}
    void SetUp() override {
        ToolTest::SetUp();
        if (HasFatalFailure()) return;
        LayOut({{"FOO.EXE", "MZ"},
                {"FOO.a32", "MZ"},
                {"Data/Core.pak", "core"},
                {"Data/Levels/Level1.dat", "one"},
                {"Data/Levels/Level2.dat", "two"}});
        WriteScript(
            "[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=Game\r\n"
            "PC-Group1FileCount=1\r\nPC-Group1File1Name=FOO.a32\r\n"
            "PC-Group1File1Key=Game\r\n");
    }

    void WriteScript(const std::string& components) {
        WriteFile(m_disc / "FOO.inf", "[General]\r\nDefaultDir=C:\\Games\\FOO\r\n" + components);
    }
    void Describe(const std::string& text) { WriteFile(m_root / "groups.txt", text); }

    // A copy of FOO.a32 installed at C:\Games\FOO\FOO.a32 (drive C: at m_root/c) with bytes,
    // recorded in m_root/tivoroo.ini, last written a day after the disc's file.
    void InstallCopy(const std::string& bytes) {
        const fs::path copy = m_root / "c" / "Games" / "FOO" / "FOO.a32";
        fs::create_directories(copy.parent_path());
        WriteFile(copy, bytes);
        fs::last_write_time(copy, fs::last_write_time(m_disc / "FOO.a32") + std::chrono::hours(24));
        WriteFile(m_root / "tivoroo.ini", "[FOO]\r\nGame=C:\\Games\\FOO\\FOO.a32\r\n"s);
    }
};

// The names in folder that start with prefix.
std::vector<std::string> NamesStarting(const fs::path& folder, const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) names.push_back(name);
    }
    return names;
}

// A file below the disc whose relative name is 100 + 1 + 100 + 1 + 70 = 272 characters.
std::string MakeLongName(const fs::path& disc) {
    const std::string name =
        std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" + std::string(66, 'c') + ".dat";
    fs::create_directories(disc / std::string(100, 'a') / std::string(100, 'b'));
    WriteFile(
        disc / std::string(100, 'a') / std::string(100, 'b') / (std::string(66, 'c') + ".dat"),
        "x"s);
    return name;
}

// A UTF-16 little-endian script (with its mark) from ASCII text in which "@" stands for U+0394,
// which code page 1252 has no byte for.
std::string Utf16WithDelta(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (const char c : ascii) out += c == '@' ? "\x94\x03"s : std::string{c, '\0'};
    return out;
}

struct Mistake {
    const char* what;
    std::function<void(MistakeTest&)> setUp;
    std::vector<std::string> command;  // "{disc}", "{root}" and "{script}" stand for the paths
    int status;
    std::vector<std::string> says;  // each in standard output or error
    std::string fakeXorriso = {};   // a shell script run as xorriso, when not empty
    std::string stdoutTo = {};      // standard output's file, when not the log
    std::string scriptHas = {};     // text the install script holds afterwards
    // Further checks of what the run left behind, when set.
    std::function<void(MistakeTest&)> after = {};
};

const std::vector<std::string> kScript = {"script", "{root}/groups.txt", "{script}"};
const std::vector<std::string> kDryRun = {"script", "--dry-run", "{root}/groups.txt", "{script}"};
const std::vector<std::string> kStrict = {"check", "--strict", "{disc}"};
const std::vector<std::string> kVerify = {"verify",  "--shared-file", "{root}/tivoroo.ini",
                                          "--drive", "C:={root}/c",   "{disc}"};

std::vector<Mistake> Mistakes() {
    const auto describe = [](std::string text) {
        return [text](MistakeTest& t) { t.Describe(text); };
    };
    const auto script = [](std::string components) {
        return [components](MistakeTest& t) { t.WriteScript(components); };
    };
    return {
        // The description: read as check reads a script, refused before anything is written.
        {"description with CR-only line ends",
         describe("required Game\rfile FOO.a32\r"),
         kScript,
         0,
         {"1 groups, 1 files"}},
        {"description saved with a byte order mark",
         describe("\xEF\xBB\xBFrequired Game\r\nfile FOO.a32\r\n"),
         kScript,
         0,
         {"1 groups, 1 files"}},
        {"empty description",
         describe("; nothing yet\n"),
         kScript,
         1,
         {"groups.txt:1: error: the description names no group"}},
        {"a group without a file line",
         describe("required Game\nfile FOO.a32\noptional Extras\n"),
         kScript,
         1,
         {"groups.txt:3: error: the group \"Extras\" lists no file"}},
        {"a required group without a file line",
         describe("required Game\n"),
         kScript,
         1,
         {"groups.txt:1: error: the group \"Game\" lists no file", "setup that never shows"}},
        {"the same file twice in a group",
         describe("required Game\nfile FOO.a32\nfile Data\\Core.pak\nfile foo.A32\n"),
         kScript,
         1,
         {"groups.txt:4: error: \"FOO.a32\" is already in the group from line 2"}},
        {"one file with two keys",
         describe("required Game\nfile FOO.a32 = A\nfile FOO.a32 = B\n"),
         kScript,
         1,
         {"groups.txt:3: error: \"FOO.a32\" gets the key B here and A on line 2"}},
        {"a relative name longer than a path",
         [](MistakeTest& t) {
             MakeLongName(t.m_disc);
             t.Describe("required Game\nfile aaa*\\**\n");
         },
         kScript,
         1,
         {"groups.txt:2: error: \"aaaa", "is 272 characters long, over the 259"}},
        // "COM\xB9" (a superscript one in code page 1252) is a device name to the launcher.
        {"a name the launcher refuses only in its code page",
         [](MistakeTest& t) {
             WriteFile(t.m_disc / "COM\xC2\xB9.txt", "x"s);
             t.Describe("required Game\nfile FOO.a32\nfile COM*.txt\n");
         },
         kScript,
         1,
         {"groups.txt:3: error: \"COM*.txt\" matches \"COM\xC2\xB9.txt\", a name that the "
          "launcher refuses to copy"}},
        {"a folder with ** after it",
         describe("required Game\nfile Data\\**\n"),
         kScript,
         0,
         {"1 groups, 3 files"}},
        // "**" twice in a row, or around "*", reaches a file by more than one way.
        {"** twice in a pattern",
         describe("required Game\nfile **\\**\\Level1.dat\noptional Data\nfile Data\\**\\**\n"
                  "optional Two\nfile **\\*\\**\\Level2.dat\n"),
         kScript,
         0,
         {"3 groups, 5 files"}},
        {"a folder without **",
         describe("required Game\nfile Data\n"),
         kScript,
         1,
         {"groups.txt:2: error: \"Data\" names no file", "\"Data\\**\" lists every file below it"}},
        {"a description saved in code page 1252",
         describe("required Game\nfile FOO.a32\ndesc Caf\xE9\n"),
         kScript,
         1,
         {"groups.txt:3: error: not UTF-8 at byte 9 of the line"}},
        {"names beyond ASCII make distinct ASCII keys",
         [](MistakeTest& t) {
             fs::create_directory(t.m_disc / "Docs");
             for (const char* name : {"\xC3\x9C"
                                      "berblick.txt",
                                      "Stra\xC3\x9F"
                                      "e.txt",
                                      "R\xC3\xA9sum\xC3\xA9.txt", "berblick.txt"})
                 WriteFile(t.m_disc / "Docs" / name, "x"s);
             t.Describe("required Docs\nfile Docs\\*.txt\n");
         },
         kDryRun,
         0,
         {"Key=Docs_UEberblick_txt\r\n", "Key=Docs_Strasse_txt\r\n", "Key=Docs_Resume_txt\r\n",
          "Key=Docs_berblick_txt\r\n"}},
        {"a rewrite that adds and removes files",
         describe("required Game\nfile Data\\Core.pak\n"),
         kScript,
         0,
         {"against the script before: 1 file added, 1 removed, 0 keys changed",
          "  added Data\\Core.pak\n", "  removed FOO.a32\n"}},
        {"a rewrite that changes a key",
         describe("required Game\nfile FOO.a32\n"),
         kScript,
         0,
         {"0 files added, 0 removed, 1 key changed", "  key changed FOO.a32: Game -> FOO_a32"}},
        {"an unclosed [Required in the script",
         [](MistakeTest& t) {
             t.Describe("required Game\nfile FOO.a32\n");
             WriteFile(t.m_disc / "FOO.inf", "[General]\r\n[Required\r\nDefaultDir=C:\\X\r\n"s);
         },
         kScript,
         0,
         {"1 groups, 1 files"},
         "",
         "",
         "[Required\r\nDefaultDir=C:\\X\r\n"},
        {"a header [Required]x] in the script",
         [](MistakeTest& t) {
             t.Describe("required Game\nfile FOO.a32\n");
             WriteFile(t.m_disc / "FOO.inf", "[General]\r\n[Required]x]\r\nKeep=1\r\n"s);
         },
         kScript,
         0,
         {"1 groups, 1 files"},
         "",
         "",
         "[Required]x]\r\nKeep=1\r\n"},

        // check on scripts that install nothing or can never be current.
        {"a script without groups",
         script(""),
         kStrict,
         1,
         {"lists no group in [Required] or [Optional]", "[no-groups]"}},
        {"a required group without files",
         script("[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=Game\r\nPC-Group1FileCount=0\r\n"),
         kStrict,
         1,
         {"Required group 1 \"Game (required)\" lists no file", "[empty-required-group]"}},
        {"two required files under one key",
         script("[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=Game\r\nPC-Group1FileCount=2\r\n"
                "PC-Group1File1Name=FOO.a32\r\nPC-Group1File1Key=Game\r\n"
                "PC-Group1File2Name=Data\\Core.pak\r\nPC-Group1File2Key=game\r\n"),
         {"check", "{disc}"},
         1,
         {"both required", "[required-key-reused]"}},
        {"a listed name longer than a path",
         [](MistakeTest& t) {
             t.WriteScript(
                 "[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=Game\r\n"
                 "PC-Group1FileCount=1\r\nPC-Group1File1Name=" +
                 MakeLongName(t.m_disc) + "\r\nPC-Group1File1Key=Long\r\n");
         },
         {"check", "{disc}"},
         1,
         {"is 272 characters long, over the 259", "[path-too-long]"}},
        {"a destination and name longer than a path",
         [](MistakeTest& t) {
             WriteFile(t.m_disc / "FOO.inf", "[General]\r\nDefaultDir=C:\\" +
                                                 std::string(250, 'd') +
                                                 "\r\n[Required]\r\nPC-GroupCount=1\r\n"
                                                 "PC-Group1Name=Game\r\nPC-Group1FileCount=1\r\n"
                                                 "PC-Group1File1Name=Data\\Core.pak\r\n"
                                                 "PC-Group1File1Key=Core\r\n");
         },
         {"check", "{disc}"},
         1,
         {"in the destination C:\\ddd", "makes 267 characters"}},
        {"a product name longer than the launcher reads",
         [](MistakeTest& t) {
             WriteFile(t.m_disc / "FOO.inf", "[General]\r\nProductName=" + std::string(300, 'P') +
                                                 "\r\n[Required]\r\nPC-GroupCount=1\r\n"
                                                 "PC-Group1Name=Game\r\nPC-Group1FileCount=1\r\n"
                                                 "PC-Group1File1Name=FOO.a32\r\n"
                                                 "PC-Group1File1Key=Game\r\n");
         },
         kStrict,
         1,
         {"FOO.inf:2: warning: ProductName is longer than 255 characters and is cut",
          "[value-cut]"}},
        {"a character the code page lacks in a UTF-16 script",
         [](MistakeTest& t) {
             WriteFile(t.m_disc / "FOO.inf",
                       Utf16WithDelta("[General]\r\nBasDlgTitle=Foo @\r\n[Required]\r\n"
                                      "PC-GroupCount=1\r\nPC-Group1Name=Game\r\n"
                                      "PC-Group1FileCount=1\r\nPC-Group1File1Name=FOO.a32\r\n"
                                      "PC-Group1File1Key=Game\r\n"));
         },
         {"check", "{disc}"},
         1,
         {"FOO.inf:2: error:", "(column 17: \"\xCE\x94\", U+0394)"}},

        // master: its output, its presser, its own output.
        {"master over a folder",
         [](MistakeTest& t) { fs::create_directory(t.m_root / "out"); },
         {"master", "{disc}", "{root}/out"},
         2,
         {"out: is a folder; master writes only a new file or replaces a regular file"}},
        // A named pipe stands for a device: a faulty master run as root would replace a real one.
        {"master over a named pipe",
         [](MistakeTest& t) { ASSERT_EQ(mkfifo((t.m_root / "pipe").c_str(), 0600), 0); },
         {"master", "{disc}", "{root}/pipe"},
         2,
         {"pipe: is not a regular file"}},
        {"master over an image",
         [](MistakeTest& t) { WriteFile(t.m_root / "FOO.iso", "old"s); },
         {"master", "{disc}", "{root}/FOO.iso"},
         0,
         {"FOO.iso: replaced; volume FOO"},
         "",
         "",
         "",
         [](MistakeTest& t) {
             // An ISO 9660 image: its first volume descriptor (sector 16) says "CD001".
             const std::string image = ReadFile(t.m_root / "FOO.iso");
             ASSERT_GT(image.size(), 32768u) << image;
             EXPECT_EQ(image.substr(32769, 5), "CD001");
         }},
        {"xorriso killed by a signal",
         [](MistakeTest&) {},
         {"master", "{disc}", "{root}/FOO.iso"},
         1,
         {"xorriso was killed by signal 9", "no image written"},
         "#!/bin/sh\nkill -9 $$\n",
         "",
         "",
         [](MistakeTest& t) {
             EXPECT_EQ(NamesStarting(t.m_root, "FOO.iso"), std::vector<std::string>{});
         }},
        {"standard output on a full disk",
         [](MistakeTest&) {},
         {"check", "--json", "{disc}"},
         2,
         {"disctool: standard output: No space left on device"},
         "",
         "/dev/full"},

        // verify: what it needs and what it tells apart.
        {"verify without --drive",
         [](MistakeTest& t) { t.InstallCopy("MZ"); },
         {"verify", "--shared-file", "{root}/tivoroo.ini", "{disc}"},
         2,
         {"verify needs --drive X:=DIR"}},
        {"verify of a touched copy",
         [](MistakeTest& t) { t.InstallCopy("MZ"); },
         kVerify,
         1,
         {"has the disc's bytes but another last-write time (the copy ", ", the disc ",
          "touched since installed", "files: 1, 0 current, 0 adopted, 1 stale, 0 missing"}},
        {"verify of a changed copy",
         [](MistakeTest& t) { t.InstallCopy("MZ, saved game"); },
         kVerify,
         1,
         {"has other bytes and another last-write time", "changed since installed"}},
        {"verify --json of a touched copy",
         [](MistakeTest& t) { t.InstallCopy("MZ"); },
         {"verify", "--json", "--shared-file", "{root}/tivoroo.ini", "--drive", "C:={root}/c",
          "{disc}"},
         1,
         {"\"reason\": \"touched\"", "\"stale\": 1"}},

        // Pictures.
        {"picture encode of a cut PNG",
         [](MistakeTest& t) {
             WriteFile(t.m_root / "whole.ppm", "P6\n8 8\n255\n" + std::string(192, '\x7f'));
             const Result made = Spawn({"sh", "-c",
                                        "pnmtopng '" + (t.m_root / "whole.ppm").string() + "' > '" +
                                            (t.m_root / "whole.png").string() + "'"},
                                       t.m_logs);
             ASSERT_EQ(made.status, 0) << made.err;
             WriteFile(t.m_root / "cut.png", ReadFile(t.m_root / "whole.png").substr(0, 60));
         },
         {"picture", "encode", "{root}/cut.png", "{root}/cut.wiz"},
         1,
         {"cut.png: the PNG ends early: the file is cut short"}},
    };
}

std::string Expand(std::string text, const MistakeTest& t) {
    for (const auto& [name, value] :
         {std::pair<std::string, std::string>{"{disc}", t.m_disc.string()},
          {"{root}", t.m_root.string()},
          {"{script}", (t.m_disc / "FOO.inf").string()}}) {
        for (std::size_t at; (at = text.find(name)) != std::string::npos;)
            text.replace(at, name.size(), value);
    }
    return text;
}

TEST_F(MistakeTest, EachMistakeIsSaidWithItsExitStatus) {
    for (const Mistake& mistake : Mistakes()) {
        SCOPED_TRACE(mistake.what);
        TearDown();  // each row on a disc of its own
        SetUp();
        mistake.setUp(*this);
        if (HasFatalFailure()) continue;  // an ASSERT in a set-up ends only its lambda
        std::string bin;
        if (!mistake.fakeXorriso.empty()) {
            fs::create_directory(m_root / "bin");
            WriteFile(m_root / "bin" / "xorriso", mistake.fakeXorriso);
            fs::permissions(m_root / "bin" / "xorriso", fs::perms::owner_exec,
                            fs::perm_options::add);
            bin = (m_root / "bin").string();
        }
        std::vector<std::string> argv = {DISCTOOL_PATH};
        for (const std::string& argument : mistake.command) argv.push_back(Expand(argument, *this));
        const Result result = SpawnWith(argv, m_logs, bin, mistake.stdoutTo);
        EXPECT_EQ(result.status, mistake.status) << result.out << result.err;
        for (const std::string& words : mistake.says) {
            EXPECT_NE((result.out + result.err).find(Expand(words, *this)), std::string::npos)
                << "missing: " << words << "\n"
                << result.out << result.err;
        }
        if (!mistake.scriptHas.empty()) {
            EXPECT_NE(ReadFile(m_disc / "FOO.inf").find(mistake.scriptHas), std::string::npos)
                << ReadFile(m_disc / "FOO.inf");
        }
        if (mistake.after) mistake.after(*this);
    }
}

}  // namespace

namespace {

// Ctrl-C (SIGINT) or a termination (SIGTERM) while master presses: the image's temporary file
// beside it goes, and disctool ends by the signal.
TEST_F(MistakeTest, MasterInterruptedLeavesNoTemporaryFile) {
    fs::create_directory(m_root / "bin");
    WriteFile(m_root / "bin" / "xorriso", "#!/bin/sh\nprintf 'part of an image'\nexec sleep 30\n"s);
    fs::permissions(m_root / "bin" / "xorriso", fs::perms::owner_exec, fs::perm_options::add);
    const fs::path out = m_root / "out";
    fs::create_directory(out);
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        const std::string previous = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        setenv("PATH", ((m_root / "bin").string() + ":" + previous).c_str(), 1);
        std::vector<std::string> argv = {DISCTOOL_PATH, "master", m_disc.string(),
                                         (out / "FOO.iso").string()};
        std::vector<char*> arguments;
        for (std::string& argument : argv) arguments.push_back(argument.data());
        arguments.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, arguments[0], &actions, nullptr, arguments.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        setenv("PATH", previous.c_str(), 1);
        // Wait for the temporary image to hold what the presser wrote.
        bool pressing = false;
        for (int i = 0; i < 400 && !pressing; ++i) {
            for (const std::string& name : NamesStarting(out, "FOO.iso."))
                pressing = pressing || fs::file_size(out / name) > 0;
            if (!pressing) std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        EXPECT_TRUE(pressing) << "the presser never started";
        kill(pid, signal);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(NamesStarting(out, "FOO.iso"), std::vector<std::string>{});
    }
}

// Pressing one disc folder twice, a second apart, gives the same image byte for byte (volume
// dates from the disc's newest file), and SOURCE_DATE_EPOCH sets those dates instead.
TEST_F(MistakeTest, MasterPressesTheSameImageTwice) {
    const auto press = [&](const std::string& name) {
        const Result made =
            Spawn({DISCTOOL_PATH, "master", m_disc.string(), (m_root / name).string()}, m_logs);
        EXPECT_EQ(made.status, 0) << made.out << made.err;
        return ReadFile(m_root / name);
    };
    const std::string first = press("1.iso");
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const std::string second = press("2.iso");
    ASSERT_GT(first.size(), 32768u);
    EXPECT_TRUE(first == second) << "the images differ";

    setenv("SOURCE_DATE_EPOCH", "1500000000", 1);
    const std::string dated = press("3.iso");
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const std::string again = press("4.iso");
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_TRUE(dated == again);
    EXPECT_FALSE(dated == first) << "SOURCE_DATE_EPOCH changes the volume dates";
    // The primary volume descriptor (sector 16) carries its creation date at byte 813 as
    // "YYYYMMDDhhmmsscc".
    EXPECT_EQ(dated.substr(16 * 2048 + 813, 14), "20170714024000");
}

}  // namespace
