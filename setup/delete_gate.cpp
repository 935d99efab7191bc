#include "setup/delete_gate.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

std::uint64_t ToTicks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool ReadWriteTime(const char* path, std::uint64_t* ticks) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
    *ticks = ToTicks(data.ftLastWriteTime);
    return true;
}

// The position after the component that starts at p (at its ending backslash or the end).
const char* SkipComponent(const char* p, UINT codePage) {
    while (*p != '\0' && *p != '\\') p = NextPathChar(p, codePage);
    return p;
}

// The length of "server\share\" at p, or 0 when either name is missing or the share has no
// backslash after it.
std::size_t ServerShareLength(const char* p, UINT codePage) {
    const char* server = SkipComponent(p, codePage);
    if (server == p || *server != '\\') return 0;
    const char* share = SkipComponent(server + 1, codePage);
    if (share == server + 1 || *share != '\\') return 0;
    return static_cast<std::size_t>(share + 1 - p);
}

bool IsDriveRoot(const char* p) {
    const char letter = static_cast<char>(p[0] | 0x20);
    return letter >= 'a' && letter <= 'z' && p[1] == ':' && p[2] == '\\';
}

// The folder above folder (trailing backslash): folder cut after the backslash before its
// last component, or empty when it has none.
std::string ParentFolder(const std::string& folder, UINT codePage) {
    std::size_t last = std::string::npos;
    for (const char* p = folder.c_str(); *p != '\0'; p = NextPathChar(p, codePage)) {
        if (*p == '\\' && p[1] != '\0') last = static_cast<std::size_t>(p - folder.c_str());
    }
    return last == std::string::npos ? std::string() : folder.substr(0, last + 1);
}

}  // namespace

bool IsCopyOfOurs(const char* recorded, const char* name, const SourceFiles& sources) {
    return recorded[0] != '\0' && LastComponentKey(recorded) == LastComponentKey(name) &&
           !sources.Contains(recorded);
}

bool IsUnchangedCopy(const char* source, const char* copy, VolumeFileSystemQuery queryFileSystem) {
    std::uint64_t sourceTime = 0;
    std::uint64_t copyTime = 0;
    if (!ReadWriteTime(source, &sourceTime) || !ReadWriteTime(copy, &copyTime)) return false;
    char fileSystem[MAX_PATH + 1] = "";
    const std::uint64_t tolerance = queryFileSystem(copy, fileSystem, sizeof fileSystem)
                                        ? rules::CoarseTimeTolerance(fileSystem)
                                        : 0;
    return rules::IsCopyCurrent({0, sourceTime}, {0, copyTime}, tolerance);
}

DeleteResult DeleteCopy(const char* path, const SourceFiles& sources, DeleteFileFn deleteFile) {
    if (path[0] == '\0' || sources.Contains(path)) return DeleteResult::kNotDeleted;
    if (deleteFile(path)) return DeleteResult::kDeleted;
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION
               ? DeleteResult::kInUse
               : DeleteResult::kNotDeleted;
}

std::size_t VolumeRootLength(const char* path, UINT codePage) {
    if (IsDriveRoot(path)) return 3;
    if (path[0] != '\\' || path[1] != '\\') return 0;
    if ((path[2] == '?' || path[2] == '.') && path[3] == '\\') {
        if (IsDriveRoot(path + 4)) return 7;
        if ((path[4] | 0x20) == 'u' && (path[5] | 0x20) == 'n' && (path[6] | 0x20) == 'c' &&
            path[7] == '\\') {
            const std::size_t share = ServerShareLength(path + 8, codePage);
            return share == 0 ? 0 : 8 + share;
        }
        return 0;
    }
    const std::size_t share = ServerShareLength(path + 2, codePage);
    return share == 0 ? 0 : 2 + share;
}

std::string CommonFolder(const std::string& a, const std::string& b, UINT codePage) {
    const char* pa = a.c_str();
    const char* pb = b.c_str();
    std::size_t end = 0;
    while (*pa != '\0' && *pb != '\0') {
        const char* na = NextPathChar(pa, codePage);
        const char* nb = NextPathChar(pb, codePage);
        if (na - pa != nb - pb || std::memcmp(pa, pb, static_cast<std::size_t>(na - pa)) != 0) {
            break;
        }
        if (*pa == '\\') end = static_cast<std::size_t>(na - a.c_str());
        pa = na;
        pb = nb;
    }
    return a.substr(0, end);
}

std::vector<std::string> ProductFolders(const std::vector<std::string>& folders, UINT codePage) {
    std::vector<std::string> products;
    for (const std::string& folder : folders) {
        const std::size_t root = VolumeRootLength(folder.c_str(), codePage);
        if (root == 0) continue;
        bool placed = false;
        for (std::string& product : products) {
            if (VolumeRootLength(product.c_str(), codePage) == root &&
                product.compare(0, root, folder, 0, root) == 0) {
                product = CommonFolder(product, folder, codePage);
                placed = true;
                break;
            }
        }
        if (!placed) products.push_back(folder);
    }
    return products;
}

std::vector<std::string> FoldersToTry(const std::vector<std::string>& productFolders,
                                      const std::vector<std::string>& emptied, UINT codePage) {
    std::vector<std::string> folders;
    for (const std::string& start : emptied) {
        const std::size_t root = VolumeRootLength(start.c_str(), codePage);
        if (root == 0) continue;
        // The product's folder on this volume; the walk never leaves it.
        const std::string* top = nullptr;
        for (const std::string& product : productFolders) {
            if (product.size() >= root && product.size() <= start.size() &&
                start.compare(0, product.size(), product) == 0 &&
                VolumeRootLength(product.c_str(), codePage) == root) {
                top = &product;
                break;
            }
        }
        if (top == nullptr) continue;
        // Every step takes off one component, so the walk ends at the top or at the root.
        std::string folder = start;
        while (folder.size() > root && folder.size() >= top->size()) {
            folders.push_back(folder);
            std::string parent = ParentFolder(folder, codePage);
            if (parent.size() >= folder.size()) break;
            folder = std::move(parent);
        }
    }
    std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() > b.size() : a < b;
    });
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    return folders;
}

void RemoveEmptiedFolders(const std::vector<std::string>& productFolders,
                          const std::vector<std::string>& emptied, const SourceFiles& sources) {
    const std::vector<std::string> folders = FoldersToTry(productFolders, emptied);
    if (folders.empty()) return;
    char windows[kPathSize] = "";
    const UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows || !AddTrailingBackslash(windows)) return;
    const std::string windowsKey = ComparisonKey(windows);
    for (const std::string& folder : folders) {
        if (windowsKey.empty() || windowsKey == ComparisonKey(folder.c_str())) continue;
        if (sources.IsSourceFolder(folder.c_str())) continue;
        // A junction or a symbolic link to a folder would go whatever its target holds.
        const DWORD attributes = GetFileAttributesA(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            continue;
        }
        // Only an empty folder can be removed: one holding anything else stays.
        RemoveDirectoryA(folder.c_str());
    }
}
