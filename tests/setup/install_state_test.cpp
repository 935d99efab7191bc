#include "setup/install_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/setup/product_fixture.h"

namespace {

// Product PUZZLE with the proposed destination dest\.
class InstallState : public ProductTest {
protected:
    InstallState() : ProductTest("dest\\") {}

    void SetUp() override {
        g_fileSystem = "NTFS";
        ProductTest::SetUp();
    }

    void WriteScript(const char* text) {
        const std::string path = m_paths.scriptPath;
        HANDLE file =
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
        CloseHandle(file);
    }
    int Check(const char* name, const char* key) {
        return IsInstalledFileCurrent(m_paths, name, key, FakeFileSystem);
    }
};

TEST_F(InstallState, RecordedAndCurrent) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("elsewhere\\GAME.DAT"), 100));
    SetRecord("GameDat", Path("elsewhere\\GAME.DAT"));
    EXPECT_EQ(Check("GAME.DAT", "GameDat"), 1);
    EXPECT_EQ(Record("GameDat"), Path("elsewhere\\GAME.DAT"));
}

TEST_F(InstallState, StaleOrMissingRecordIsErased) {
    struct Case {
        const char* what;
        bool source;
        bool copy;
        long long copyTime;
        bool heldOpen;
    };
    const Case cases[] = {
        {"copy older", true, true, 99, false},          {"copy newer", true, true, 101, false},
        {"copy missing", true, false, 100, false},      {"source missing", false, true, 100, false},
        {"copy open elsewhere", true, true, 100, true},
    };
    for (const Case& c : cases) {
        const std::string source = Path("src\\MUSIC\\THEME.MID");
        const std::string copy = Path("dest\\MUSIC\\THEME.MID");
        DeleteFileA(source.c_str());
        DeleteFileA(copy.c_str());
        if (c.source) {
            ASSERT_TRUE(WriteFileAt(source, 100));
        }
        if (c.copy) {
            ASSERT_TRUE(WriteFileAt(copy, c.copyTime));
        }
        SetRecord("Theme", copy);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.heldOpen) {
            held = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr);
        }
        EXPECT_EQ(Check("MUSIC\\THEME.MID", "Theme"), 0) << c.what;
        EXPECT_EQ(Record("Theme"), "") << c.what;
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    }
}

// A full path spelled another way (lower-case drive, slashes after the root, other case, a
// trailing dot) is a record: its current copy counts and the record stays.
TEST_F(InstallState, RecordsSpelledAnotherWayAreKept) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("elsewhere\\GAME.DAT"), 100));
    std::string value = Path("ELSEWHERE/game.dat.");
    value[0] = static_cast<char>(value[0] - 'A' + 'a');
    SetRecord("GameDat", value);
    EXPECT_EQ(Check("GAME.DAT", "GameDat"), 1);
    EXPECT_EQ(Record("GameDat"), value);
}

// Only a full path equal to its own resolution (up to case, slashes and trailing dots or
// spaces) is a record. Any other value is forgotten like a missing copy, without resolving it
// against the current folder, where a current copy lies; the next test adopts the copy in the
// proposed destination as the record.
TEST_F(InstallState, RecordedValuesThatAreNoFullPathAreForgotten) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("cwd\\GAME.DAT"), 100));
    const std::string cwd = Path("cwd\\");
    char previous[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, previous), 0U);
    ASSERT_TRUE(SetCurrentDirectoryA(cwd.c_str()));
    const std::string values[] = {
        "GAME.DAT",
        cwd.substr(0, 2) + "GAME.DAT",
        cwd.substr(2) + "GAME.DAT",
        cwd + ".\\GAME.DAT",
        cwd + "x\\..\\GAME.DAT",
        cwd.substr(0, 2) + "/" + cwd.substr(3) + "GAME.DAT",
    };
    for (const std::string& value : values) {
        SCOPED_TRACE(value);
        SetRecord("GameDat", value);
        EXPECT_EQ(Check("GAME.DAT", "GameDat"), 0);
        EXPECT_EQ(Record("GameDat"), "");
    }
    SetCurrentDirectoryA(previous);
    ASSERT_TRUE(WriteFileAt(Path("dest\\GAME.DAT"), 100));
    SetRecord("GameDat", "GAME.DAT");
    EXPECT_EQ(Check("GAME.DAT", "GameDat"), 0);
    EXPECT_EQ(Check("GAME.DAT", "GameDat"), 1);
    EXPECT_EQ(Record("GameDat"), Path("dest\\GAME.DAT"));
}

TEST_F(InstallState, CopyInProposedDestinationIsAdopted) {
    ASSERT_TRUE(WriteFileAt(Path("src\\DATA\\LEVEL1.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\DATA\\LEVEL1.DAT"), 100));
    EXPECT_EQ(Check("DATA\\LEVEL1.DAT", "Level1"), 1);
    EXPECT_EQ(Record("Level1"), Path("dest\\DATA\\LEVEL1.DAT"));
}

TEST_F(InstallState, NothingFoundWritesNothing) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    // A stale copy in the destination, and a current one in a folder nobody looks at.
    ASSERT_TRUE(WriteFileAt(Path("dest\\GAME.DAT"), 102));
    ASSERT_TRUE(WriteFileAt(Path("moved\\GAME.DAT"), 100));
    EXPECT_EQ(Check("GAME.DAT", "GameDat"), 0);
    EXPECT_EQ(Check("NOSUCH.DAT", "Missing"), 0);
    EXPECT_EQ(ReadWholeFile(Shared()), "<missing>");
}

// The copy's write time lies offset (in 100 ns units) from the source's.
TEST_F(InstallState, CoarseVolumesKeepTimesApproximately) {
    constexpr long long kSecond = 10000000;
    constexpr long long kTenMs = kSecond / 100;
    struct Case {
        const char* fileSystem;
        long long offset;
        int current;
    };
    const Case cases[] = {
        {"FAT32", kSecond, 1},    {"FAT", -kSecond, 1},
        {"fat32", kSecond, 1},    {"FAT32", 2 * kSecond, 0},
        {"NTFS", kSecond, 0},     {"exFAT", kSecond, 0},
        {"exFAT", kTenMs - 1, 1}, {"EXFAT", -(kTenMs - 1), 1},
        {"exFAT", kTenMs, 0},     {"NTFS", 1, 0},
    };
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    const FILETIME base = TimeAt(100);
    const long long baseTicks = static_cast<long long>(
        (static_cast<unsigned long long>(base.dwHighDateTime) << 32) | base.dwLowDateTime);
    for (const Case& c : cases) {
        g_fileSystem = c.fileSystem;
        const std::string copy = Path("dest\\GAME.DAT");
        ASSERT_TRUE(WriteFileAt(copy, 100));
        const auto ticks = static_cast<unsigned long long>(baseTicks + c.offset);
        const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        HANDLE file =
            CreateFileA(copy.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
        CloseHandle(file);
        EXPECT_EQ(Check("GAME.DAT", "GameDat"), c.current) << c.fileSystem << " " << c.offset;
        EXPECT_EQ(Record("GameDat"), c.current ? copy : "") << c.fileSystem << " " << c.offset;
    }
    // The comparison itself stays exact.
    EXPECT_NE(
        CompareFileWriteTimes((Path("src\\GAME.DAT")).c_str(), (Path("dest\\GAME.DAT")).c_str()),
        0);
}

TEST(QueryVolumeFileSystem, NamesTheTempVolume) {
    TempFolder temp;
    char name[MAX_PATH + 1] = "";
    ASSERT_EQ(QueryVolumeFileSystem((temp / "file.dat").c_str(), name, sizeof name), 1);
    EXPECT_STRNE(name, "");
}

// The root that stands in for the volume's where the platform cannot name mount points.
TEST(QueryVolumeFileSystem, DriveRootOfAPath) {
    char drive[MAX_PATH];
    ASSERT_GT(GetFullPathNameA("\\", sizeof drive, drive, nullptr), 0u);  // the current drive
    const struct {
        const char* path;
        const char* root;  // nullptr: no root
    } cases[] = {
        {"C:\\GAMES\\PUZZLE\\GAME.DAT", "C:\\"},
        {"d:\\", "d:\\"},
        {"\\\\server\\share\\GAMES\\GAME.DAT", "\\\\server\\share\\"},
        {"\\\\server\\share", "\\\\server\\share\\"},
        {"\\\\server", nullptr},
        {"\\\\server\\", nullptr},
        {"\\GAMES\\GAME.DAT", drive},
    };
    for (const auto& c : cases) {
        char root[MAX_PATH] = "unchanged";
        EXPECT_EQ(GetPathDriveRoot(c.path, root, sizeof root), c.root != nullptr ? 1 : 0) << c.path;
        if (c.root != nullptr) {
            EXPECT_STREQ(root, c.root) << c.path;
        }
    }
    char small[4];
    EXPECT_EQ(GetPathDriveRoot("C:\\GAMES", small, sizeof small), 1);
    EXPECT_EQ(GetPathDriveRoot("\\\\server\\share\\X", small, sizeof small), 0);

    // Where nothing is mounted on a folder, as in the temp folder here, the root names the
    // same file system as the platform's own volume root.
    TempFolder temp;
    char viaPlatform[MAX_PATH + 1] = "";
    ASSERT_EQ(QueryVolumeFileSystem((temp / "file.dat").c_str(), viaPlatform, sizeof viaPlatform),
              1);
    char root[MAX_PATH];
    ASSERT_EQ(GetPathDriveRoot((temp / "file.dat").c_str(), root, sizeof root), 1);
    char viaRoot[MAX_PATH + 1] = "";
    ASSERT_TRUE(GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, viaRoot,
                                      sizeof viaRoot));
    EXPECT_STREQ(viaRoot, viaPlatform);
}

TEST_F(InstallState, UnsafeNamesAreNeverAdopted) {
    // src\inner\ and dest\inner\ are the folders; "..\X" would reach src\X and dest\X, both
    // present with equal times.
    ASSERT_TRUE(SetPaths(m_paths, "src\\inner\\", "dest\\inner\\", "PUZZLE"));
    ASSERT_TRUE(WriteFileAt(Path("src\\X"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\X"), 100));
    const std::string absolute = Path("dest\\X");
    const std::string rooted = absolute.substr(2);
    // A name Windows reads as another file: dest\inner\X by the dot component.
    ASSERT_TRUE(WriteFileAt(Path("src\\inner\\X"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\inner\\X"), 100));
    const char* names[] = {"..\\X",
                           "inner\\..\\..\\X",
                           "../X",
                           "..",
                           absolute.c_str(),
                           rooted.c_str(),
                           "\\\\server\\share\\X",
                           "C:X",
                           ".\\X",
                           "X:stream",
                           "COM1.X",
                           "nul"};
    for (const char* name : names) {
        EXPECT_EQ(Check(name, "Escape"), 0) << name;
    }
    EXPECT_EQ(ReadWholeFile(Shared()), "<missing>");
    EXPECT_EQ(IsSafeRelativeName("DATA\\..LEVEL\\x..y\\.A\\A.DAT"), 1);
}

// A trailing dot or space is stripped by Windows alike on the source, the copy and the
// record: "X." names X on both sides and is adopted and recorded as X.
TEST_F(InstallState, TrailingDotsAndSpacesNameTheSameFiles) {
    ASSERT_TRUE(WriteFileAt(Path("src\\X"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\X"), 100));
    for (const char* name : {"X.", "X ", "X. ."}) {
        SCOPED_TRACE(name);
        SetRecord("Dotted", "");
        EXPECT_EQ(Check(name, "Dotted"), 1);
        EXPECT_EQ(Record("Dotted"), Path("dest\\X"));
        EXPECT_EQ(Check(name, "Dotted"), 1);
    }
}

TEST_F(InstallState, PathsThatDoNotFitWriteNothing) {
    const std::string longName = std::string(200, 'n') + "\\" + std::string(60, 'm');
    EXPECT_EQ(Check(longName.c_str(), "Long"), 0);
    EXPECT_EQ(ReadWholeFile(Shared()), "<missing>");

    // A recorded path longer than a path buffer holds is kept as it is, not cut and tested.
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    const std::string longRecord = "C:\\" + std::string(280, 'r');
    SetRecord("GameDat", longRecord);
    const std::string before = ReadWholeFile(Shared());
    EXPECT_EQ(Check("GAME.DAT", "GameDat"), 0);
    EXPECT_EQ(ReadWholeFile(Shared()), before);
}

TEST_F(InstallState, RequiredDecidesOptionalOnlyKeepsRecords) {
    WriteScript(
        "[Required]\r\nPC-GroupCount=2\r\n"
        "PC-Group1FileCount=1\r\nPC-Group1File1Name=GAME.DAT\r\nPC-Group1File1Key=GameDat\r\n"
        "PC-Group2FileCount=1\r\nPC-Group2File1Name=MUSIC\\THEME.MID\r\n"
        "PC-Group2File1Key=Theme\r\n"
        "PC-Group3FileCount=1\r\nPC-Group3File1Name=GAP.DAT\r\nPC-Group3File1Key=Gap\r\n"
        "[Optional]\r\nPC-GroupCount=1\r\n"
        "PC-Group1FileCount=1\r\nPC-Group1File1Name=MOVIES\\INTRO.AVI\r\n"
        "PC-Group1File1Key=Intro\r\n");
    for (const char* name : {"GAME.DAT", "MUSIC\\THEME.MID", "MOVIES\\INTRO.AVI", "GAP.DAT"}) {
        ASSERT_TRUE(WriteFileAt(Path("src\\") + name, 100));
    }
    ASSERT_TRUE(WriteFileAt(Path("dest\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\MUSIC\\THEME.MID"), 100));
    // The optional copy is stale; the group beyond the count is never read.
    ASSERT_TRUE(WriteFileAt(Path("dest\\MOVIES\\INTRO.AVI"), 50));
    ASSERT_TRUE(WriteFileAt(Path("dest\\GAP.DAT"), 100));
    SetRecord("Intro", Path("dest\\MOVIES\\INTRO.AVI"));

    EXPECT_EQ(AreRequiredInstalledFilesCurrent(m_paths, FakeFileSystem), 1);
    EXPECT_EQ(Record("GameDat"), Path("dest\\GAME.DAT"));
    EXPECT_EQ(Record("Theme"), Path("dest\\MUSIC\\THEME.MID"));
    EXPECT_EQ(Record("Intro"), "");
    EXPECT_EQ(Record("Gap"), "");

    // One stale required file: not current, and the files after it are still tested.
    ASSERT_TRUE(SetWriteTime(Path("dest\\GAME.DAT"), 101));
    ASSERT_TRUE(SetWriteTime(Path("dest\\MOVIES\\INTRO.AVI"), 100));
    EXPECT_EQ(AreRequiredInstalledFilesCurrent(m_paths, FakeFileSystem), 0);
    EXPECT_EQ(Record("GameDat"), "");
    EXPECT_EQ(Record("Intro"), Path("dest\\MOVIES\\INTRO.AVI"));
}

// A script's slashes are read as backslashes: the copy is found and recorded with backslashes.
TEST_F(InstallState, SlashesInTheScriptAreRecordedAsBackslashes) {
    WriteScript(
        "[Required]\r\nPC-GroupCount=1\r\nPC-Group1FileCount=1\r\n"
        "PC-Group1File1Name=MUSIC/THEME.MID\r\nPC-Group1File1Key=Theme\r\n");
    ASSERT_TRUE(WriteFileAt(Path("src\\MUSIC\\THEME.MID"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\MUSIC\\THEME.MID"), 100));
    EXPECT_EQ(AreRequiredInstalledFilesCurrent(m_paths, FakeFileSystem), 1);
    EXPECT_EQ(Record("Theme"), Path("dest\\MUSIC\\THEME.MID"));
}

// A key the shared file cannot give back is never written: the file is not current, and the
// shared file stays as it was, whatever copies are present.
// A key or a base name the shared file cannot hold: nothing is read or written; the file counts
// only through a current copy in the proposed destination.
TEST_F(InstallState, UnsafeKeysAndBaseNamesWriteNothing) {
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("src\\OTHER.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("elsewhere\\OTHER.DAT"), 100));
    SetRecord("A", Path("dest\\GAME.DAT"));
    const std::string before = ReadWholeFile(Shared());
    for (const char* key : {"", "A=B", "[Other]", ";Note", " A", "A ", "\tA", "A\nB"}) {
        EXPECT_EQ(Check("GAME.DAT", key), 1) << key;
        EXPECT_EQ(Check("OTHER.DAT", key), 0) << key;
        EXPECT_EQ(ReadWholeFile(Shared()), before) << key;
    }
    EXPECT_EQ(Check("GAME.DAT", "A"), 1);

    for (const char* baseName : {"PUZ]ZLE", "[PUZZLE", " PUZZLE", "PUZZLE\t", "PU\x01ZZLE"}) {
        SCOPED_TRACE(baseName);
        std::strcpy(m_paths.baseName, baseName);
        // A record some reader might find under it: never read.
        WritePrivateProfileStringA(baseName, "Other", (Path("elsewhere\\OTHER.DAT")).c_str(),
                                   Shared().c_str());
        const std::string withSection = ReadWholeFile(Shared());
        EXPECT_EQ(Check("GAME.DAT", "Game"), 1);
        EXPECT_EQ(Check("OTHER.DAT", "Other"), 0);
        EXPECT_EQ(ReadWholeFile(Shared()), withSection);
    }
}

TEST_F(InstallState, NoScriptOrNoRequiredGroupsIsCurrent) {
    EXPECT_EQ(AreRequiredInstalledFilesCurrent(m_paths, FakeFileSystem), 1);
    WriteScript("[Required]\r\nPC-GroupCount=-3\r\n[Optional]\r\nPC-GroupCount=0\r\n");
    EXPECT_EQ(AreRequiredInstalledFilesCurrent(m_paths, FakeFileSystem), 1);
    EXPECT_EQ(ReadWholeFile(Shared()), "<missing>");
}

// Huge counts are read up to the limits (1000 groups, 10000 files) and end there: groups
// without files are current; files that are not installed are not.
TEST_F(InstallState, HugeCountsAreReadUpToTheLimits) {
    WriteScript("[Required]\r\nPC-GroupCount=2147483647\r\n");
    EXPECT_EQ(AreRequiredInstalledFilesCurrent(m_paths, FakeFileSystem), 1);
    WriteScript("[Required]\r\nPC-GroupCount=1\r\nPC-Group1FileCount=2147483647\r\n");
    EXPECT_EQ(AreRequiredInstalledFilesCurrent(m_paths, FakeFileSystem), 0);
}

TEST_F(InstallState, ProductsKeepSeparateSections) {
    ProductPaths other{};
    ASSERT_TRUE(SetPaths(other, "src2\\", "dest2\\", "CHESS"));
    ASSERT_TRUE(WriteFileAt(Path("src\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("dest\\GAME.DAT"), 100));
    ASSERT_TRUE(WriteFileAt(Path("src2\\GAME.DAT"), 200));
    ASSERT_TRUE(WriteFileAt(Path("dest2\\GAME.DAT"), 200));
    EXPECT_EQ(Check("GAME.DAT", "GameDat"), 1);
    EXPECT_EQ(IsInstalledFileCurrent(other, "GAME.DAT", "GameDat", FakeFileSystem), 1);
    EXPECT_EQ(Record("GameDat", "PUZZLE"), Path("dest\\GAME.DAT"));
    EXPECT_EQ(Record("GameDat", "CHESS"), Path("dest2\\GAME.DAT"));

    // The other product's copy goes stale: only its own record goes.
    ASSERT_TRUE(SetWriteTime(Path("dest2\\GAME.DAT"), 300));
    EXPECT_EQ(IsInstalledFileCurrent(other, "GAME.DAT", "GameDat", FakeFileSystem), 0);
    EXPECT_EQ(Record("GameDat", "CHESS"), "");
    EXPECT_EQ(Record("GameDat", "puzzle"), Path("dest\\GAME.DAT"));
}

}  // namespace
