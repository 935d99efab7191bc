// The delete gate's folder rules as pure functions: where a volume's root ends, the product's
// folder on each volume and the folders a clean-up may try, in code pages 1252 and 932 (where
// the second byte of a double-byte character can be a backslash's byte).
#include "setup/delete_gate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Folders = std::vector<std::string>;

TEST(DeleteGateTest, VolumeRootIsTheDriveOrShareAsSpelled) {
    struct Case {
        const char* path;
        std::size_t root;
    };
    const Case cases[] = {
        {"C:\\GAMES\\X\\", 3},
        {"c:\\", 3},
        {"\\\\NAS\\GAMES\\X\\", 12},
        {"\\\\NAS\\GAMES\\", 12},
        {"\\\\NAS\\", 0},
        {"\\\\?\\C:\\GAMES\\", 7},
        {"\\\\.\\D:\\X\\", 7},
        {"\\\\?\\UNC\\NAS\\GAMES\\X\\", 18},
        {"\\\\?\\UNC\\NAS\\", 0},
        {"\\GAMES\\", 0},
        {"C:GAMES\\", 0},
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(VolumeRootLength(c.path, 1252), c.root) << c.path;
}

// Each row: the folders of the product's recorded copies, the folders emptied by the run, the
// code page, and every folder the clean-up may try, deepest first. A folder above the
// product's folder of its volume, or a volume's root, is never among them.
TEST(DeleteGateTest, FoldersToTryStayInTheProductsFolderOfEachVolume) {
    struct Case {
        const char* what;
        Folders copies;
        Folders emptied;
        UINT codePage;
        Folders expected;
    };
    const Case cases[] = {
        {"one folder tree",
         {"C:\\GAMES\\X\\", "C:\\GAMES\\X\\DATA\\", "C:\\GAMES\\X\\MUSIC\\"},
         {"C:\\GAMES\\X\\DATA\\", "C:\\GAMES\\X\\"},
         1252,
         {"C:\\GAMES\\X\\DATA\\", "C:\\GAMES\\X\\"}},
        {"a drive and a share: each walk ends at its product folder",
         {"C:\\GAMES\\X\\", "\\\\NAS\\GAMES\\X\\"},
         {"C:\\GAMES\\X\\", "\\\\NAS\\GAMES\\X\\"},
         1252,
         {"\\\\NAS\\GAMES\\X\\", "C:\\GAMES\\X\\"}},
        {"two drives: never C:\\GAMES\\ above the product's folder",
         {"C:\\GAMES\\X\\", "C:\\GAMES\\X\\DATA\\", "D:\\X\\"},
         {"C:\\GAMES\\X\\DATA\\", "D:\\X\\"},
         1252,
         {"C:\\GAMES\\X\\DATA\\", "C:\\GAMES\\X\\", "D:\\X\\"}},
        {"a drive and its \\\\?\\ spelling",
         {"C:\\GAMES\\X\\", "\\\\?\\C:\\GAMES\\X\\DATA\\"},
         {"C:\\GAMES\\X\\", "\\\\?\\C:\\GAMES\\X\\DATA\\"},
         1252,
         {"\\\\?\\C:\\GAMES\\X\\DATA\\", "C:\\GAMES\\X\\"}},
        {"\\\\?\\UNC\\ share",
         {"\\\\?\\UNC\\NAS\\S\\X\\A\\", "\\\\?\\UNC\\NAS\\S\\X\\B\\"},
         {"\\\\?\\UNC\\NAS\\S\\X\\A\\"},
         1252,
         {"\\\\?\\UNC\\NAS\\S\\X\\A\\", "\\\\?\\UNC\\NAS\\S\\X\\"}},
        {"product folder is the root: the root never goes",
         {"C:\\A\\", "C:\\B\\"},
         {"C:\\A\\", "C:\\B\\"},
         1252,
         {"C:\\A\\", "C:\\B\\"}},
        // 0x95 0x5C is one character in code page 932: C:\<95 5C>X\ and C:\<95 5C>Y\ share
        // only C:\, never the unrelated C:\<95>\.
        {"932: a trail byte 0x5C is no separator",
         {"C:\\\x95\\X\\", "C:\\\x95\\Y\\"},
         {"C:\\\x95\\X\\", "C:\\\x95\\Y\\"},
         932,
         {"C:\\\x95\\X\\", "C:\\\x95\\Y\\"}},
        // In code page 1252 the same bytes are a folder <95> holding X and Y.
        {"1252: the same bytes are two folders deep",
         {"C:\\\x95\\X\\", "C:\\\x95\\Y\\"},
         {"C:\\\x95\\X\\", "C:\\\x95\\Y\\"},
         1252,
         {"C:\\\x95\\X\\", "C:\\\x95\\Y\\", "C:\\\x95\\"}},
        {"932: a product folder whose name ends in 0x5C",
         {"C:\\G\\\x95\\\\", "C:\\G\\\x95\\\\DATA\\"},
         {"C:\\G\\\x95\\\\DATA\\"},
         932,
         {"C:\\G\\\x95\\\\DATA\\", "C:\\G\\\x95\\\\"}},
        {"no volume root: nothing", {"\\GAMES\\X\\"}, {"\\GAMES\\X\\"}, 1252, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FoldersToTry(ProductFolders(c.copies, c.codePage), c.emptied, c.codePage),
                  c.expected);
    }
}

TEST(DeleteGateTest, ProductFoldersAreTheCommonFolderOfEachVolume) {
    EXPECT_EQ(ProductFolders({"C:\\GAMES\\X\\DATA\\", "\\\\NAS\\S\\X\\", "C:\\GAMES\\X\\MUSIC\\",
                              "D:\\X\\", "\\\\NAS\\S\\X\\A\\"},
                             1252),
              Folders({"C:\\GAMES\\X\\", "\\\\NAS\\S\\X\\", "D:\\X\\"}));
    EXPECT_EQ(ProductFolders({"C:\\\x95\\X\\", "C:\\\x95\\Y\\"}, 932), Folders({"C:\\"}));
    EXPECT_EQ(CommonFolder("C:\\AB\\", "C:\\AC\\", 1252), "C:\\");
}

}  // namespace
