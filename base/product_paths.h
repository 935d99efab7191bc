// The paths of one product, derived once from the launcher executable's own location and
// read by everything else: the install-state check, the setup window, the install run and
// the game launch take them from here and never rebuild them.
#pragma once

#include "base/paths.h"

struct ProductPaths {
    char sourceFolder[kPathSize];   // drive and folder of the launcher, trailing backslash
    char destFolder[kPathSize];     // proposed destination folder, trailing backslash
    char sharedIniPath[kPathSize];  // the installed-products file in the Windows folder
    char scriptPath[kPathSize];     // the install script beside the launcher
    char baseName[kPathSize];       // launcher file name without folder and extension
};

// Fills paths from the launcher's full file name: source folder, base name, install script
// (same folder and name, extension "inf"), shared file, and the proposed destination from the
// script's General/DefaultDir or, when that is empty or does not fit, the default folder for the
// base name. Returns 1, or 0 with every path empty when the launcher's path or one derived from
// it does not fit its buffer or the shared file's path cannot be formed.
int DeriveProductPaths(ProductPaths* paths, const char* launcherPath);
// The same for the running module (GetModuleFileNameA of module). Returns 0 when the module's
// name does not fit or cannot be read.
int DeriveProductPathsForModule(ProductPaths* paths, HMODULE module);
