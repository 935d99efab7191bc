#include "base/product_paths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/test_files.h"

namespace {

// The default destination for PUZZLE on the Windows folder's drive.
std::string DefaultDest(const char* name) {
    char windowsDir[kPathSize];
    GetWindowsDirectoryA(windowsDir, kPathSize);
    return std::string(windowsDir, 2) + "\\Tivoroo\\" + name + "\\";
}

TEST(DeriveProductPaths, FromTheLauncherPath) {
    ProductPaths paths;
    ASSERT_EQ(DeriveProductPaths(&paths, "Q:\\GAMES\\PUZZLE.EXE"), 1);
    EXPECT_STREQ(paths.sourceFolder, "Q:\\GAMES\\");
    EXPECT_STREQ(paths.baseName, "PUZZLE");
    EXPECT_STREQ(paths.scriptPath, "Q:\\GAMES\\PUZZLE.inf");
    char shared[kPathSize];
    ASSERT_EQ(GetSharedIniPath(shared), 1);
    EXPECT_STREQ(paths.sharedIniPath, shared);
    // No script there: the default destination for the base name.
    EXPECT_EQ(std::string(paths.destFolder), DefaultDest("PUZZLE"));

    ASSERT_EQ(DeriveProductPaths(&paths, "D:\\Puzzle.v2.exe"), 1);
    EXPECT_STREQ(paths.baseName, "Puzzle.v2");
    EXPECT_STREQ(paths.scriptPath, "D:\\Puzzle.v2.inf");
}

TEST(DeriveProductPaths, DefaultDirFromTheScript) {
    TempFolder temp;
    const std::string launcher = temp / "PUZZLE.EXE";
    struct Case {
        std::string defaultDir;
        std::string dest;
    };
    const std::string tooLong = "D:\\" + std::string(256, 'p');  // 259: no room for the "\"
    const Case cases[] = {
        {"D:\\Play", "D:\\Play\\"},
        {"D:\\Play\\", "D:\\Play\\"},
        {"\"D:\\Quoted Play\"", "D:\\Quoted Play\\"},
        {"", DefaultDest("PUZZLE")},
        {tooLong, DefaultDest("PUZZLE")},
        {tooLong + "qq", DefaultDest("PUZZLE")},
        {"\\\\server\\share\\Play", "\\\\server\\share\\Play\\"},
        // Relative to wherever the launcher was started: the default folder instead.
        {"Play", DefaultDest("PUZZLE")},
        {"..\\Play", DefaultDest("PUZZLE")},
        {"\\Play", DefaultDest("PUZZLE")},
        {"D:Play", DefaultDest("PUZZLE")},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WritePrivateProfileStringA("General", "DefaultDir", c.defaultDir.c_str(),
                                               (temp / "PUZZLE.inf").c_str()));
        ProductPaths paths;
        ASSERT_EQ(DeriveProductPaths(&paths, launcher.c_str()), 1);
        EXPECT_EQ(std::string(paths.destFolder), c.dest) << c.defaultDir;
    }
}

TEST(DeriveProductPaths, PathsThatDoNotFitLeaveEverythingEmpty) {
    // The launcher's own path fits, but its script's (".inf" is longer than ".E") does not.
    const std::string folder = "C:\\" + std::string(250, 'f') + "\\";
    const std::string cases[] = {folder + "PZ.E", folder + "PUZZLE.EXE" + std::string(20, 'x')};
    for (const std::string& launcher : cases) {
        ProductPaths paths;
        std::memset(&paths, 'j', sizeof paths);
        EXPECT_EQ(DeriveProductPaths(&paths, launcher.c_str()), 0) << launcher.size();
        EXPECT_STREQ(paths.sourceFolder, "");
        EXPECT_STREQ(paths.scriptPath, "");
        EXPECT_STREQ(paths.baseName, "");
        EXPECT_STREQ(paths.destFolder, "");
    }
}

}  // namespace
