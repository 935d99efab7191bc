#include "launcher/launch_game.h"

namespace {

// Period at which the wait for the game wakes to keep the launcher's windows alive.
constexpr DWORD kGameWaitPeriodMs = 500;

// The OS platform id, 0 (Win32s) when the query fails as well.
DWORD PlatformId() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    return version.dwPlatformId;
}

// Dispatches every queued message of the thread. Returns false when a quit message was among
// them; it has been posted again with exit code -1.
bool PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(-1);
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);

SetDllDirectoryFn LookUpSetDllDirectory() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<SetDllDirectoryFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDllDirectoryA")));
}

// Whether RemoveCurrentFolderFromDllSearch took the current folder out of the search.
bool g_currentFolderRemoved = false;

}  // namespace

void RemoveCurrentFolderFromDllSearch() {
    const SetDllDirectoryFn setDllDirectory = LookUpSetDllDirectory();
    if (setDllDirectory != nullptr && setDllDirectory("")) g_currentFolderRemoved = true;
}

int FormatGamePath(char* dest, const ProductPaths& paths) {
    return FormatPath(dest, "%s%s.a32", paths.sourceFolder, paths.baseName);
}

int StartGame(const ProductPaths& paths, PROCESS_INFORMATION* process,
              CreateProcessFn createProcess) {
    *process = PROCESS_INFORMATION{};
    char gamePath[kPathSize];
    if (!FormatGamePath(gamePath, paths)) return 0;
    // The command line is the game's path alone, unquoted, as the game has always received
    // it; the application name fixes which file runs.
    char commandLine[kPathSize];
    lstrcpyA(commandLine, gamePath);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // The game gets the default DLL search, as it always has: a game that loads a DLL from its
    // current folder finds it.
    const SetDllDirectoryFn setDllDirectory =
        g_currentFolderRemoved ? LookUpSetDllDirectory() : nullptr;
    if (setDllDirectory != nullptr) setDllDirectory(nullptr);
    const BOOL started = createProcess(gamePath, commandLine, nullptr, nullptr, FALSE, 0, nullptr,
                                       nullptr, &startup, process);
    if (setDllDirectory != nullptr) setDllDirectory("");
    return started ? 1 : 0;
}

void WaitForGame(const PROCESS_INFORMATION& process) {
    if (PlatformId() != VER_PLATFORM_WIN32s) {
        DWORD waited = WAIT_TIMEOUT;
        do {
            waited = WaitForSingleObject(process.hProcess, kGameWaitPeriodMs);
            if (!PumpMessages()) break;
        } while (waited == WAIT_TIMEOUT);
    }
    if (process.hProcess != nullptr) CloseHandle(process.hProcess);
    if (process.hThread != nullptr) CloseHandle(process.hThread);
}
