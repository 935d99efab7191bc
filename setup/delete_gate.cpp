#include "setup/delete_gate.h"

#include <algorithm>
#include <cstdint>

std::string CommonFolder(const std::string& a, const std::string& b) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size() && a[i] == b[i]; ++i) {
        if (a[i] == '\\') end = i + 1;
    }
    return a.substr(0, end);
}

bool IsCopyOfOurs(const char* recorded, const char* name, const SourceFiles& sources) {
    return recorded[0] != '\0' && LastComponentKey(recorded) == LastComponentKey(name) &&
           !sources.Contains(recorded);
}

bool IsUnchangedCopy(const char* source, const char* copy, VolumeFileSystemQuery queryFileSystem) {
    return HasSourceWriteTime(source, copy, queryFileSystem) != 0;
}

BOOL DeleteCopy(const char* path, const SourceFiles& sources, DeleteFileFn deleteFile) {
    if (path[0] == '\0' || sources.Contains(path)) return FALSE;
    return deleteFile(path);
}

void RemoveEmptiedFolders(const std::vector<std::string>& deletedFolders,
                          const SourceFiles& sources) {
    if (deletedFolders.empty()) return;
    std::string common = deletedFolders.front();
    for (const std::string& folder : deletedFolders) common = CommonFolder(common, folder);
    std::vector<std::string> folders;
    for (const std::string& deleted : deletedFolders) {
        std::string folder = deleted;
        while (folder.size() >= common.size() && !folder.empty()) {
            folders.push_back(folder);
            const std::size_t slash = folder.rfind('\\', folder.size() - 2);
            if (slash == std::string::npos) break;
            folder.resize(slash + 1);
        }
    }
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    char windows[kPathSize] = "";
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    const bool windowsKnown =
        length != 0 && length < sizeof windows && AddTrailingBackslash(windows);
    for (const std::string& folder : folders) {
        char root[kPathSize];
        if (!GetPathDriveRoot(folder.c_str(), root, sizeof root) ||
            ComparisonKey(root) == ComparisonKey(folder.c_str())) {
            continue;
        }
        if (!windowsKnown || ComparisonKey(windows) == ComparisonKey(folder.c_str())) continue;
        if (sources.IsSourceFolder(folder.c_str())) continue;
        // Only an empty folder can be removed: one holding anything else stays.
        RemoveDirectoryA(folder.c_str());
    }
}
