#include "base/product_paths.h"

#include <cstring>

#include "base/install_script.h"

namespace {

void Clear(ProductPaths* paths) {
    paths->sourceFolder[0] = paths->destFolder[0] = paths->sharedIniPath[0] = '\0';
    paths->scriptPath[0] = paths->baseName[0] = '\0';
}

// The proposed destination: DefaultDir with a trailing backslash when rules::UsesDefaultDir
// takes it, or the default folder for the base name when the value is empty, relative (it
// would name a folder below wherever the launcher was started) or does not fit (a cut value
// could name another folder).
void DeriveDestFolder(ProductPaths* paths) {
    if (ReadDefaultDir(paths->destFolder, paths->scriptPath) &&
        rules::UsesDefaultDir(paths->destFolder) && AddTrailingBackslash(paths->destFolder)) {
        return;
    }
    GetDefaultInstallDir(paths->destFolder, paths->baseName);
}

}  // namespace

int DeriveProductPaths(ProductPaths* paths, const char* launcherPath) {
    Clear(paths);
    PathParts parts;
    if (!SplitPath(&parts, launcherPath) ||
        !JoinPath(paths->sourceFolder, parts.drive, parts.folder, nullptr, nullptr) ||
        !JoinPath(paths->scriptPath, parts.drive, parts.folder, parts.name, "inf") ||
        !GetSharedIniPath(paths->sharedIniPath)) {
        Clear(paths);
        return 0;
    }
    std::strcpy(paths->baseName, parts.name);
    DeriveDestFolder(paths);
    return 1;
}

int DeriveProductPathsForModule(ProductPaths* paths, HMODULE module) {
    // One byte more than a path may hold, so that a name that was cut shows by its length.
    char launcherPath[kPathSize + 1];
    const DWORD length = GetModuleFileNameA(module, launcherPath, sizeof launcherPath);
    if (length == 0 || length >= static_cast<DWORD>(kPathSize)) {
        Clear(paths);
        return 0;
    }
    launcherPath[length] = '\0';
    return DeriveProductPaths(paths, launcherPath);
}
