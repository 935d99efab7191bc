#include "launcher/launcher_command_line_info.h"

#include <gtest/gtest.h>

namespace {

TEST(LauncherCommandLineInfo, OnlyTheSwitchAForcesSetup) {
    struct Case {
        const wchar_t* commandLine;
        int forceSetup;
    };
    const Case cases[] = {
        {L"PUZZLE.EXE /a", 1},       {L"PUZZLE.EXE -a", 1},
        {L"PUZZLE.EXE /A", 1},       {L"PUZZLE.EXE -A", 1},
        {L"PUZZLE.EXE other /A", 1}, {L"\"D:\\My Games\\PUZZLE.EXE\" \"-a\"", 1},
        {L"PUZZLE.EXE", 0},          {L"PUZZLE.EXE a", 0},
        {L"PUZZLE.EXE /ab", 0},      {L"PUZZLE.EXE //a", 0},
        {L"PUZZLE.EXE /b", 0},       {L"/a", 0},  // the program name is never an argument
    };
    for (const Case& c : cases) {
        LauncherCommandLineInfo info;
        ASSERT_TRUE(ParseCommandLineText(c.commandLine, info));
        EXPECT_EQ(info.m_forceSetup, c.forceSetup) << c.commandLine;
    }
}

}  // namespace
