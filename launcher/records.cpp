#include "launcher/records.h"

#include <cstdio>

int ReadRecord(const ProductPaths& paths, const char* key, char* dest) {
    if (!rules::IsSafeRecordKey(key)) {
        dest[0] = '\0';
        return 0;
    }
    return ReadProfilePath(dest, paths.baseName, key, paths.sharedIniPath);
}

int WriteRecord(const ProductPaths& paths, const char* key, const char* path) {
    if (!rules::IsSafeRecordKey(key)) return 0;
    return WritePrivateProfileStringA(paths.baseName, key, path, paths.sharedIniPath) ? 1 : 0;
}

void EraseRecord(const ProductPaths& paths, const char* key) {
    if (!rules::IsSafeRecordKey(key)) return;
    WritePrivateProfileStringA(paths.baseName, key, nullptr, paths.sharedIniPath);
}

int ReadShowStartupAgain(const ProductPaths& paths) {
    return static_cast<int>(
        GetPrivateProfileIntA(paths.baseName, rules::kShowStartupAgainKey, 1, paths.sharedIniPath));
}

void WriteShowStartupAgain(const ProductPaths& paths, int showAgain) {
    char value[16];
    std::snprintf(value, sizeof value, "%d", showAgain);
    WritePrivateProfileStringA(paths.baseName, rules::kShowStartupAgainKey, value,
                               paths.sharedIniPath);
}
