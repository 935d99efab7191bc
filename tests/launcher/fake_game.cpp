// A stand-in for a product's game, run by the launch tests under the name <base>.a32. It
// writes its command line to <its own path>.out, sleeps for LAUNCHER_TEST_GAME_MS
// milliseconds when that is set, then writes <its own path>.done.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void WriteText(const std::string& path, const char* text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int main() {
    char self[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 1;
    self[length] = '\0';
    WriteText(std::string(self) + ".out", GetCommandLineA());
    char sleep[32];
    if (GetEnvironmentVariableA("LAUNCHER_TEST_GAME_MS", sleep, sizeof sleep) > 0) {
        Sleep(static_cast<DWORD>(std::strtoul(sleep, nullptr, 10)));
    }
    WriteText(std::string(self) + ".done", "done");
    return 0;
}
