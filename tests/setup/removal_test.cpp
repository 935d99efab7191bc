// Removal on real files under a temporary folder: which recorded copies go and which stay (and
// why), the records it erases, the folders it removes, and what it asks and tells.
#include "setup/removal.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/setup/product_fixture.h"

namespace {

BOOL WINAPI FailAsInUse(LPCSTR) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
}

// Product PUZZLE with its copies under dest\.
class RemovalTest : public ProductTest {
protected:
    RemovalTest() : ProductTest("dest\\") {}

    // One Required group listing files (name, key).
    void WriteScript(const std::vector<std::pair<std::string, std::string>>& files,
                     const char* caption = "") {
        const char* script = m_paths.scriptPath;
        WritePrivateProfileStringA("General", "BasDlgTitle", caption, script);
        WritePrivateProfileStringA("Required", "PC-GroupCount", "1", script);
        WritePrivateProfileStringA("Required", "PC-Group1FileCount",
                                   std::to_string(files.size()).c_str(), script);
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string n = "PC-Group1File" + std::to_string(i + 1);
            WritePrivateProfileStringA("Required", (n + "Name").c_str(), files[i].first.c_str(),
                                       script);
            WritePrivateProfileStringA("Required", (n + "Key").c_str(), files[i].second.c_str(),
                                       script);
        }
    }
    RemovalOutcome Remove(DeleteFileFn deleteFile = DeleteFileA) {
        RemovalRequest request{&m_paths};
        request.deleteFile = deleteFile;
        return RemoveProduct(request, m_progress, nullptr, m_prompts);
    }
};

TEST_F(RemovalTest, DeletesOnlyOurCopiesByTheInstallsRules) {
    enum Expect { kDeleted, kRecordErased, kKept, kNoRecord };
    struct Case {
        const char* what;
        const char* name;      // in the script; its source is src\<name> at time 100
        const char* recorded;  // relative to the temp folder; "=" prefix: taken as it stands
        const char* copy;      // a file written there at copyTime, or null
        long long copyTime;
        bool readOnly;
        DeleteFileFn deleteFile;
        Expect expect;
        const char* reason;  // in the result, for kKept
    };
    const Case cases[] = {
        {"ours", "GAME.DAT", "dest\\GAME.DAT", "dest\\GAME.DAT", 100, false, DeleteFileA, kDeleted,
         ""},
        {"changed by the player", "GAME.DAT", "dest\\GAME.DAT", "dest\\GAME.DAT", 500, false,
         DeleteFileA, kKept, KeptReasonText(KeptReason::kChanged)},
        {"missing", "GAME.DAT", "dest\\GAME.DAT", nullptr, 0, false, DeleteFileA, kRecordErased,
         ""},
        {"in use", "GAME.DAT", "dest\\GAME.DAT", "dest\\GAME.DAT", 100, false, FailAsInUse, kKept,
         KeptReasonText(KeptReason::kInUse)},
        {"read-only", "GAME.DAT", "dest\\GAME.DAT", "dest\\GAME.DAT", 100, true, DeleteFileA, kKept,
         KeptReasonText(KeptReason::kNotDeleted)},
        {"record not a full path", "GAME.DAT", "=GAME.DAT", "dest\\GAME.DAT", 100, false,
         DeleteFileA, kNoRecord, ""},
        {"record with dots", "GAME.DAT", "dest\\x\\..\\GAME.DAT", "dest\\GAME.DAT", 100, false,
         DeleteFileA, kNoRecord, ""},
        {"record names another file", "GAME.DAT", "dest\\SAVE.DAT", "dest\\SAVE.DAT", 100, false,
         DeleteFileA, kKept, KeptReasonText(KeptReason::kNotOurs)},
        {"record names the source", "GAME.DAT", "src\\GAME.DAT", nullptr, 0, false, DeleteFileA,
         kKept, KeptReasonText(KeptReason::kNotOurs)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        WriteScript({{c.name, "Game"}});
        ASSERT_TRUE(WriteFileAt(Path(std::string("src\\") + c.name), 100, "source"));
        if (c.copy != nullptr) {
            ASSERT_TRUE(WriteFileAt(Path(c.copy), c.copyTime, "copy"));
            if (c.readOnly) SetFileAttributesA(Path(c.copy).c_str(), FILE_ATTRIBUTE_READONLY);
        }
        const std::string recorded =
            c.recorded[0] == '=' ? std::string(c.recorded + 1) : Path(c.recorded);
        SetRecord("Game", recorded);
        SetRecord("ShowStartupAgain", "0");

        const RemovalOutcome outcome = Remove(c.deleteFile);

        if (c.expect == kNoRecord) {
            // A value that is no record names no copy: nothing is installed, nothing touched.
            EXPECT_FALSE(outcome.installed);
            EXPECT_TRUE(Exists(c.copy));
            EXPECT_EQ(Record("Game"), recorded);
            EXPECT_EQ(Record("ShowStartupAgain"), "0");
            continue;
        }
        ASSERT_TRUE(outcome.confirmed);
        ASSERT_EQ(m_prompts.told.size(), 1u);
        const std::string& result = m_prompts.told[0].first;
        EXPECT_TRUE(Exists(std::string("src\\") + c.name));
        if (c.expect == kKept) {
            EXPECT_EQ(outcome.removed, 0);
            if (c.copy != nullptr) {
                EXPECT_TRUE(Exists(c.copy));
            }
            EXPECT_EQ(Record("Game"), recorded);
            EXPECT_NE(result.find(recorded + " (" + c.reason + ")"), std::string::npos) << result;
            EXPECT_EQ(Record("ShowStartupAgain"), "0");
        } else {
            EXPECT_EQ(outcome.removed, c.expect == kDeleted ? 1 : 0);
            EXPECT_TRUE(outcome.kept.empty());
            if (c.copy != nullptr) {
                EXPECT_FALSE(Exists(c.copy));
            }
            EXPECT_EQ(Record("Game"), "");
            EXPECT_EQ(Record("ShowStartupAgain"), "");
            EXPECT_EQ(result.find("kept"), std::string::npos) << result;
        }
        if (c.readOnly) SetFileAttributesA(Path(c.copy).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(RemovalTest, RemovesEmptiedFoldersUpToTheirCommonFolderAndKeepsThePlayersFiles) {
    WriteScript({{"GAME.DAT", "Game"}, {"DATA\\LEVEL.DAT", "Level"}, {"MUSIC\\A.MID", "Music"}});
    for (const char* name : {"GAME.DAT", "DATA\\LEVEL.DAT", "MUSIC\\A.MID"}) {
        ASSERT_TRUE(WriteFileAt(Path(std::string("src\\") + name), 100));
        ASSERT_TRUE(WriteFileAt(Path(std::string("games\\dest\\") + name), 100));
    }
    // The player's own file in one of the folders the copies went to.
    ASSERT_TRUE(WriteFileAt(Path("games\\dest\\MUSIC\\MINE.MID"), 300));
    SetRecord("Game", Path("games\\dest\\GAME.DAT"));
    SetRecord("Level", Path("games\\dest\\DATA\\LEVEL.DAT"));
    SetRecord("Music", Path("games\\dest\\MUSIC\\A.MID"));
    // A record under a key no group lists any more.
    SetRecord("OldKey", Path("games\\dest\\OLD.DAT"));

    const RemovalOutcome outcome = Remove();

    EXPECT_EQ(outcome.removed, 3);
    EXPECT_FALSE(Exists("games\\dest\\DATA"));
    EXPECT_TRUE(Exists("games\\dest\\MUSIC\\MINE.MID"));
    EXPECT_TRUE(Exists("games\\dest\\"));  // holds MUSIC\ still
    EXPECT_TRUE(Exists("games\\"));        // above the common folder
    EXPECT_EQ(Record("OldKey"), Path("games\\dest\\OLD.DAT"));

    // With the player's file gone too, the common folder goes, never the folder above it.
    ASSERT_TRUE(DeleteFileA(Path("games\\dest\\MUSIC\\MINE.MID").c_str()));
    ASSERT_TRUE(WriteFileAt(Path("games\\dest\\GAME.DAT"), 100));
    SetRecord("Game", Path("games\\dest\\GAME.DAT"));
    EXPECT_EQ(Remove().removed, 1);
    EXPECT_FALSE(Exists("games\\dest\\GAME.DAT"));
    EXPECT_TRUE(Exists("games\\dest\\MUSIC"));  // held no deleted copy this time
    EXPECT_TRUE(Exists("games\\"));
}

TEST_F(RemovalTest, AsksOnceNamingProductAndFolderAndNoTouchesNothing) {
    WriteScript({{"GAME.DAT", "Game"}}, "Puzzle Deluxe");
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\GAME.DAT"), 100));
    SetRecord("Game", Path("dest\\GAME.DAT"));
    SetRecord("ShowStartupAgain", "0");
    m_prompts.answers = {0};

    const RemovalOutcome outcome = Remove();

    EXPECT_TRUE(outcome.installed);
    EXPECT_FALSE(outcome.confirmed);
    ASSERT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_EQ(m_prompts.asked[0].second, "Puzzle Deluxe");
    EXPECT_NE(m_prompts.asked[0].first.find("Remove Puzzle Deluxe from this computer?"),
              std::string::npos);
    EXPECT_NE(m_prompts.asked[0].first.find(Path("dest\\")), std::string::npos);
    EXPECT_NE(m_prompts.asked[0].first.find("changed since they were installed are kept"),
              std::string::npos);
    EXPECT_TRUE(m_prompts.told.empty());
    EXPECT_TRUE(Exists("dest\\GAME.DAT"));
    EXPECT_EQ(Record("Game"), Path("dest\\GAME.DAT"));
    EXPECT_EQ(Record("ShowStartupAgain"), "0");
}

TEST_F(RemovalTest, NothingInstalledIsSaidWithoutAQuestion) {
    struct Case {
        const char* what;
        const char* name;  // in the script
        const char* key;   // in the script
        bool recorded;     // dest\GAME.DAT is recorded under "Game"
    };
    const Case cases[] = {
        {"no section", "GAME.DAT", "Game", false},
        {"record under a key no group lists", "GAME.DAT", "Other", true},
        {"name leaving the folder", "..\\dest\\GAME.DAT", "Game", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_prompts = RecordedPrompts();
        WritePrivateProfileStringA("PUZZLE", nullptr, nullptr, m_paths.sharedIniPath);
        WriteScript({{c.name, c.key}});
        ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
        ASSERT_TRUE(WriteFileAt(Path("dest\\GAME.DAT"), 100));
        if (c.recorded) SetRecord("Game", Path("dest\\GAME.DAT"));

        const RemovalOutcome outcome = Remove();

        EXPECT_FALSE(outcome.installed);
        EXPECT_TRUE(m_prompts.asked.empty());
        EXPECT_EQ(m_prompts.told,
                  std::vector<Prompt>({{"PUZZLE is not installed on this computer.", "PUZZLE"}}));
        EXPECT_TRUE(Exists("dest\\GAME.DAT"));
    }
}

}  // namespace
