#include "base/records.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

// The full path of path in full (kPathSize bytes). false when it cannot be formed or does not
// fit.
bool ResolveFullPath(const char* path, char* full) {
    const DWORD length = GetFullPathNameA(path, static_cast<DWORD>(kPathSize), full, nullptr);
    return length != 0 && length < static_cast<DWORD>(kPathSize);
}

}  // namespace

int ResolveRecordPath(const char* value, char* full) {
    full[0] = '\0';
    if (!rules::IsFullPathShape(value, &IsLeadByte)) return 0;
    char resolved[kPathSize];
    if (!ResolveFullPath(value, resolved) ||
        !rules::IsSameRecordSpelling(value, resolved, &IsLeadByte))
        return 0;
    std::memcpy(full, resolved, std::strlen(resolved) + 1);
    return 1;
}

int IsRecordable(const ProductPaths& paths, const char* key) {
    return rules::IsSafeSectionName(paths.baseName) && rules::IsSafeRecordKey(key) ? 1 : 0;
}

int IsRecordPath(const char* value) {
    char full[kPathSize];
    return ResolveRecordPath(value, full);
}

int ReadRecord(const ProductPaths& paths, const char* key, char* dest) {
    if (!IsRecordable(paths, key)) {
        dest[0] = '\0';
        return kRecordRefused;
    }
    if (!ReadProfilePath(dest, paths.baseName, key, paths.sharedIniPath)) return kRecordRefused;
    if (dest[0] != '\0') {
        // A record spelled another way names its copy by its resolution from here on.
        char full[kPathSize];
        if (!ResolveRecordPath(dest, full)) {
            dest[0] = '\0';
            return kRecordNoCopy;
        }
        std::memcpy(dest, full, std::strlen(full) + 1);
    }
    return kRecordRead;
}

int WriteRecord(const ProductPaths& paths, const char* key, const char* path) {
    char full[kPathSize];
    if (!IsRecordable(paths, key) || !ResolveFullPath(path, full) || !IsRecordPath(full)) {
        return 0;
    }
    return WritePrivateProfileStringA(paths.baseName, key, full, paths.sharedIniPath) ? 1 : 0;
}

int EraseRecord(const ProductPaths& paths, const char* key) {
    if (!IsRecordable(paths, key)) return 0;
    return WritePrivateProfileStringA(paths.baseName, key, nullptr, paths.sharedIniPath) ? 1 : 0;
}

int ReadShowStartupAgain(const ProductPaths& paths) {
    if (!rules::IsSafeSectionName(paths.baseName)) return 1;
    return static_cast<int>(
        GetPrivateProfileIntA(paths.baseName, rules::kShowStartupAgainKey, 1, paths.sharedIniPath));
}

void WriteShowStartupAgain(const ProductPaths& paths, int showAgain) {
    if (!rules::IsSafeSectionName(paths.baseName)) return;
    char value[16];
    std::snprintf(value, sizeof value, "%d", showAgain);
    WritePrivateProfileStringA(paths.baseName, rules::kShowStartupAgainKey, value,
                               paths.sharedIniPath);
}
