#include "launcher/launch_game.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/test_files.h"

namespace {

// fake_game.exe lies beside this test program.
std::string FakeGamePath() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    return path.substr(0, path.find_last_of('\\') + 1) + "fake_game.exe";
}

class LaunchGame : public ::testing::Test {
protected:
    // The product PUZZLE on a disc folder whose name has a blank, with a program "My.exe"
    // beside it that an unquoted command line without an application name would start.
    void SetUp() override {
        const std::string disc = m_temp / "My Games\\";
        ASSERT_TRUE(CreateDirectoryA(disc.c_str(), nullptr));
        m_game = disc + "PUZZLE.a32";
        ASSERT_TRUE(CopyFileA(FakeGamePath().c_str(), m_game.c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(FakeGamePath().c_str(), (m_temp / "My.exe").c_str(), FALSE));
        std::memset(&m_paths, 0, sizeof m_paths);
        std::strcpy(m_paths.sourceFolder, disc.c_str());
        std::strcpy(m_paths.baseName, "PUZZLE");
    }
    void TearDown() override { SetEnvironmentVariableA("LAUNCHER_TEST_GAME_MS", nullptr); }

    TempFolder m_temp;
    std::string m_game;
    ProductPaths m_paths{};
};

TEST_F(LaunchGame, RunsTheGameBesideTheLauncherWithItsPathAsCommandLine) {
    PROCESS_INFORMATION process;
    ASSERT_EQ(StartGame(m_paths, &process), 1);
    HANDLE watch = OpenProcess(SYNCHRONIZE, FALSE, process.dwProcessId);
    WaitForGame(process);
    // The wait ends with the game.
    EXPECT_EQ(WaitForSingleObject(watch, 0), WAIT_OBJECT_0);
    CloseHandle(watch);
    EXPECT_EQ(ReadWholeFile(m_game + ".out"), m_game);
    EXPECT_EQ(ReadWholeFile(m_temp / "My.exe.out"), "<missing>");
}

TEST_F(LaunchGame, MissingOrOverlongGameStartsNothing) {
    PROCESS_INFORMATION process;
    std::strcpy(m_paths.baseName, "NOSUCH");
    EXPECT_EQ(StartGame(m_paths, &process), 0);
    EXPECT_EQ(process.hProcess, nullptr);

    const std::string longName(kPathSize - std::strlen(m_paths.sourceFolder) - 4, 'n');
    std::strcpy(m_paths.baseName, longName.c_str());
    char path[kPathSize];
    EXPECT_EQ(FormatGamePath(path, m_paths), 0);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(StartGame(m_paths, &process), 0);
    EXPECT_EQ(ReadWholeFile(m_temp / "My.exe.out"), "<missing>");

    std::strcpy(m_paths.sourceFolder, "C:\\GAMES\\");
    std::strcpy(m_paths.baseName, "PUZZLE");
    ASSERT_EQ(FormatGamePath(path, m_paths), 1);
    EXPECT_STREQ(path, "C:\\GAMES\\PUZZLE.a32");
}

LRESULT CALLBACK CountingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(LaunchGame, DispatchesMessagesWhileWaiting) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CountingProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "LaunchGameCounter";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("LaunchGameCounter", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    int received = 0;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&received));
    SetEnvironmentVariableA("LAUNCHER_TEST_GAME_MS", "700");

    PROCESS_INFORMATION process;
    ASSERT_EQ(StartGame(m_paths, &process), 1);
    PostMessageA(window, WM_APP, 0, 0);
    WaitForGame(process);
    EXPECT_EQ(received, 1);
    EXPECT_EQ(ReadWholeFile(m_game + ".done"), "done");
    DestroyWindow(window);
}

TEST_F(LaunchGame, QuitEndsTheWaitAndIsPassedOn) {
    SetEnvironmentVariableA("LAUNCHER_TEST_GAME_MS", "3000");
    PROCESS_INFORMATION process;
    ASSERT_EQ(StartGame(m_paths, &process), 1);
    HANDLE watch = OpenProcess(SYNCHRONIZE, FALSE, process.dwProcessId);
    ASSERT_NE(watch, nullptr);
    PostQuitMessage(0);
    WaitForGame(process);

    // The game goes on running, and the quit is queued again with exit code -1.
    EXPECT_EQ(WaitForSingleObject(watch, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(static_cast<int>(message.wParam), -1);

    EXPECT_EQ(WaitForSingleObject(watch, 30000), WAIT_OBJECT_0);
    CloseHandle(watch);
}

}  // namespace
