#include "base/paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace {

std::string Repeat(char c, std::size_t count) { return std::string(count, c); }

// Runs fn on a kPathSize buffer holding input and returns {result, buffer}.
template <typename Fn>
std::pair<int, std::string> OnBuffer(const std::string& input, Fn fn) {
    char buffer[kPathSize];
    std::strcpy(buffer, input.c_str());
    const int result = fn(buffer);
    return {result, buffer};
}

// A path written into a kPathSize buffer, the function's result, and the buffer afterwards.
struct BufferCase {
    std::string input;
    int result;
    std::string output;
};

// Runs fn on a kPathSize buffer holding each case's input and checks result and buffer.
void ExpectBufferCases(int (*fn)(char*), const std::vector<BufferCase>& cases) {
    for (const BufferCase& c : cases) {
        const auto [result, output] = OnBuffer(c.input, fn);
        EXPECT_EQ(result, c.result) << c.input;
        EXPECT_EQ(output, c.output) << c.input;
    }
}

TEST(AddTrailingBackslash, Cases) {
    const std::string full = "C:\\" + Repeat('a', 256);  // 259 characters: no room left
    ExpectBufferCases(AddTrailingBackslash,
                      {
                          {"", 0, ""},
                          {"C:\\A", 1, "C:\\A\\"},
                          {"C:\\A\\", 1, "C:\\A\\"},
                          {"C:/A/", 1, "C:/A/\\"},
                          {full, 0, full},
                          {full.substr(0, 258), 1, full.substr(0, 258) + "\\"},
                          // Already ending in a backslash at full length: nothing to add.
                          {full.substr(0, 258) + "\\", 1, full.substr(0, 258) + "\\"},
                      });
}

TEST(RemoveTrailingBackslash, Cases) {
    ExpectBufferCases(RemoveTrailingBackslash, {
                                                   {"", 0, ""},
                                                   {"C:\\A\\\\", 1, "C:\\A\\"},
                                                   {"C:\\A", 1, "C:\\A"},
                                                   {"C:\\", 1, "C:"},
                                               });
}

TEST(SplitPath, Cases) {
    struct Case {
        const char* path;
        const char* drive;
        const char* folder;
        const char* name;
        const char* extension;
    };
    const Case cases[] = {
        {"C:\\GAMES\\PUZZLE.EXE", "C:", "\\GAMES\\", "PUZZLE", ".EXE"},
        {"D:\\PUZZLE.EXE", "D:", "\\", "PUZZLE", ".EXE"},
        {"D:\\v1.2\\GAME", "D:", "\\v1.2\\", "GAME", ""},
        {"C:/a/b.tar.gz", "C:", "/a/", "b.tar", ".gz"},
        {"C:setup.inf", "C:", "", "setup", ".inf"},
        {"setup", "", "", "setup", ""},
        {"\\\\srv\\share\\x.y", "", "\\\\srv\\share\\", "x", ".y"},
    };
    for (const Case& c : cases) {
        PathParts parts;
        ASSERT_EQ(SplitPath(&parts, c.path), 1) << c.path;
        EXPECT_STREQ(parts.drive, c.drive) << c.path;
        EXPECT_STREQ(parts.folder, c.folder) << c.path;
        EXPECT_STREQ(parts.name, c.name) << c.path;
        EXPECT_STREQ(parts.extension, c.extension) << c.path;
    }
}

TEST(JoinPath, AddsSeparatorAndDotAndRefusesOverflow) {
    char dest[kPathSize];
    ASSERT_EQ(JoinPath(dest, "C:", "\\GAMES\\", "PUZZLE", "inf"), 1);
    EXPECT_STREQ(dest, "C:\\GAMES\\PUZZLE.inf");
    ASSERT_EQ(JoinPath(dest, "C:", "\\GAMES", "PUZZLE", ".inf"), 1);
    EXPECT_STREQ(dest, "C:\\GAMES\\PUZZLE.inf");
    ASSERT_EQ(JoinPath(dest, "", "", "PUZZLE", nullptr), 1);
    EXPECT_STREQ(dest, "PUZZLE");
    const std::string folder = "\\" + Repeat('f', 250) + "\\";
    EXPECT_EQ(JoinPath(dest, "C:", folder.c_str(), "PUZZLE", "inf"), 0);
    EXPECT_STREQ(dest, "");
}

TEST(FormatPath, FitsUpTo259CharactersAndEmptiesDestBeyond) {
    char dest[kPathSize];
    const std::string name = Repeat('n', 256);
    ASSERT_EQ(FormatPath(dest, "%s%s", "C:\\", name.c_str()), 1);  // 259 characters
    EXPECT_EQ(std::string(dest), "C:\\" + name);
    EXPECT_EQ(FormatPath(dest, "%s%s.", "C:\\", name.c_str()), 0);  // 260: no room for the NUL
    EXPECT_STREQ(dest, "");
}

TEST(ReadProfilePath, TakesUpTo259CharactersAndRefusesLonger) {
    TempFolder temp;
    const std::string file = temp / "test.ini";
    const std::string fits = "C:\\" + Repeat('f', 256);  // 259 characters
    const std::string tooLong = fits + "g";
    WritePrivateProfileStringA("S", "fits", fits.c_str(), file.c_str());
    WritePrivateProfileStringA("S", "long", tooLong.c_str(), file.c_str());
    // Quoted: the reader drops the last character of a quoted value that fills its buffer, so
    // these must not come back as a cut path of 259 characters either.
    WritePrivateProfileStringA("S", "quotedFits", ("\"" + fits + "\"").c_str(), file.c_str());
    WritePrivateProfileStringA("S", "quoted260", ("\"" + tooLong + "\"").c_str(), file.c_str());
    WritePrivateProfileStringA("S", "quoted261", ("\"" + tooLong + "h\"").c_str(), file.c_str());
    char dest[kPathSize];
    ASSERT_EQ(ReadProfilePath(dest, "S", "fits", file.c_str()), 1);
    EXPECT_EQ(std::string(dest), fits);
    ASSERT_EQ(ReadProfilePath(dest, "S", "quotedFits", file.c_str()), 1);
    EXPECT_EQ(std::string(dest), fits);
    for (const char* key : {"long", "quoted260", "quoted261"}) {
        SCOPED_TRACE(key);
        std::strcpy(dest, "untouched");
        EXPECT_EQ(ReadProfilePath(dest, "S", key, file.c_str()), 0);
        EXPECT_STREQ(dest, "");
    }
    ASSERT_EQ(ReadProfilePath(dest, "S", "missing", file.c_str()), 1);
    EXPECT_STREQ(dest, "");
}

// Double-byte code pages: a character whose second byte is 0x5C (a backslash's byte) is one
// character, never a separator. Each row names a code page and one such character; the same
// bytes read in the Latin code page 1252 are two characters, the second a backslash, which
// shows that the code page handed in is the one used.
TEST(PathCharacters, TrailByteBackslashOnDoubleBytePageIsNoSeparator) {
    struct Page {
        UINT codePage;
        const char* character;  // ends in 0x5C
    };
    const Page pages[] = {
        {932, "\x95\x5C"},  // a kanji (table) in Shift-JIS
        {932, "\x83\x5C"},  // a katakana (so) in Shift-JIS
        {936, "\x81\x5C"},  // GBK
        {950, "\xB3\x5C"},  // Big5
    };
    for (const Page& page : pages) {
        SCOPED_TRACE(page.codePage);
        ASSERT_TRUE(IsValidCodePage(page.codePage));
        const std::string c = page.character;
        const std::string folder = "C:\\GAMES\\" + c;  // a folder named by the one character
        char buffer[kPathSize];

        std::strcpy(buffer, folder.c_str());
        EXPECT_EQ(AddTrailingBackslash(buffer, page.codePage), 1);
        EXPECT_EQ(std::string(buffer), folder + "\\");
        std::strcpy(buffer, folder.c_str());
        EXPECT_EQ(AddTrailingBackslash(buffer, 1252), 1);
        EXPECT_EQ(std::string(buffer), folder);

        std::strcpy(buffer, folder.c_str());
        EXPECT_EQ(RemoveTrailingBackslash(buffer, page.codePage), 1);
        EXPECT_EQ(std::string(buffer), folder);
        std::strcpy(buffer, (folder + "\\").c_str());
        EXPECT_EQ(RemoveTrailingBackslash(buffer, page.codePage), 1);
        EXPECT_EQ(std::string(buffer), folder);

        EXPECT_EQ(GetPathFolder(buffer, (folder + "\\GAME.DAT").c_str(), page.codePage), 1);
        EXPECT_EQ(std::string(buffer), folder + "\\");
        EXPECT_EQ(GetPathFolder(buffer, folder.c_str(), page.codePage), 1);
        EXPECT_STREQ(buffer, "C:\\GAMES\\");
        EXPECT_EQ(GetPathFolder(buffer, (folder + "GAME").c_str(), 1252), 1);
        EXPECT_EQ(std::string(buffer), folder);

        PathParts parts;
        ASSERT_EQ(SplitPath(&parts, (folder + "\\" + c + ".A32").c_str(), page.codePage), 1);
        EXPECT_EQ(std::string(parts.folder), "\\GAMES\\" + c + "\\");
        EXPECT_EQ(std::string(parts.name), c);
        EXPECT_STREQ(parts.extension, ".A32");

        ASSERT_EQ(JoinPath(buffer, "C:", ("\\" + c).c_str(), "A", "B", page.codePage), 1);
        EXPECT_EQ(std::string(buffer), "C:\\" + c + "\\A.B");
        // A lead byte at the very end is a character of its own.
        const std::string cut = "C:\\A" + c.substr(0, 1);
        std::strcpy(buffer, cut.c_str());
        EXPECT_EQ(AddTrailingBackslash(buffer, page.codePage), 1);
        EXPECT_EQ(std::string(buffer), cut + "\\");
    }
}

TEST(GetPathFolder, CasesAndSameBuffer) {
    struct Case {
        const char* path;
        const char* folder;
    };
    const Case cases[] = {
        {"C:\\Games\\Run\\setup.inf", "C:\\Games\\Run\\"},
        {"setup.inf", ""},
        {"C:\\Games\\Run\\", "C:\\Games\\Run\\"},
        {"C:/Games/x", "C:/Games/"},
    };
    for (const Case& c : cases) {
        char dest[kPathSize];
        EXPECT_EQ(GetPathFolder(dest, c.path), 1);
        EXPECT_STREQ(dest, c.folder) << c.path;
        const auto [result, same] = OnBuffer(c.path, [](char* b) { return GetPathFolder(b, b); });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(same, c.folder) << c.path;
    }
}

TEST(FormatDefaultInstallDir, Cases) {
    struct Case {
        const char* windowsDir;
        const char* name;
        int result;
        const char* dest;
    };
    const std::string longName = Repeat('n', 250);
    const Case cases[] = {
        {"C:\\WINDOWS", "PUZZLE", 1, "C:\\Tivoroo\\PUZZLE\\"},
        {"D:\\WIN95", "Puzzle", 1, "D:\\Tivoroo\\Puzzle\\"},
        {"D:\\WIN95", nullptr, 1, "D:\\Tivoroo\\"},
        {"\\WINDOWS", "Puzzle", 1, "\\Tivoroo\\Puzzle\\"},
        {"C:\\WINDOWS", longName.c_str(), 0, ""},
    };
    for (const Case& c : cases) {
        char dest[kPathSize] = "junk";
        EXPECT_EQ(FormatDefaultInstallDir(dest, c.windowsDir, c.name), c.result) << c.windowsDir;
        EXPECT_STREQ(dest, c.dest) << c.windowsDir;
    }
}

TEST(FormatSharedIniPath, Cases) {
    struct Case {
        std::string windowsDir;
        int result;
        std::string dest;
    };
    const Case cases[] = {
        {"C:\\WINDOWS", 1, "C:\\WINDOWS\\tivoroo.ini"},
        {"C:\\", 1, "C:\\tivoroo.ini"},
        {"", 0, ""},
        {"C:\\" + Repeat('w', 250), 0, ""},
    };
    for (const Case& c : cases) {
        char dest[kPathSize] = "junk";
        EXPECT_EQ(FormatSharedIniPath(dest, c.windowsDir.c_str()), c.result) << c.windowsDir;
        EXPECT_EQ(std::string(dest), c.dest) << c.windowsDir;
    }
}

TEST(WindowsFolderPaths, FollowTheRealWindowsDirectory) {
    char windowsDir[kPathSize];
    ASSERT_GT(GetWindowsDirectoryA(windowsDir, kPathSize), 0u);
    char dest[kPathSize];
    ASSERT_EQ(GetSharedIniPath(dest), 1);
    EXPECT_STRCASEEQ(dest, (std::string(windowsDir) + "\\tivoroo.ini").c_str());
    ASSERT_EQ(GetDefaultInstallDir(dest, "PUZZLE"), 1);
    EXPECT_EQ(std::string(dest), std::string(windowsDir, 2) + "\\Tivoroo\\PUZZLE\\");
}

TEST(PathExists, FilesAndFolders) {
    TempFolder temp;
    ASSERT_TRUE(WriteFileAt(temp / "A\\file.txt", 0));
    EXPECT_EQ(PathExists((temp / "A").c_str()), 1);
    EXPECT_EQ(PathExists((temp / "A\\").c_str()), 1);
    EXPECT_EQ(PathExists((temp / "A\\file.txt").c_str()), 1);
    EXPECT_EQ(PathExists((temp / "A\\missing").c_str()), 0);
    EXPECT_EQ(PathExists(""), 0);

    // A last component without a separator is a file name: its folder is tested.
    EXPECT_EQ(PathFolderExists((temp / "A\\B").c_str()), 1);
    EXPECT_EQ(PathFolderExists((temp / "A\\B\\").c_str()), 0);
    EXPECT_EQ(PathFolderExists((temp / "A\\").c_str()), 1);
    EXPECT_EQ(PathFolderExists("file.txt"), 0);
}

TEST(CreateFolderChain, CreatesEachMissingFolder) {
    TempFolder temp;
    const std::string chain = temp / "X\\\\Y\\Z\\";
    ASSERT_EQ(CreateFolderChain(chain.c_str()), 1);
    EXPECT_EQ(PathExists((temp / "X\\Y\\Z").c_str()), 1);
    // A path without trailing backslash: the last token is a folder too.
    ASSERT_EQ(CreateFolderChain((temp / "X\\Y\\W").c_str()), 1);
    EXPECT_EQ(PathExists((temp / "X\\Y\\W\\").c_str()), 1);
    EXPECT_EQ(CreateFolderChain(""), 1);
    EXPECT_EQ(CreateFolderChain("\\\\\\"), 1);
}

TEST(CreateFolderChain, StopsAtTheFirstFolderThatCannotBeMade) {
    TempFolder temp;
    // A file named Y keeps the folder Y from being made.
    ASSERT_TRUE(WriteFileAt(temp / "X\\Y", 0));
    EXPECT_EQ(CreateFolderChain((temp / "X\\Y\\Z\\").c_str()), 0);
    EXPECT_EQ(PathExists((temp / "X\\").c_str()), 1);
    EXPECT_EQ(PathExists((temp / "X\\Y\\Z").c_str()), 0);

    const std::string tooLong = temp.Path() + Repeat('d', 100) + "\\" + Repeat('e', 200) + "\\";
    EXPECT_EQ(CreateFolderChain(tooLong.c_str()), 0);
}

TEST(CreateFolderChain, KeepsARootedPathAtTheRoot) {
    TempFolder temp;
    ASSERT_TRUE(CreateDirectoryA((temp / "cwd").c_str(), nullptr));
    char saved[kPathSize];
    GetCurrentDirectoryA(kPathSize, saved);
    ASSERT_TRUE(SetCurrentDirectoryA((temp / "cwd").c_str()));
    // The temp folder's path without its drive: a rooted path on the current drive.
    const std::string rooted = temp.Path().substr(2) + "R\\S\\";
    const int result = CreateFolderChain(rooted.c_str());
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(PathExists((temp / "R\\S").c_str()), 1);
    EXPECT_EQ(PathExists((temp / "cwd\\" + temp.Path().substr(3)).c_str()), 0);
}

TEST(GetExistingFolderPrefix, DeepestExistingFolder) {
    TempFolder temp;
    ASSERT_TRUE(CreateDirectoryA((temp / "Games").c_str(), nullptr));
    const std::string path = temp / "Games\\New\\Sub\\";
    char dest[kPathSize];
    EXPECT_EQ(GetExistingFolderPrefix(dest, path.c_str()), 1);
    EXPECT_EQ(std::string(dest), temp / "Games\\");

    const auto [result, same] =
        OnBuffer(path, [](char* b) { return GetExistingFolderPrefix(b, b); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(same, temp / "Games\\");

    EXPECT_EQ(GetExistingFolderPrefix(dest, "Q9:\\nothing\\here\\"), 1);
    EXPECT_STREQ(dest, "");
}

TEST(CompareFileWriteTimes, OrderAndErrors) {
    TempFolder temp;
    const std::string a = temp / "a";
    const std::string b = temp / "b";
    struct Case {
        long long first;
        long long second;
        int result;
    };
    const Case cases[] = {{100, 100, 0}, {100, 101, -1}, {101, 100, 1}};
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteFileAt(a, c.first));
        ASSERT_TRUE(WriteFileAt(b, c.second));
        EXPECT_EQ(CompareFileWriteTimes(a.c_str(), b.c_str()), c.result);
    }
    // A missing second file is an error, and the first file is not left open.
    EXPECT_EQ(CompareFileWriteTimes(a.c_str(), (temp / "missing").c_str()), -2);
    EXPECT_EQ(CompareFileWriteTimes((temp / "missing").c_str(), a.c_str()), -2);
    EXPECT_TRUE(DeleteFileA(a.c_str()));
    ASSERT_TRUE(WriteFileAt(a, 100));

    // A file held open elsewhere cannot be opened without sharing.
    HANDLE held =
        CreateFileA(b.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CompareFileWriteTimes(a.c_str(), b.c_str()), -2);
    CloseHandle(held);
    EXPECT_EQ(CompareFileWriteTimes(a.c_str(), b.c_str()), 0);
}

}  // namespace
