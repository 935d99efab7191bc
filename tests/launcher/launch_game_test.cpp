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

// Whether lt_probe.dll (probe_dll.dll copied), which lies only in the current folder, loads: the DLL search a process
// started now inherits. Set by LookAtDllSearch.
bool g_probeLoadedAtStart = false;

bool ProbeLoads() {
    const HMODULE probe = LoadLibraryA("lt_probe.dll");
    if (probe == nullptr) return false;
    FreeLibrary(probe);
    return true;
}

BOOL WINAPI LookAtDllSearch(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES process,
                            LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags,
                            LPVOID environment, LPCSTR folder, LPSTARTUPINFOA startup,
                            LPPROCESS_INFORMATION information) {
    g_probeLoadedAtStart = ProbeLoads();
    return CreateProcessA(application, commandLine, process, thread, inherit, flags, environment,
                          folder, startup, information);
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

// The launcher takes the current folder out of its own DLL search; the game starts with the
// default search (a DLL in its current folder loads), and the launcher's own is back after.
TEST_F(LaunchGame, TheGameStartsWithTheDefaultDllSearch) {
    const std::string self = FakeGamePath();
    const std::string probe = self.substr(0, self.find_last_of('\\') + 1) + "probe_dll.dll";
    const std::string cwd = m_temp / "cwd\\";
    ASSERT_TRUE(CreateDirectoryA(cwd.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(probe.c_str(), (cwd + "lt_probe.dll").c_str(), FALSE));
    char previous[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, previous), 0U);
    ASSERT_TRUE(SetCurrentDirectoryA(cwd.c_str()));
    ASSERT_TRUE(ProbeLoads());

    RemoveCurrentFolderFromDllSearch();
    const bool excluded = !ProbeLoads();
    PROCESS_INFORMATION process;
    const int started = StartGame(m_paths, &process, LookAtDllSearch);
    const bool excludedAfter = !ProbeLoads();
    SetDllDirectoryA(nullptr);
    SetCurrentDirectoryA(previous);

    ASSERT_EQ(started, 1);
    WaitForGame(process);
    if (!excluded) {
        // Wine (8.0) takes an empty DLL folder for none and keeps the current folder in the
        // search: there is nothing to restore, and this runs only on Windows.
        GTEST_SKIP() << "SetDllDirectoryA(\"\") keeps the current folder in the search here";
    }
    EXPECT_TRUE(g_probeLoadedAtStart);
    EXPECT_TRUE(excludedAfter);
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
