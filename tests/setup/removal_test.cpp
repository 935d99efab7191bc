// Removal on real files under a temporary folder: which recorded copies go and which stay (and
// why), the records it erases, the folders it removes, and what it asks and tells.
#include "setup/removal.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/setup/product_fixture.h"

namespace {

BOOL WINAPI FailAsInUse(LPCSTR) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
}

// Makes folder link (not yet there) a junction to the existing folder target; false when this
// system cannot.
bool MakeJunction(const std::string& link, const std::string& target) {
    if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
    const HANDLE handle =
        CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    // The mount-point reparse buffer: the substitute name "\??\<target>" and an empty print
    // name, both in UTF-16.
    std::wstring substitute = L"\\??\\";
    for (const char c : target) substitute += static_cast<wchar_t>(static_cast<unsigned char>(c));
    const std::size_t nameBytes = substitute.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(8 + 8 + nameBytes + 2 * sizeof(wchar_t), 0);
    const auto put16 = [&](std::size_t at, std::size_t value) {
        buffer[at] = static_cast<unsigned char>(value & 0xFF);
        buffer[at + 1] = static_cast<unsigned char>(value >> 8);
    };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    for (int i = 0; i < 4; ++i)
        buffer[static_cast<std::size_t>(i)] = static_cast<unsigned char>(tag >> (8 * i));
    put16(4, buffer.size() - 8);             // data length
    put16(8, 0);                             // substitute name offset
    put16(10, nameBytes);                    // substitute name length
    put16(12, nameBytes + sizeof(wchar_t));  // print name offset
    put16(14, 0);                            // print name length
    std::memcpy(buffer.data() + 16, substitute.data(), nameBytes);
    DWORD returned = 0;
    const BOOL made =
        DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(),
                        static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    CloseHandle(handle);
    return made && (GetFileAttributesA(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
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
    enum Expect {
        kDeleted,        // the copy and its record go
        kRecordErased,   // no copy: only its record goes
        kKept,           // the copy and its record stay (a later removal can finish)
        kKeptForgotten,  // the copy stays as the player's, its record goes
        kNoRecord,       // no record: nothing installed, nothing touched
    };
    struct Case {
        const char* what;
        const char* name;      // in the script; its source is src\<name> at time 100
        const char* recorded;  // relative to the temp folder; "=" prefix: taken as it stands
        const char* copy;      // a file written there at copyTime, or null
        long long copyTime;
        bool readOnly;
        bool heldOpen;  // open without sharing, as a running game holds it
        DeleteFileFn deleteFile;
        Expect expect;
        bool asked;          // something could be deleted, so the question came
        const char* reason;  // in the result, for kKept and kKeptForgotten
    };
    const char* changed = KeptReasonText(KeptReason::kChanged);
    const char* inUse = KeptReasonText(KeptReason::kInUse);
    const char* notOurs = KeptReasonText(KeptReason::kNotOurs);
    const Case cases[] = {
        {"ours", "GAME.DAT", "dest\\GAME.DAT", "dest\\GAME.DAT", 100, false, false, DeleteFileA,
         kDeleted, true, ""},
        {"changed by the player", "GAME.DAT", "dest\\GAME.DAT", "dest\\GAME.DAT", 500, false, false,
         DeleteFileA, kKeptForgotten, false, changed},
        {"missing", "GAME.DAT", "dest\\GAME.DAT", nullptr, 0, false, false, DeleteFileA,
         kRecordErased, false, ""},
        {"in use (delete refused)", "GAME.DAT", "dest\\GAME.DAT", "dest\\GAME.DAT", 100, false,
         false, FailAsInUse, kKept, true, inUse},
        {"in use (held open by the game)", "GAME.DAT", "dest\\GAME.DAT", "dest\\GAME.DAT", 100,
         false, true, DeleteFileA, kKept, true, inUse},
        {"read-only", "GAME.DAT", "dest\\GAME.DAT", "dest\\GAME.DAT", 100, true, false, DeleteFileA,
         kKept, true, KeptReasonText(KeptReason::kNotDeleted)},
        {"record not a full path", "GAME.DAT", "=GAME.DAT", "dest\\GAME.DAT", 100, false, false,
         DeleteFileA, kNoRecord, false, ""},
        {"record with dots", "GAME.DAT", "dest\\x\\..\\GAME.DAT", "dest\\GAME.DAT", 100, false,
         false, DeleteFileA, kNoRecord, false, ""},
        {"record names another file", "GAME.DAT", "dest\\SAVE.DAT", "dest\\SAVE.DAT", 100, false,
         false, DeleteFileA, kKept, false, notOurs},
        {"record names the source", "GAME.DAT", "src\\GAME.DAT", nullptr, 0, false, false,
         DeleteFileA, kKept, false, notOurs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        WriteScript({{c.name, "Game"}});
        ASSERT_TRUE(WriteFileAt(Path(std::string("src\\") + c.name), 100, "source"));
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.copy != nullptr) {
            ASSERT_TRUE(WriteFileAt(Path(c.copy), c.copyTime, "copy"));
            if (c.readOnly) SetFileAttributesA(Path(c.copy).c_str(), FILE_ATTRIBUTE_READONLY);
            if (c.heldOpen) {
                held = CreateFileA(Path(c.copy).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                   nullptr);
                ASSERT_NE(held, INVALID_HANDLE_VALUE);
            }
        }
        const std::string recorded =
            c.recorded[0] == '=' ? std::string(c.recorded + 1) : Path(c.recorded);
        SetRecord("Game", recorded);
        SetRecord("ShowStartupAgain", "0");

        const RemovalOutcome outcome = Remove(c.deleteFile);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);

        if (c.expect == kNoRecord) {
            // A value that is no record names no copy: nothing is installed, nothing touched.
            EXPECT_FALSE(outcome.installed);
            EXPECT_TRUE(Exists(c.copy));
            EXPECT_EQ(Record("Game"), recorded);
            EXPECT_EQ(Record("ShowStartupAgain"), "0");
            continue;
        }
        EXPECT_TRUE(outcome.installed);
        EXPECT_EQ(outcome.confirmed, c.asked);
        EXPECT_EQ(m_prompts.asked.size(), c.asked ? 1u : 0u);
        ASSERT_EQ(m_prompts.told.size(), 1u);
        const std::string& result = m_prompts.told[0].first;
        EXPECT_TRUE(Exists(std::string("src\\") + c.name));
        EXPECT_EQ(outcome.notErased, 0);
        if (c.expect == kKept || c.expect == kKeptForgotten) {
            EXPECT_EQ(outcome.removed, 0);
            if (c.copy != nullptr) {
                EXPECT_TRUE(Exists(c.copy));
            }
            EXPECT_NE(result.find(recorded + " (" + c.reason + ")"), std::string::npos) << result;
            if (c.expect == kKept) {
                EXPECT_EQ(Record("Game"), recorded);
                EXPECT_EQ(Record("ShowStartupAgain"), "0");
            } else {
                EXPECT_EQ(Record("Game"), "");
                EXPECT_EQ(Record("ShowStartupAgain"), "");
            }
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

// A kept changed file is the player's now: the next removal finds nothing of the product and
// asks nothing, where it once asked again and again and removed nothing.
TEST_F(RemovalTest, AKeptChangedFileIsNotAskedAboutAgain) {
    WriteScript({{"GAME.DAT", "Game"}, {"MUSIC\\A.MID", "Music"}});
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("src\\MUSIC\\A.MID"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\MUSIC\\A.MID"), 300));
    SetRecord("Game", Path("dest\\GAME.DAT"));
    SetRecord("Music", Path("dest\\MUSIC\\A.MID"));

    EXPECT_EQ(Remove().removed, 1);
    EXPECT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_TRUE(Exists("dest\\MUSIC\\A.MID"));
    EXPECT_EQ(Record("Music"), "");

    m_prompts = RecordedPrompts();
    const RemovalOutcome again = Remove();
    EXPECT_FALSE(again.installed);
    EXPECT_TRUE(m_prompts.asked.empty());
    EXPECT_EQ(m_prompts.told,
              std::vector<Prompt>({{"PUZZLE is not installed on this computer.", "PUZZLE"}}));
    EXPECT_TRUE(Exists("dest\\MUSIC\\A.MID"));
}

// A record that cannot be erased (the shared file cannot be written) is said in the result and
// its deleted file counted apart.
TEST_F(RemovalTest, RecordsThatCannotBeErasedAreSaid) {
    WriteScript({{"GAME.DAT", "Game"}, {"LEVEL.DAT", "Level"}});
    for (const char* name : {"GAME.DAT", "LEVEL.DAT"}) {
        ASSERT_TRUE(WriteFileAt(Path(std::string("src\\") + name), 100));
        ASSERT_TRUE(WriteFileAt(Path(std::string("dest\\") + name), 100));
    }
    SetRecord("Game", Path("dest\\GAME.DAT"));
    SetRecord("Level", Path("dest\\LEVEL.DAT"));
    // Held open for reading only, as another program may hold it: the profile functions read
    // it but cannot write it. (A read-only shared file would do on Windows; under Wine as root
    // it is written anyway.)
    const HANDLE held = CreateFileA(Shared().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const RemovalOutcome outcome = Remove();
    CloseHandle(held);

    EXPECT_EQ(outcome.removed, 0);
    EXPECT_EQ(outcome.notErased, 2);
    EXPECT_FALSE(Exists("dest\\GAME.DAT"));
    EXPECT_EQ(Record("Game"), Path("dest\\GAME.DAT"));
    ASSERT_EQ(m_prompts.told.size(), 1u);
    EXPECT_NE(m_prompts.told[0].first.find("2 records could not be erased from " + Shared()),
              std::string::npos)
        << m_prompts.told[0].first;
}

// Copies recorded under a drive path and under its "\\?\" spelling: the clean-up ends (it once
// walked up to "\" and pushed it for ever), the question names both folders, and no folder
// above the product's folder goes.
TEST_F(RemovalTest, CopiesUnderTwoSpellingsOfTheVolumeEndAndStayInTheProductsFolder) {
    WriteScript({{"A.DAT", "A"}, {"DATA\\B.DAT", "B"}});
    ASSERT_TRUE(WriteFileAt(Path("src\\A.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("src\\DATA\\B.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("games\\x\\A.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("games\\x\\DATA\\B.DAT"), 100));
    const std::string longForm = "\\\\?\\" + Path("games\\x\\DATA\\B.DAT");
    SetRecord("A", Path("games\\x\\A.DAT"));
    SetRecord("B", longForm);

    const RemovalOutcome outcome = Remove();

    EXPECT_EQ(outcome.removed, 2);
    ASSERT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_NE(m_prompts.asked[0].first.find("Its files in " + Path("games\\x\\") + " and \\\\?\\" +
                                            Path("games\\x\\DATA\\") + " will be deleted"),
              std::string::npos)
        << m_prompts.asked[0].first;
    EXPECT_FALSE(Exists("games\\x"));
    EXPECT_TRUE(Exists("games"));
}

// Copies on two drives (a second drive letter for a folder, as SUBST makes one): each drive's
// emptied folders go up to the product's folder there, never the folder above it on either
// drive, and the question names both folders.
TEST_F(RemovalTest, CopiesOnTwoDrivesEachStayInTheProductsFolderThere) {
    ASSERT_TRUE(CreateDirectoryA(Path("second").c_str(), nullptr));
    const char* drive = "Q:";
    if (!DefineDosDeviceA(0, drive, Path("second").c_str())) {
        GTEST_SKIP() << "this system cannot give a folder a drive letter";
    }
    if (GetFileAttributesA("Q:\\games") == INVALID_FILE_ATTRIBUTES &&
        (!CreateDirectoryA("Q:\\games", nullptr) || !Exists("second\\games"))) {
        // Wine (8.0) defines the letter but opens no file through it.
        DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive, nullptr);
        GTEST_SKIP() << "this system gives a folder a drive letter but opens nothing through it";
    }
    WriteScript({{"A.DAT", "A"}, {"DATA\\B.DAT", "B"}});
    ASSERT_TRUE(WriteFileAt(Path("src\\A.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("src\\DATA\\B.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("games\\x\\A.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("second\\games\\x\\DATA\\B.DAT"), 100));
    SetRecord("A", Path("games\\x\\A.DAT"));
    SetRecord("B", "Q:\\games\\x\\DATA\\B.DAT");

    const RemovalOutcome outcome = Remove();
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive, nullptr);

    EXPECT_EQ(outcome.removed, 2);
    ASSERT_EQ(m_prompts.asked.size(), 1u);
    EXPECT_NE(m_prompts.asked[0].first.find("Its files in " + Path("games\\x\\") +
                                            " and Q:\\games\\x\\DATA\\ will be deleted"),
              std::string::npos)
        << m_prompts.asked[0].first;
    EXPECT_FALSE(Exists("games\\x"));
    EXPECT_TRUE(Exists("games"));
    EXPECT_FALSE(Exists("second\\games\\x\\DATA"));
    EXPECT_TRUE(Exists("second\\games\\x"));
}

// A product's folder the player made a junction to another folder: the copies in it go, the
// link stays, whatever its target holds.
TEST_F(RemovalTest, AFolderThatIsALinkIsNeverRemoved) {
    ASSERT_TRUE(CreateDirectoryA(Path("target").c_str(), nullptr));
    if (!MakeJunction(Path("dest"), Path("target"))) {
        GTEST_SKIP() << "this system makes no junctions";
    }
    WriteScript({{"GAME.DAT", "Game"}});
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\GAME.DAT"), 100));
    SetRecord("Game", Path("dest\\GAME.DAT"));

    EXPECT_EQ(Remove().removed, 1);
    EXPECT_FALSE(Exists("target\\GAME.DAT"));
    EXPECT_TRUE(Exists("dest"));
    EXPECT_NE(GetFileAttributesA(Path("dest").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
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

// The product's name in the question and the result: ProductName of [General] when the script
// gives one, else the setup dialog's caption, else the base name.
TEST_F(RemovalTest, TheProductIsNamedByProductNameElseTheCaption) {
    struct Case {
        const char* productName;  // null: no key
        const char* caption;
        const char* expected;
    };
    const Case cases[] = {
        {"Puzzle Deluxe", "Puzzle Deluxe Setup", "Puzzle Deluxe"},
        {"", "Puzzle Deluxe Setup", "Puzzle Deluxe Setup"},
        {nullptr, "Puzzle Deluxe Setup", "Puzzle Deluxe Setup"},
        {nullptr, "", "PUZZLE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        Reset();
        WriteScript({{"GAME.DAT", "Game"}}, c.caption);
        if (c.productName != nullptr) {
            WritePrivateProfileStringA("General", "ProductName", c.productName, m_paths.scriptPath);
        }
        ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
        ASSERT_TRUE(WriteFileAt(Path("dest\\GAME.DAT"), 100));
        SetRecord("Game", Path("dest\\GAME.DAT"));

        Remove();

        ASSERT_EQ(m_prompts.asked.size(), 1u);
        EXPECT_EQ(m_prompts.asked[0].second, c.expected);
        EXPECT_EQ(m_prompts.asked[0].first.rfind(
                      std::string("Remove ") + c.expected + " from this computer?", 0),
                  0u);
        ASSERT_EQ(m_prompts.told.size(), 1u);
        EXPECT_EQ(m_prompts.told[0].first,
                  std::string("1 file of ") + c.expected + " was removed.");
    }
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
