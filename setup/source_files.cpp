#include "setup/source_files.h"

// The full path of path ("." and ".." resolved, relative paths made absolute) in dest
// (kPathSize bytes). false when it cannot be formed or does not fit.
bool ResolvePath(char* dest, const char* path) {
    if (path[0] == '\0') return false;
    const DWORD length = GetFullPathNameA(path, static_cast<DWORD>(kPathSize), dest, nullptr);
    return length != 0 && length < static_cast<DWORD>(kPathSize);
}

// The resolved path in upper case, as the file system compares names; empty when the path
// cannot be resolved.
std::string ComparisonKey(const char* path) {
    char full[kPathSize];
    if (!ResolvePath(full, path)) return std::string();
    std::string key(full);
    CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

// The last component of path (after its last backslash or slash), in upper case; the second
// byte of a double-byte character is never taken for a separator.
std::string LastComponentKey(const char* path) {
    // No trail byte of a double-byte character is a dot or a space.
    std::string key(rules::HeldFileName(path, &IsCodePageLeadByte));
    CharUpperBuffA(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

// The identity of the existing file or folder at path into identity. false when it cannot be
// read (no such file, a system that cannot open folders, a file system without file indexes);
// callers then rely on comparing the resolved paths alone.
bool ReadFileIdentity(const char* path, FileIdentity* identity) {
    // Opened for no access, sharing everything a first 32-bit Windows knows, so that neither
    // an open file nor a folder is refused.
    const HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL read = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!read || (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0)) return false;
    *identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}
