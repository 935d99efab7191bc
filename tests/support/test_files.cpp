#include "tests/support/test_files.h"

#include <cstdio>

namespace {

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

void CreateParents(const std::string& path) {
    for (std::size_t i = 3; i < path.size(); ++i) {
        if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

}  // namespace

TempFolder::TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH + 64];
        std::snprintf(name, sizeof name, "%slt%lu_%u\\", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            m_path = name;
            return;
        }
    }
}

TempFolder::~TempFolder() { RemoveTree(m_path); }

FILETIME TimeAt(long long seconds) {
    // 2020-01-01 00:00:00 UTC in 100 ns units since 1601.
    const unsigned long long ticks =
        132223104000000000ULL + static_cast<unsigned long long>(seconds) * 10000000ULL;
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

bool SetWriteTime(const std::string& path, long long seconds) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const FILETIME time = TimeAt(seconds);
    const bool ok = SetFileTime(file, nullptr, nullptr, &time) != FALSE;
    CloseHandle(file);
    return ok;
}

bool WriteFileAt(const std::string& path, long long seconds, const char* text) {
    CreateParents(path);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr) != FALSE;
    CloseHandle(file);
    return ok && SetWriteTime(path, seconds);
}

std::string ReadProfile(const std::string& file, const char* section, const char* key) {
    char value[1024];
    GetPrivateProfileStringA(section, key, "", value, sizeof value, file.c_str());
    return value;
}

std::string ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        content.append(buffer, got);
    }
    CloseHandle(file);
    return content;
}
