#include "install_state.h"

#include <cstring>

#include "script_keys.h"
#include "setup_dialog.h"

namespace {

// Two seconds in file-time units of 100 ns: the write-time resolution of FAT volumes.
constexpr ULONGLONG kFatTimeResolution = 20000000;

bool IsFatFileSystem(const char* path, VolumeFileSystemQuery queryFileSystem) {
    char name[MAX_PATH + 1] = "";
    if (!queryFileSystem(path, name, sizeof name)) return false;
    return lstrcmpiA(name, "FAT") == 0 || lstrcmpiA(name, "FAT32") == 0;
}

ULONGLONG ToTicks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Whether the installed copy carries the source's last-write time: exactly, or to within the
// two seconds that a FAT volume keeps when the copy lies on one.
bool HasSourceWriteTime(const char* source, const char* copy,
                        VolumeFileSystemQuery queryFileSystem) {
    if (!IsFatFileSystem(copy, queryFileSystem)) return CompareFileWriteTimes(source, copy) == 0;
    FILETIME sourceTime{};
    FILETIME copyTime{};
    if (!ReadFileWriteTimes(source, copy, &sourceTime, &copyTime)) return false;
    const ULONGLONG a = ToTicks(sourceTime);
    const ULONGLONG b = ToTicks(copyTime);
    return (a > b ? a - b : b - a) < kFatTimeResolution;
}

// Tests the files of one component section; returns false when any of them is not current.
// A count beyond its limit also gives false, and the entries it counts are not read.
bool AreSectionFilesCurrent(const ProductPaths& paths, const char* section,
                            VolumeFileSystemQuery queryFileSystem) {
    bool allCurrent = true;
    char key[kScriptKeySize];
    FormatGroupCountKey(key);
    const int groupCount = static_cast<int>(GetPrivateProfileIntA(section, key, 0,
                                                                  paths.scriptPath));
    const int groups = CheckScriptCount(groupCount, kMaxScriptGroups);
    if (groups < 0) return false;
    char name[kScriptValueSize];
    char fileKey[kScriptValueSize];
    for (int group = 1; group <= groups; ++group) {
        FormatFileCountKey(key, group);
        const int fileCount = static_cast<int>(GetPrivateProfileIntA(section, key, 0,
                                                                     paths.scriptPath));
        const int files = CheckScriptCount(fileCount, kMaxGroupFiles);
        if (files < 0) allCurrent = false;
        for (int file = 1; file <= files; ++file) {
            FormatFileKey(key, group, file, "Name");
            GetPrivateProfileStringA(section, key, "", name, sizeof name, paths.scriptPath);
            FormatFileKey(key, group, file, "Key");
            GetPrivateProfileStringA(section, key, "", fileKey, sizeof fileKey, paths.scriptPath);
            if (!IsFileCurrent(paths, name, fileKey, queryFileSystem)) allCurrent = false;
        }
    }
    return allCurrent;
}

}  // namespace

int QueryVolumeFileSystem(const char* path, char* name, DWORD size) {
    char root[MAX_PATH + 1];
    if (!GetVolumePathNameA(path, root, sizeof root)) return 0;
    return GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, name, size) ? 1
                                                                                          : 0;
}

int IsSafeRelativeName(const char* name) {
    if (name[0] == '\\' || name[0] == '/') return 0;
    if (name[0] != '\0' && name[1] == ':') return 0;
    // Look at each component between separators for "..".
    const char* component = name;
    for (const char* p = name;; ++p) {
        if (*p == '\0' || *p == '\\' || *p == '/') {
            if (p - component == 2 && component[0] == '.' && component[1] == '.') return 0;
            if (*p == '\0') break;
            component = p + 1;
        } else if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0') {
            ++p;
        }
    }
    return 1;
}

int IsFileCurrent(const ProductPaths& paths, const char* name, const char* key,
                  VolumeFileSystemQuery queryFileSystem) {
    char source[kPathSize];
    if (!IsSafeRelativeName(name) || !FormatPath(source, "%s%s", paths.sourceFolder, name)) {
        return 0;
    }

    char recorded[kPathSize];
    if (!ReadProfilePath(recorded, paths.baseName, key, paths.sharedIniPath)) return 0;

    if (recorded[0] != '\0') {
        if (PathExists(recorded) && HasSourceWriteTime(source, recorded, queryFileSystem)) {
            return 1;
        }
        WritePrivateProfileStringA(paths.baseName, key, nullptr, paths.sharedIniPath);
        return 0;
    }

    // Nothing recorded: adopt a current copy already present in the proposed destination.
    char candidate[kPathSize];
    if (paths.destFolder[0] == '\0' || !FormatPath(candidate, "%s%s", paths.destFolder, name) ||
        !PathExists(candidate) || !HasSourceWriteTime(source, candidate, queryFileSystem)) {
        return 0;
    }
    WritePrivateProfileStringA(paths.baseName, key, candidate, paths.sharedIniPath);
    return 1;
}

int AreRequiredFilesCurrent(const ProductPaths& paths, VolumeFileSystemQuery queryFileSystem) {
    if (paths.sourceFolder[0] == '\0') return 0;
    const bool required = AreSectionFilesCurrent(paths, kRequiredSection, queryFileSystem);
    AreSectionFilesCurrent(paths, kOptionalSection, queryFileSystem);
    return required ? 1 : 0;
}

int SetupDialog::IsFileCurrent(const char* name, const char* key) {
    return ::IsFileCurrent(m_paths, name, key);
}

int SetupDialog::AreRequiredFilesCurrent() { return ::AreRequiredFilesCurrent(m_paths); }
