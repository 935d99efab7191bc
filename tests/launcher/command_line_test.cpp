#include "launcher/launcher_command_line_info.h"

#include <gtest/gtest.h>

namespace {

TEST(LauncherCommandLineInfo, OnlyTheSwitchesAAndRemoveCount) {
    struct Case {
        const wchar_t* commandLine;
        int forceSetup;
        int remove = 0;
    };
    const Case cases[] = {
        {L"PUZZLE.EXE /a", 1},
        {L"PUZZLE.EXE -a", 1},
        {L"PUZZLE.EXE /A", 1},
        {L"PUZZLE.EXE -A", 1},
        {L"PUZZLE.EXE other /A", 1},
        {L"\"D:\\My Games\\PUZZLE.EXE\" \"-a\"", 1},
        {L"PUZZLE.EXE", 0},
        {L"PUZZLE.EXE a", 0},
        {L"PUZZLE.EXE /ab", 0},
        {L"PUZZLE.EXE //a", 0},
        {L"PUZZLE.EXE /b", 0},
        {L"/a", 0},  // the program name is never an argument
        {L"PUZZLE.EXE /remove", 0, 1},
        {L"PUZZLE.EXE -REMOVE", 0, 1},
        {L"PUZZLE.EXE other /Remove", 0, 1},
        {L"PUZZLE.EXE /remove /a", 1, 1},
        {L"PUZZLE.EXE remove", 0, 0},
        {L"PUZZLE.EXE /removed", 0, 0},
        {L"PUZZLE.EXE /rem", 0, 0},
    };
    for (const Case& c : cases) {
        LauncherCommandLineInfo info;
        ASSERT_TRUE(ParseCommandLineText(c.commandLine, info));
        EXPECT_EQ(info.m_forceSetup, c.forceSetup) << c.commandLine;
        EXPECT_EQ(info.m_remove, c.remove) << c.commandLine;
    }
}

}  // namespace
