// One table of hostile cases run through every path that deletes: an install over an old copy
// (a ticked row), an unticked row, and removal. Each row builds a product on disk whose record
// names something, and states what must survive every path it runs through, unchanged.
//
// Rows this Wine cannot build are left to the systems that can: a second drive and a real
// share (no volume but C: and Z: here, and no server), a junction (Wine 8.0 makes no reparse
// points), and names in code page 932 (this process runs in code page 1252; the walk over
// 932 names is in delete_gate_test, the install into a 932 folder in the end-to-end suite).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "setup/install_run.h"
#include "setup/removal.h"
#include "tests/setup/product_fixture.h"

namespace {

enum Route : unsigned { kInstallOver = 1, kUnticked = 2, kRemoval = 4, kAll = 7 };

class HostileDeletes : public ProductTest {
protected:
    HostileDeletes() : ProductTest("proposed\\") {}

public:
    std::string PathOf(const std::string& relative) const { return Path(relative); }

protected:
    void WriteScript(const std::string& name) const {
        const char* script = m_paths.scriptPath;
        WritePrivateProfileStringA("Required", "PC-GroupCount", "1", script);
        WritePrivateProfileStringA("Required", "PC-Group1FileCount", "1", script);
        WritePrivateProfileStringA("Required", "PC-Group1File1Name", name.c_str(), script);
        WritePrivateProfileStringA("Required", "PC-Group1File1Key", "Game", script);
    }

    void RunPath(Route path, const std::string& name) {
        if (path == kRemoval) {
            WriteScript(name);
            RemovalRequest request{&m_paths};
            request.queryFileSystem = FakeFileSystem;
            RemoveProduct(request, m_progress, nullptr, m_prompts);
            return;
        }
        ComponentGroup group;
        group.files = {{name, "Game"}};
        const std::string chosen = Path("chosen\\");
        const InstallRequest request{&m_paths, chosen.c_str(), 1ULL << 40, 0};
        InstallComponents(request, {{&group, path == kInstallOver ? 1 : 0}}, m_progress, nullptr,
                          m_prompts, FakeFileSystem);
    }
};

struct Row {
    const char* what;
    const char* name;  // in the script; its source src\<name> is written at time 100
    // Builds the rest of the row on disk and returns the recorded value.
    std::function<std::string(HostileDeletes&)> build;
    std::vector<const char*> survivors;  // relative to the temporary folder
    unsigned paths;
};

TEST_F(HostileDeletes, WhatMustSurviveEveryDeletingPath) {
    const auto file = [](HostileDeletes& t, const char* relative, long long time) {
        EXPECT_TRUE(WriteFileAt(t.PathOf(relative), time, relative));
    };
    const std::vector<Row> rows = {
        {"a record naming the source file",
         "GAME.DAT",
         [](HostileDeletes& t) { return t.PathOf("src\\GAME.DAT"); },
         {"src\\GAME.DAT"},
         kAll},
        {"a record naming the source file with a trailing dot",
         "GAME.DAT",
         [](HostileDeletes& t) { return t.PathOf("src\\GAME.DAT."); },
         {"src\\GAME.DAT"},
         kAll},
        {"a record naming the source file in other case",
         "GAME.DAT",
         [](HostileDeletes& t) { return t.PathOf("SRC\\game.dat"); },
         {"src\\GAME.DAT"},
         kAll},
        {"a record naming the source file by its \\\\?\\ form",
         "GAME.DAT",
         [](HostileDeletes& t) { return "\\\\?\\" + t.PathOf("src\\GAME.DAT"); },
         {"src\\GAME.DAT"},
         kAll},
        {"another file of the source folder with the source's time",
         "DATA\\GAME.DAT",
         [&](HostileDeletes& t) {
             file(t, "src\\GAME.DAT", 100);
             return t.PathOf("src\\GAME.DAT");
         },
         {"src\\GAME.DAT", "src\\DATA\\GAME.DAT"},
         kAll},
        {"a record naming a player's file of another name",
         "GAME.DAT",
         [&](HostileDeletes& t) {
             file(t, "old\\SAVE.DAT", 100);
             return t.PathOf("old\\SAVE.DAT");
         },
         {"old\\SAVE.DAT"},
         kAll},
        {"a player's file of the same name in the chosen folder, not recorded",
         "GAME.DAT",
         [&](HostileDeletes& t) {
             file(t, "chosen\\GAME.DAT", 300);
             return std::string();
         },
         {"chosen\\GAME.DAT"},
         kUnticked | kRemoval},
        {"our copy, read-only",
         "GAME.DAT",
         [&](HostileDeletes& t) {
             file(t, "old\\GAME.DAT", 100);
             SetFileAttributesA(t.PathOf("old\\GAME.DAT").c_str(), FILE_ATTRIBUTE_READONLY);
             return t.PathOf("old\\GAME.DAT");
         },
         {"old\\GAME.DAT"},
         kAll},
        {"our copy, changed by the player",
         "GAME.DAT",
         [&](HostileDeletes& t) {
             file(t, "old\\GAME.DAT", 300);
             return t.PathOf("old\\GAME.DAT");
         },
         {"old\\GAME.DAT"},
         kRemoval},
        {"the product's folder emptied, its parent holding nothing else",
         "GAME.DAT",
         [&](HostileDeletes& t) {
             file(t, "games\\x\\GAME.DAT", 100);
             return t.PathOf("games\\x\\GAME.DAT");
         },
         {"games"},
         kAll},
    };
    for (const Row& row : rows) {
        for (const Route path : {kInstallOver, kUnticked, kRemoval}) {
            if ((row.paths & path) == 0) continue;
            SCOPED_TRACE(std::string(row.what) + (path == kInstallOver ? ", install over"
                                                  : path == kUnticked  ? ", unticked row"
                                                                       : ", removal"));
            Reset();
            g_fileSystem = "NTFS";
            ASSERT_TRUE(WriteFileAt(PathOf(std::string("src\\") + row.name), 100,
                                    (std::string("src\\") + row.name).c_str()));
            const std::string recorded = row.build(*this);
            if (!recorded.empty()) SetRecord("Game", recorded);

            RunPath(path, row.name);

            for (const char* survivor : row.survivors) {
                const std::string at = PathOf(survivor);
                const DWORD attributes = GetFileAttributesA(at.c_str());
                EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << survivor << " is gone";
                if (attributes != INVALID_FILE_ATTRIBUTES &&
                    (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                    SetFileAttributesA(at.c_str(), FILE_ATTRIBUTE_NORMAL);
                    EXPECT_EQ(ReadWholeFile(at), survivor) << survivor << " was replaced";
                }
            }
        }
    }
}

// A copy the game holds open survives every path, and removal says it is in use.
TEST_F(HostileDeletes, ACopyInUseSurvivesEveryDeletingPath) {
    for (const Route path : {kInstallOver, kUnticked, kRemoval}) {
        SCOPED_TRACE(path);
        Reset();
        ASSERT_TRUE(WriteFileAt(PathOf("src\\GAME.DAT"), 100, "source"));
        ASSERT_TRUE(WriteFileAt(PathOf("old\\GAME.DAT"), 100, "old"));
        SetRecord("Game", PathOf("old\\GAME.DAT"));
        const HANDLE held = CreateFileA(PathOf("old\\GAME.DAT").c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        RunPath(path, "GAME.DAT");
        CloseHandle(held);
        EXPECT_EQ(ReadWholeFile(PathOf("old\\GAME.DAT")), "old");
        if (path == kRemoval) {
            ASSERT_EQ(m_prompts.told.size(), 1u);
            EXPECT_NE(m_prompts.told[0].first.find(PathOf("old\\GAME.DAT") + " (in use)"),
                      std::string::npos)
                << m_prompts.told[0].first;
        }
        // The copy stays known to removal wherever it was not replaced.
        if (path != kInstallOver) {
            EXPECT_EQ(Record("Game"), PathOf("old\\GAME.DAT"));
        }
    }
}

}  // namespace
