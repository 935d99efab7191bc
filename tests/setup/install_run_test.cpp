// The install run on real files under a temporary folder: what is copied, deleted and recorded
// in the shared file, the questions and the one failure message, the destinations it refuses,
// and the paths it never touches. Questions are answered by a scripted stand-in for the boxes.
#include "setup/install_run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/setup/product_fixture.h"

namespace {

const char kCreateText[] = "The specified destination directory does not exist.  Create?";

ComponentGroup Group(std::vector<ComponentFile> files) {
    ComponentGroup group;
    group.files = std::move(files);
    return group;
}

// Product PUZZLE with the proposed destination proposed\.
class InstallRunTest : public ProductTest {
protected:
    InstallRunTest() : ProductTest("proposed\\") {}

    void SetUp() override {
        g_fileSystem = "NTFS";
        ProductTest::SetUp();
    }

    int Run(const std::vector<InstallRow>& rows, const std::string& destination,
            std::uint64_t available = 1ULL << 40, std::uint64_t required = 0) {
        const InstallRequest request{&m_paths, destination.c_str(), available, required};
        return InstallComponents(request, rows, m_progress, nullptr, m_prompts, FakeFileSystem);
    }
    // The outcome of a run of one row whose file the launcher refuses (name is its name in
    // the script): checked, the run fails with one message naming the file; unchecked, it
    // succeeds and says nothing.
    void ExpectRefusedRow(int result, int checked, const std::string& name) const {
        if (checked) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(m_prompts.reported,
                      std::vector<Prompt>({{"Unable to copy " + Path("src\\") + name + " to \n" +
                                                Path("chosen\\") + name,
                                            "PUZZLE"}}));
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_TRUE(m_prompts.reported.empty());
        }
    }
};

TEST_F(InstallRunTest, CopiesCheckedGroupsWithTheirTimesAndRecordsFullPaths) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "game"));
    ASSERT_TRUE(WriteFileAt(Path("src\\MUSIC\\THEME.MID"), 200, "theme"));
    ASSERT_TRUE(WriteFileAt(Path("src\\MOVIES\\INTRO.AVI"), 300, ""));
    const ComponentGroup required = Group({{"GAME.DAT", "GameDat"}, {"MUSIC\\THEME.MID", "Theme"}});
    const ComponentGroup movies = Group({{"MOVIES\\INTRO.AVI", "Intro"}});

    // Typed without its trailing backslash, on a drive that seems too full, folders missing.
    ASSERT_EQ(Run({{&required, 1}, {&movies, 1}}, Path("games\\foo"), 5, 10), 1);

    const std::string drive = Path("").substr(0, 2);
    ASSERT_GE(m_prompts.asked.size(), 1u);
    EXPECT_EQ(m_prompts.asked[0], Prompt("There does not appear to be enough space on drive " +
                                             drive + "\nTry to copy anyway?",
                                         "Disk Space"));
    // games\foo\, then MUSIC\ and MOVIES\ below it.
    EXPECT_EQ(m_prompts.asked.size(), 4u);
    for (std::size_t i = 1; i < m_prompts.asked.size(); ++i) {
        EXPECT_EQ(m_prompts.asked[i], Prompt(kCreateText, "Create Directory"));
    }
    EXPECT_TRUE(m_prompts.reported.empty());

    const struct {
        const char* name;
        const char* key;
    } files[] = {
        {"GAME.DAT", "GameDat"}, {"MUSIC\\THEME.MID", "Theme"}, {"MOVIES\\INTRO.AVI", "Intro"}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string copy = Path("games\\foo\\") + file.name;
        EXPECT_EQ(ReadWholeFile(copy), ReadWholeFile(Path("src\\") + file.name));
        EXPECT_EQ(CompareFileWriteTimes(copy.c_str(), (Path("src\\") + file.name).c_str()), 0);
        EXPECT_EQ(Record(file.key), copy);
    }
    EXPECT_EQ(m_progress.m_hWnd, nullptr);  // closed at the end of the run
}

TEST_F(InstallRunTest, OldCopiesAreRemovedAndUncheckedGroupsUninstalled) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "new game"));
    ASSERT_TRUE(WriteFileAt(Path("src\\OPT.DAT"), 100, "optional"));
    for (const char* old :
         {"old\\GAME.DAT", "proposed\\GAME.DAT", "old\\OPT.DAT", "proposed\\OPT.DAT"}) {
        ASSERT_TRUE(WriteFileAt(Path(old), 50, "old"));
    }
    // A copy of ours in the chosen folder: it has the source's last-write time.
    ASSERT_TRUE(WriteFileAt(Path("chosen\\OPT.DAT"), 100, "optional"));
    SetRecord("GameDat", Path("old\\GAME.DAT"));
    SetRecord("OptDat", Path("old\\OPT.DAT"));
    const ComponentGroup game = Group({{"GAME.DAT", "GameDat"}});
    const ComponentGroup optional = Group({{"OPT.DAT", "OptDat"}});

    ASSERT_EQ(Run({{&game, 1}, {&optional, 0}}, Path("chosen\\")), 1);

    // Installed once, in the chosen folder only.
    EXPECT_FALSE(Exists("old\\GAME.DAT"));
    EXPECT_FALSE(Exists("proposed\\GAME.DAT"));
    EXPECT_EQ(ReadWholeFile(Path("chosen\\GAME.DAT")), "new game");
    EXPECT_EQ(Record("GameDat"), Path("chosen\\GAME.DAT"));
    // The unchecked group is gone from the recorded, proposed and chosen folders.
    EXPECT_FALSE(Exists("old\\OPT.DAT"));
    EXPECT_FALSE(Exists("proposed\\OPT.DAT"));
    EXPECT_FALSE(Exists("chosen\\OPT.DAT"));
    EXPECT_EQ(Record("OptDat"), "");
    EXPECT_TRUE(m_prompts.asked.empty());
}

TEST_F(InstallRunTest, CopiesOfThisRunSurviveLaterRowsListingThemAgain) {
    struct File {
        const char* name;
        const char* key;
    };
    struct Row {
        std::vector<File> files;
        int checked;
    };
    struct Case {
        const char* what;
        const char* folder;  // destination, relative to the temp folder
        std::vector<Row> rows;
        std::vector<const char*> installed;                        // under folder
        std::vector<std::pair<const char*, const char*>> records;  // key, file under folder or ""
    };
    const Case cases[] = {
        {"one file required and optional, unticked",
         "chosen\\",
         {{{{"A.DAT", "A"}}, 1}, {{{"A.DAT", "A"}}, 0}},
         {"A.DAT"},
         {{"A", "A.DAT"}}},
        {"into the proposed folder",
         "proposed\\",
         {{{{"A.DAT", "A"}}, 1}, {{{"A.DAT", "A"}}, 0}},
         {"A.DAT"},
         {{"A", "A.DAT"}}},
        {"listed twice under two keys",
         "chosen\\",
         {{{{"A.DAT", "A"}}, 1}, {{{"A.DAT", "B"}}, 0}},
         {"A.DAT"},
         {{"A", "A.DAT"}, {"B", ""}}},
        {"listed in two ticked groups",
         "chosen\\",
         {{{{"A.DAT", "A"}}, 1}, {{{"A.DAT", "B"}}, 1}},
         {"A.DAT"},
         {{"A", "A.DAT"}, {"B", "A.DAT"}}},
        {"two names under one key, both ticked",
         "chosen\\",
         {{{{"A.DAT", "K"}, {"B.DAT", "K"}}, 1}},
         {"A.DAT", "B.DAT"},
         {{"K", "B.DAT"}}},
        {"two names under one key, the second unticked",
         "chosen\\",
         {{{{"A.DAT", "K"}}, 1}, {{{"B.DAT", "K"}}, 0}},
         {"A.DAT"},
         {{"K", "A.DAT"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFileAt(Path("src\\A.DAT"), 100, "a"));
        ASSERT_TRUE(WriteFileAt(Path("src\\B.DAT"), 100, "b"));
        std::vector<ComponentGroup> groups;
        for (const Row& row : c.rows) {
            std::vector<ComponentFile> files;
            for (const File& file : row.files) files.push_back({file.name, file.key});
            groups.push_back(Group(files));
        }
        std::vector<InstallRow> rows;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            rows.push_back({&groups[i], c.rows[i].checked});
        }
        m_prompts = RecordedPrompts();

        EXPECT_EQ(Run(rows, Path(c.folder)), 1);

        EXPECT_TRUE(m_prompts.reported.empty());
        for (const char* name : c.installed) {
            EXPECT_EQ(ReadWholeFile(Path(c.folder) + name), ReadWholeFile(Path("src\\") + name))
                << name;
        }
        for (const auto& [key, name] : c.records) {
            EXPECT_EQ(Record(key), name[0] == '\0' ? "" : Path(c.folder) + name) << key;
        }
        for (const char* name : {"A.DAT", "B.DAT"}) {
            DeleteFileA((Path(c.folder) + name).c_str());
        }
        for (const char* key : {"A", "B", "K"}) SetRecord(key, "");
    }
}

TEST_F(InstallRunTest, RefusedDestinationsChangeNothing) {
    struct Case {
        const char* what;
        std::string destination;
        std::vector<int> answers;
        std::vector<Prompt> asked;
        std::vector<Prompt> reported;
    };
    const std::string longName(300, 'a');
    // 260 characters or more that resolve to a short folder: refused as typed.
    std::string shrinking = Path("chosen\\");
    while (shrinking.size() < static_cast<std::size_t>(kPathSize)) shrinking += "x\\..\\";
    const auto shown = [](std::string text) {
        text.resize(static_cast<std::size_t>(kPathSize));
        return text;
    };
    const Prompt same("The destination folder is the same as the source folder.", "PUZZLE");
    const std::string drive = Path("").substr(0, 2);
    const Prompt space(
        "There does not appear to be enough space on drive " + drive + "\nTry to copy anyway?",
        "Disk Space");
    std::string upper = Path("SRC");
    CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
    const Case cases[] = {
        {"empty", "", {}, {}, {}},
        {"the source folder", Path("src\\"), {}, {}, {same}},
        {"the source folder in other case", upper, {}, {}, {same}},
        {"the source folder through ..", Path("chosen\\..\\src\\."), {}, {}, {same}},
        {"too long for a path",
         Path(longName),
         {},
         {},
         {{"Unable to create directory structure " + shown(Path(longName)), "PUZZLE"}}},
        {"260 characters or more resolving to a short folder",
         shrinking,
         {},
         {},
         {{"Unable to create directory structure " + shown(shrinking), "PUZZLE"}}},
        {"too little space, No", Path("chosen\\"), {0}, {space}, {}},
    };
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "game"));
    ASSERT_TRUE(WriteFileAt(Path("old\\GAME.DAT"), 50, "old"));
    ASSERT_TRUE(WriteFileAt(Path("proposed\\GAME.DAT"), 50, "old"));
    SetRecord("GameDat", Path("old\\GAME.DAT"));
    const ComponentGroup game = Group({{"GAME.DAT", "GameDat"}});
    const ComponentGroup unchecked = Group({{"GAME.DAT", "GameDat"}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_prompts = RecordedPrompts();
        m_prompts.answers = c.answers;
        EXPECT_EQ(Run({{&game, 1}, {&unchecked, 0}}, c.destination, 1, 2), 0);
        EXPECT_EQ(m_prompts.asked, c.asked);
        EXPECT_EQ(m_prompts.reported, c.reported);
        EXPECT_EQ(ReadWholeFile(Path("src\\GAME.DAT")), "game");
        EXPECT_TRUE(Exists("old\\GAME.DAT"));
        EXPECT_TRUE(Exists("proposed\\GAME.DAT"));
        EXPECT_FALSE(Exists("chosen\\GAME.DAT"));
        EXPECT_EQ(Record("GameDat"), Path("old\\GAME.DAT"));
    }
}

TEST_F(InstallRunTest, MissingFolderDeclinedOrNotCreatable) {
    struct Case {
        const char* what;
        std::string destination;
        int answer;
        std::vector<Prompt> reported;
    };
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "game"));
    ASSERT_TRUE(WriteFileAt(Path("afile"), 100, "a file where a folder should be"));
    const Case cases[] = {
        {"user answers No", Path("chosen\\"), 0, {}},
        {"a file in the way",
         Path("afile\\sub\\"),
         1,
         {{"Unable to create directory structure " + Path("afile\\sub\\"), "PUZZLE"}}},
    };
    const ComponentGroup game = Group({{"GAME.DAT", "GameDat"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_prompts = RecordedPrompts();
        m_prompts.answers = {c.answer};
        EXPECT_EQ(Run({{&game, 1}}, c.destination), 0);
        EXPECT_EQ(m_prompts.asked, std::vector<Prompt>({{kCreateText, "Create Directory"}}));
        EXPECT_EQ(m_prompts.reported, c.reported);
        EXPECT_EQ(GetFileAttributesA(c.destination.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(Record("GameDat"), "");
    }
}

TEST_F(InstallRunTest, NamesOutsideTheFolderAreNeverTouched) {
    const std::string outside = Path("OUT.DAT");
    const std::string names[] = {"..\\OUT.DAT", "MUSIC\\..\\..\\OUT.DAT", outside, "\\OUT.DAT",
                                 "\\\\server\\share\\OUT.DAT"};
    for (const std::string& name : names) {
        for (const int checked : {1, 0}) {
            SCOPED_TRACE(name + (checked ? " checked" : " unchecked"));
            ASSERT_TRUE(WriteFileAt(outside, 100, "not ours"));
            ASSERT_TRUE(WriteFileAt(Path("old\\EVIL.DAT"), 100, "recorded"));
            SetRecord("Evil", Path("old\\EVIL.DAT"));
            m_prompts = RecordedPrompts();
            const ComponentGroup group = Group({{name, "Evil"}});

            const int result = Run({{&group, checked}}, Path("chosen\\"));

            ExpectRefusedRow(result, checked, name);
            EXPECT_EQ(ReadWholeFile(outside), "not ours");
            EXPECT_TRUE(Exists("old\\EVIL.DAT"));
            EXPECT_EQ(Record("Evil"), Path("old\\EVIL.DAT"));
        }
    }
}

// Names Windows would read as another file or a device: a checked row fails naming the file,
// an unchecked one touches nothing (the user's GAME.DAT in the chosen folder survives).
TEST_F(InstallRunTest, NamesWindowsCannotHoldAreNeverTouched) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "source"));
    const std::string names[] = {".\\GAME.DAT", "...\\GAME.DAT", "GAME.DAT:hidden",
                                 "COM1.BIN",    "nul",           "GA*E.DAT"};
    for (const std::string& name : names) {
        for (const int checked : {1, 0}) {
            SCOPED_TRACE(name + (checked ? " checked" : " unchecked"));
            ASSERT_TRUE(WriteFileAt(Path("chosen\\GAME.DAT"), 50, "the user's"));
            m_prompts = RecordedPrompts();
            const ComponentGroup group = Group({{name, "Game"}});

            const int result = Run({{&group, checked}}, Path("chosen\\"));

            ExpectRefusedRow(result, checked, name);
            EXPECT_EQ(ReadWholeFile(Path("chosen\\GAME.DAT")), "the user's");
            EXPECT_EQ(ReadWholeFile(Path("tivoroo.ini")), "<missing>");
        }
    }
}

// Keys the shared file cannot hold: nothing is written, read or erased under them. The file is
// copied like any other (checked) or its copies removed (unchecked); a checked run ends with
// the one warning that names the shared file.
TEST_F(InstallRunTest, UnsafeKeysAreNeverWrittenTheirFilesAreCopied) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "source"));
    for (const char* key : {"", "A=B", "[Other]", ";Note", " A", "A ", "\tA"}) {
        for (const int checked : {1, 0}) {
            SCOPED_TRACE(std::string("'") + key + (checked ? "' checked" : "' unchecked"));
            ASSERT_TRUE(WriteFileAt(Path("old\\GAME.DAT"), 100, "recorded"));
            ASSERT_TRUE(WriteFileAt(Path("proposed\\GAME.DAT"), 100, "proposed"));
            ASSERT_TRUE(WriteFileAt(Path("chosen\\GAME.DAT"), 50, "the user's"));
            SetRecord("A", Path("old\\GAME.DAT"));
            const std::string shared = ReadWholeFile(Path("tivoroo.ini"));
            m_prompts = RecordedPrompts();
            const ComponentGroup group = Group({{"GAME.DAT", key}});

            EXPECT_EQ(Run({{&group, checked}}, Path("chosen\\")), 1);

            EXPECT_TRUE(m_prompts.reported.empty());
            EXPECT_EQ(ReadWholeFile(Path("tivoroo.ini")), shared);
            EXPECT_EQ(ReadWholeFile(Path("old\\GAME.DAT")), "recorded");
            EXPECT_FALSE(Exists("proposed\\GAME.DAT"));
            EXPECT_EQ(ReadWholeFile(Path("chosen\\GAME.DAT")), checked ? "source" : "the user's");
            EXPECT_EQ(m_prompts.informed.size(), checked ? 1U : 0U);
        }
    }
}

TEST_F(InstallRunTest, SourceFilesSurviveRecordsAndProposedFolderPointingAtThem) {
    const char* sources[] = {"src\\GAME.DAT", "src\\OPT.DAT", "src\\DATA\\LEVEL.DAT",
                             "src\\PUZZLE.a32"};
    for (const char* source : sources) ASSERT_TRUE(WriteFileAt(Path(source), 100, source));
    // The proposed destination is the disc itself, and the records name disc files, one of
    // them spelt in other case and through ".".
    std::strcpy(m_paths.destFolder, m_paths.sourceFolder);
    SetRecord("GameDat", Path("src\\GAME.DAT"));
    SetRecord("OptDat", Path("src\\.\\opt.dat"));
    SetRecord("Level", Path("src\\PUZZLE.a32"));
    SetRecord("Other", Path("src\\DATA\\LEVEL.DAT"));
    const ComponentGroup game = Group({{"GAME.DAT", "GameDat"}});
    const ComponentGroup optional =
        Group({{"OPT.DAT", "OptDat"}, {"DATA\\LEVEL.DAT", "Level"}, {"MISSING.DAT", "Other"}});

    ASSERT_EQ(Run({{&game, 1}, {&optional, 0}}, Path("chosen\\")), 1);

    for (const char* source : sources) {
        EXPECT_EQ(ReadWholeFile(Path(source)), source);
    }
    EXPECT_EQ(ReadWholeFile(Path("chosen\\GAME.DAT")), "src\\GAME.DAT");
    EXPECT_EQ(Record("GameDat"), Path("chosen\\GAME.DAT"));
}

TEST_F(InstallRunTest, TargetOntoAnotherSourceFileFails) {
    // Installing into a folder of the disc must not replace a disc file with another one.
    ASSERT_TRUE(WriteFileAt(Path("src\\LEVEL.DAT"), 100, "top"));
    ASSERT_TRUE(WriteFileAt(Path("src\\DATA\\LEVEL.DAT"), 100, "data"));
    const ComponentGroup group = Group({{"DATA\\LEVEL.DAT", "A"}, {"LEVEL.DAT", "B"}});
    EXPECT_EQ(Run({{&group, 1}}, Path("src\\DATA\\")), 0);
    EXPECT_EQ(ReadWholeFile(Path("src\\DATA\\LEVEL.DAT")), "data");
    EXPECT_EQ(m_prompts.reported.size(), 1u);
}

TEST_F(InstallRunTest, PathsThatDoNotFitFailTheFile) {
    // The source path fits, the target under a longer folder does not.
    const std::string chosen = Path(std::string(60, 'c') + "\\");
    const std::size_t room =
        static_cast<std::size_t>(kPathSize) - 1 - std::strlen(m_paths.sourceFolder);
    std::string name;
    while (name.size() + 50 < room) name += std::string(49, 'd') + "\\";
    name += std::string(room - name.size(), 'e');
    ASSERT_TRUE(WriteFileAt(Path("src\\") + name, 100, "long"));
    ASSERT_TRUE(WriteFileAt(Path("old\\LONG.DAT"), 100, "recorded"));
    SetRecord("Long", Path("old\\LONG.DAT"));
    const ComponentGroup group = Group({{name, "Long"}});

    EXPECT_EQ(Run({{&group, 1}}, chosen), 0);

    EXPECT_EQ(
        m_prompts.reported,
        std::vector<Prompt>(
            {{"Unable to copy " + Path("src\\") + name + " to \n" + chosen + name, "PUZZLE"}}));
    EXPECT_EQ(GetFileAttributesA(chosen.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(Exists("old\\LONG.DAT"));  // the old copy stays when no new one can be made
}

TEST_F(InstallRunTest, FailedCopyEndsTheRunAfterEarlierFilesAreRecorded) {
    for (const char* name : {"A.DAT", "B.DAT", "C.DAT"}) {
        ASSERT_TRUE(WriteFileAt(Path("src\\") + name, 100, name));
    }
    ASSERT_TRUE(WriteFileAt(Path("chosen\\B.DAT"), 50, "read-only"));
    SetFileAttributesA(Path("chosen\\B.DAT").c_str(), FILE_ATTRIBUTE_READONLY);
    const ComponentGroup group = Group({{"A.DAT", "A"}, {"B.DAT", "B"}, {"C.DAT", "C"}});

    EXPECT_EQ(Run({{&group, 1}}, Path("chosen\\")), 0);

    EXPECT_EQ(m_prompts.reported, std::vector<Prompt>({{"Unable to copy " + Path("src\\B.DAT") +
                                                            " to \n" + Path("chosen\\B.DAT"),
                                                        "PUZZLE"}}));
    EXPECT_EQ(Record("A"), Path("chosen\\A.DAT"));
    EXPECT_EQ(Record("B"), "");
    EXPECT_EQ(ReadWholeFile(Path("chosen\\B.DAT")), "read-only");
    EXPECT_FALSE(Exists("chosen\\C.DAT"));
    SetFileAttributesA(Path("chosen\\B.DAT").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The shared file cannot be written (a limited user's Windows folder): the copies stay, the
// run succeeds and ends with one warning naming the shared file.
TEST_F(InstallRunTest, RecordThatCannotBeWrittenKeepsTheCopyAndWarnsOnce) {
    // The shared file in a folder that does not exist: the profile functions cannot write it.
    // (A read-only shared file would do on Windows; under Wine as root it is written anyway.)
    std::strcpy(m_paths.sharedIniPath, Path("missing\\tivoroo.ini").c_str());
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "game"));
    ASSERT_TRUE(WriteFileAt(Path("src\\MUSIC.DAT"), 100, "music"));
    const ComponentGroup game = Group({{"GAME.DAT", "GameDat"}, {"MUSIC.DAT", "Music"}});
    const ComponentGroup again = Group({{"GAME.DAT", "Again"}});

    EXPECT_EQ(Run({{&game, 1}, {&again, 1}}, Path("chosen\\")), 1);

    EXPECT_TRUE(m_prompts.reported.empty());
    EXPECT_EQ(m_prompts.informed,
              std::vector<Prompt>({{"The installed files could not all be recorded in " +
                                        Path("missing\\tivoroo.ini") +
                                        ".\nSetup may appear again at the next start.",
                                    "PUZZLE"}}));
    EXPECT_EQ(ReadWholeFile(Path("chosen\\GAME.DAT")), "game");
    EXPECT_EQ(ReadWholeFile(Path("chosen\\MUSIC.DAT")), "music");
    EXPECT_FALSE(Exists("missing\\tivoroo.ini"));

    // A failed run says only its failure.
    m_prompts = RecordedPrompts();
    const ComponentGroup missing = Group({{"GAME.DAT", "GameDat"}, {"NOSUCH.DAT", "No"}});
    EXPECT_EQ(Run({{&missing, 1}}, Path("chosen\\")), 0);
    EXPECT_EQ(m_prompts.reported.size(), 1U);
    EXPECT_TRUE(m_prompts.informed.empty());
}

// A base name that cannot name a section: installed, nothing recorded, one warning.
TEST_F(InstallRunTest, UnsafeBaseNameCopiesRecordsNothingAndWarns) {
    std::strcpy(m_paths.baseName, "PUZ]ZLE");
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "game"));
    const ComponentGroup game = Group({{"GAME.DAT", "GameDat"}});

    EXPECT_EQ(Run({{&game, 1}}, Path("chosen\\")), 1);

    EXPECT_EQ(ReadWholeFile(Path("chosen\\GAME.DAT")), "game");
    EXPECT_EQ(ReadWholeFile(Path("tivoroo.ini")), "<missing>");
    EXPECT_EQ(m_prompts.informed.size(), 1U);
}

// A close that fails after the handle is really closed, as one that could not write the file's
// last data to the disk would.
BOOL WINAPI CloseThenFail(HANDLE handle) {
    CloseHandle(handle);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

TEST_F(InstallRunTest, TargetWhoseCloseFailsFailsTheFile) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "game"));
    const ComponentGroup game = Group({{"GAME.DAT", "GameDat"}});
    const auto closeFails = std::make_unique<CopyProgressDialog>(CloseThenFail);
    const std::string destination = Path("chosen\\");
    const InstallRequest request{&m_paths, destination.c_str(), 1ULL << 40, 0};

    EXPECT_EQ(
        InstallComponents(request, {{&game, 1}}, *closeFails, nullptr, m_prompts, FakeFileSystem),
        0);

    EXPECT_EQ(m_prompts.reported, std::vector<Prompt>({{"Unable to copy " + Path("src\\GAME.DAT") +
                                                            " to \n" + Path("chosen\\GAME.DAT"),
                                                        "PUZZLE"}}));
    EXPECT_FALSE(Exists("chosen\\GAME.DAT"));
    EXPECT_EQ(Record("GameDat"), "");
}

TEST_F(InstallRunTest, RecordedPathIsDeletedOnlyWhenItEndsInTheFilesName) {
    struct Case {
        const char* what;
        std::string name;      // the file's name in the script
        const char* recorded;  // under the temp folder
        bool deleted;
    };
    // A name whose source path does not fit, with a last component that fits anywhere: an
    // unchecked row keeps both the recorded copy and its record, so neither is orphaned.
    const std::size_t room =
        static_cast<std::size_t>(kPathSize) - std::strlen(m_paths.sourceFolder);
    const std::string tooLong = std::string(room, 'd') + "\\OLD.DAT";
    const Case cases[] = {
        {"its own name", "OLD.DAT", "old\\OLD.DAT", true},
        {"its own name in other case", "DATA\\OLD.DAT", "old\\old.dat", true},
        {"another name", "GAME.DAT", "old\\OLD.DAT", false},
        {"a name that only ends the same", "D.DAT", "old\\OLD.DAT", false},
        {"source path does not fit", tooLong, "old\\OLD.DAT", false},
    };
    for (const Case& c : cases) {
        for (const int checked : {1, 0}) {
            SCOPED_TRACE(std::string(c.what) + (checked ? " checked" : " unchecked"));
            if (checked && c.name == tooLong) continue;  // a checked row fails before any step
            if (c.name != tooLong) {
                ASSERT_TRUE(WriteFileAt(Path("src\\") + c.name, 100, "new"));
            }
            ASSERT_TRUE(WriteFileAt(Path(c.recorded), 50, "recorded"));
            SetRecord("Key", Path(c.recorded));
            const ComponentGroup group = Group({{c.name, "Key"}});
            m_prompts = RecordedPrompts();

            EXPECT_EQ(Run({{&group, checked}}, Path("chosen\\")), 1);

            EXPECT_EQ(Exists(c.recorded), !c.deleted);
            const std::string record = checked             ? Path("chosen\\") + c.name
                                       : c.name == tooLong ? Path(c.recorded)
                                                           : "";
            EXPECT_EQ(Record("Key"), record);
            DeleteFileA(Path(c.recorded).c_str());
            if (checked) DeleteFileA((Path("chosen\\") + c.name).c_str());
        }
    }
}

// A recorded value that is not a full path equal to its own resolution names a file only
// relative to wherever the launcher runs: no record. The file it would name survives, and the
// key is rewritten (checked) or erased (unchecked).
TEST_F(InstallRunTest, RecordedValuesThatAreNoFullPathAreNeverDeleted) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "new"));
    ASSERT_TRUE(WriteFileAt(Path("cwd\\GAME.DAT"), 50, "theirs"));
    ASSERT_TRUE(WriteFileAt(Path("cwd\\old\\GAME.DAT"), 50, "theirs"));
    const std::string cwd = Path("cwd\\");
    const std::string drive = cwd.substr(0, 2);
    const std::string rooted = cwd.substr(2) + "GAME.DAT";  // "\...\cwd\GAME.DAT"
    char previous[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, previous), 0U);
    ASSERT_TRUE(SetCurrentDirectoryA(cwd.c_str()));
    const std::string values[] = {
        "GAME.DAT",          drive + "GAME.DAT",        rooted,
        "old\\..\\GAME.DAT", cwd + "old\\..\\GAME.DAT", cwd + "old\\\\GAME.DAT",
        ".\\GAME.DAT",
    };
    for (const std::string& value : values) {
        for (const int checked : {1, 0}) {
            SCOPED_TRACE(value + (checked ? " checked" : " unchecked"));
            SetRecord("GameDat", value);
            const ComponentGroup group = Group({{"GAME.DAT", "GameDat"}});
            EXPECT_EQ(Run({{&group, checked}}, Path("chosen\\")), 1);
            EXPECT_TRUE(Exists("cwd\\GAME.DAT"));
            EXPECT_TRUE(Exists("cwd\\old\\GAME.DAT"));
            EXPECT_EQ(Record("GameDat"), checked ? Path("chosen\\GAME.DAT") : "");
        }
    }
    SetCurrentDirectoryA(previous);
}

TEST_F(InstallRunTest, UncheckedRowDeletesOnlyOurCopyInTheChosenFolder) {
    struct Case {
        const char* what;
        long long time;  // of chosen\OPT.DAT; the source has 100
        bool recorded;   // chosen\OPT.DAT is the recorded copy
        bool sourcePresent;
        bool deleted;
        const char* fileSystem = "NTFS";  // of the chosen folder's volume
    };
    const Case cases[] = {
        {"the source's last-write time", 100, false, true, true},
        {"a user's file of the same name", 50, false, true, false},
        {"a second later", 101, false, true, false},
        {"a second later on FAT, which keeps two seconds", 101, false, true, true, "FAT32"},
        {"three seconds later on FAT", 103, false, true, false, "FAT"},
        {"a second later on exFAT", 101, false, true, false, "exFAT"},
        {"the recorded copy, another time", 50, true, true, true},
        {"no source to compare with", 100, false, false, false},
    };
    const ComponentGroup optional = Group({{"OPT.DAT", "OptDat"}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_fileSystem = c.fileSystem;
        DeleteFileA(Path("src\\OPT.DAT").c_str());
        if (c.sourcePresent) {
            ASSERT_TRUE(WriteFileAt(Path("src\\OPT.DAT"), 100, "optional"));
        }
        ASSERT_TRUE(WriteFileAt(Path("chosen\\OPT.DAT"), c.time, "mine"));
        SetRecord("OptDat", c.recorded ? Path("chosen\\OPT.DAT") : "");

        EXPECT_EQ(Run({{&optional, 0}}, Path("chosen\\")), 1);

        EXPECT_EQ(Exists("chosen\\OPT.DAT"), !c.deleted);
        EXPECT_EQ(Record("OptDat"), "");
    }
}

// A full path that another build, another program or a hand-edited file spelled another way
// (drive letter or folder in lower case, slashes, trailing dots or spaces) is still the record
// of its copy: an install elsewhere deletes the old copy and an unticked row removes it. The
// script's name may end in a dot too ("OLD.DAT." names OLD.DAT).
TEST_F(InstallRunTest, RecordsSpelledAnotherWayStillNameTheirCopy) {
    const std::string old = Path("old\\GAME.DAT");
    std::string lowerDrive = old;
    lowerDrive[0] = static_cast<char>(lowerDrive[0] - 'A' + 'a');
    std::string slashes = old;
    for (std::size_t i = 3; i < slashes.size(); ++i) {
        if (slashes[i] == '\\') slashes[i] = '/';
    }
    std::string lowerFolder = Path("OLD\\game.dat");
    struct Case {
        std::string what;
        const char* name;  // in the script
        std::string recorded;
        const char* copy;  // the old copy the record names
    };
    const Case cases[] = {
        {"lower-case drive", "GAME.DAT", lowerDrive, "old\\GAME.DAT"},
        {"slashes", "GAME.DAT", slashes, "old\\GAME.DAT"},
        {"trailing dot", "GAME.DAT", old + ".", "old\\GAME.DAT"},
        {"trailing dots and spaces", "GAME.DAT", old + ". .", "old\\GAME.DAT"},
        {"other case", "GAME.DAT", lowerFolder, "old\\GAME.DAT"},
        {"script name with a trailing dot", "OLD.DAT.", Path("old\\OLD.DAT"), "old\\OLD.DAT"},
    };
    for (const Case& c : cases) {
        for (const int checked : {1, 0}) {
            SCOPED_TRACE(c.what + (checked ? " checked" : " unchecked"));
            ASSERT_TRUE(WriteFileAt(Path("src\\") + c.name, 100, "new"));
            ASSERT_TRUE(WriteFileAt(Path(c.copy), 100, "old"));
            SetRecord("Key", c.recorded);
            const ComponentGroup group = Group({{c.name, "Key"}});

            EXPECT_EQ(Run({{&group, checked}}, Path("chosen\\")), 1);

            EXPECT_FALSE(Exists(c.copy));
            // Recorded by its resolution, which drops the name's trailing dot.
            std::string copied = Path(std::string("chosen\\") + c.name);
            if (copied.back() == '.') copied.pop_back();
            EXPECT_EQ(Record("Key"), checked ? copied : "");
            EXPECT_TRUE(m_prompts.informed.empty());
            DeleteFileA(Path(std::string("chosen\\") + c.name).c_str());
        }
    }
}

// An unticked row's recorded copy that cannot be deleted keeps its record, so that removal
// still knows it, and the run names it in its one warning.
TEST_F(InstallRunTest, UncheckedCopyThatCannotBeDeletedKeepsItsRecordAndIsNamed) {
    ASSERT_TRUE(WriteFileAt(Path("src\\OPT.DAT"), 100, "optional"));
    ASSERT_TRUE(WriteFileAt(Path("src\\MORE.DAT"), 100, "more"));
    ASSERT_TRUE(WriteFileAt(Path("old\\OPT.DAT"), 100, "old"));
    ASSERT_TRUE(WriteFileAt(Path("old\\MORE.DAT"), 100, "old"));
    ASSERT_TRUE(SetFileAttributesA(Path("old\\OPT.DAT").c_str(), FILE_ATTRIBUTE_READONLY));
    SetRecord("OptDat", Path("old\\OPT.DAT"));
    SetRecord("More", Path("old\\MORE.DAT"));
    const ComponentGroup optional = Group({{"OPT.DAT", "OptDat"}, {"MORE.DAT", "More"}});

    const int result = Run({{&optional, 0}}, Path("chosen\\"));
    SetFileAttributesA(Path("old\\OPT.DAT").c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(result, 1);
    EXPECT_TRUE(Exists("old\\OPT.DAT"));
    EXPECT_EQ(Record("OptDat"), Path("old\\OPT.DAT"));
    EXPECT_FALSE(Exists("old\\MORE.DAT"));
    EXPECT_EQ(Record("More"), "");
    EXPECT_EQ(m_prompts.informed,
              std::vector<Prompt>(
                  {{"These files could not be deleted and stay installed:\n" + Path("old\\OPT.DAT"),
                    "PUZZLE"}}));
}

// A ticked row whose earlier copy (in another folder) cannot be deleted is installed anew and
// recorded there; the old copy, which then has no record, is named in the run's one warning
// so that the player learns it stays.
TEST_F(InstallRunTest, OldCopyThatCannotBeDeletedIsNamedWhenItsRecordMoves) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "new"));
    ASSERT_TRUE(WriteFileAt(Path("old\\GAME.DAT"), 50, "old"));
    ASSERT_TRUE(SetFileAttributesA(Path("old\\GAME.DAT").c_str(), FILE_ATTRIBUTE_READONLY));
    SetRecord("Game", Path("old\\GAME.DAT"));
    const ComponentGroup required = Group({{"GAME.DAT", "Game"}});

    const int result = Run({{&required, 1}}, Path("chosen\\"));
    SetFileAttributesA(Path("old\\GAME.DAT").c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(ReadWholeFile(Path("chosen\\GAME.DAT")), "new");
    EXPECT_EQ(Record("Game"), Path("chosen\\GAME.DAT"));
    EXPECT_EQ(ReadWholeFile(Path("old\\GAME.DAT")), "old");
    EXPECT_EQ(m_prompts.informed,
              std::vector<Prompt>({{"These files could not be deleted and stay installed:\n" +
                                        Path("old\\GAME.DAT"),
                                    "PUZZLE"}}));
}

// Other spellings of path that name the same file: with the "\\?\" prefix, and under Wine the
// Z: drive's spelling of its host path.
std::vector<std::string> OtherSpellings(const std::string& path) {
    std::vector<std::string> spellings{"\\\\?\\" + path};
    using UnixName = char*(CDECL*)(const WCHAR*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName != nullptr) {
        WCHAR wide[MAX_PATH];
        if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) > 0) {
            if (char* name = unixName(wide)) {
                std::string z = std::string("Z:") + name;
                HeapFree(GetProcessHeap(), 0, name);
                for (char& c : z) {
                    if (c == '/') c = '\\';
                }
                if (z.size() < static_cast<std::size_t>(kPathSize)) spellings.push_back(z);
            }
        }
    }
    return spellings;
}

TEST_F(InstallRunTest, SourceFilesAreKnownByIdentityWhateverTheSpelling) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100, "game"));
    ASSERT_TRUE(WriteFileAt(Path("src\\OPT.DAT"), 100, "optional"));
    const ComponentGroup game = Group({{"GAME.DAT", "GameDat"}});
    const ComponentGroup optional = Group({{"OPT.DAT", "OptDat"}});
    const std::vector<std::string> sources = OtherSpellings(Path("src\\OPT.DAT"));
    const std::vector<std::string> folders = OtherSpellings(Path("src\\"));
    ASSERT_EQ(sources.size(), folders.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(sources[i]);
        // A record naming a source file, and the proposed folder being the disc.
        SetRecord("OptDat", sources[i]);
        std::strcpy(m_paths.destFolder, folders[i].c_str());
        m_prompts = RecordedPrompts();
        EXPECT_EQ(Run({{&game, 1}, {&optional, 0}}, Path("chosen\\")), 1);
        EXPECT_EQ(ReadWholeFile(Path("src\\OPT.DAT")), "optional");
        EXPECT_EQ(ReadWholeFile(Path("src\\GAME.DAT")), "game");
        EXPECT_EQ(Record("OptDat"), "");

        // The disc as the destination, unticked: refused as the source folder.
        m_prompts = RecordedPrompts();
        EXPECT_EQ(Run({{&optional, 0}}, folders[i]), 0);
        EXPECT_EQ(m_prompts.reported,
                  std::vector<Prompt>(
                      {{"The destination folder is the same as the source folder.", "PUZZLE"}}));
        EXPECT_EQ(ReadWholeFile(Path("src\\OPT.DAT")), "optional");
    }
}

TEST_F(InstallRunTest, RowWithoutItsGroupEndsTheRunSilently) {
    ASSERT_TRUE(WriteFileAt(Path("src\\A.DAT"), 100, "a"));
    const ComponentGroup group = Group({{"A.DAT", "A"}});
    EXPECT_EQ(Run({{&group, 1}, {nullptr, 1}}, Path("chosen\\")), 0);
    EXPECT_EQ(Record("A"), Path("chosen\\A.DAT"));
    EXPECT_TRUE(m_prompts.reported.empty());
}

}  // namespace
