// Choice of picture loader by the file name's extension: ".LBM" (IFF), ".PCX" and ".WIZ"
// (first image, fill colour 255), compared without regard to case.
#pragma once

#include "toolkit/rawpict.h"

// The extension of path, dot included, by the platform's splitting rule: a leading drive
// letter with its colon is set aside, the last backslash or slash ends the folder, and the
// extension runs from the last dot of the rest (empty when there is none). Returns a
// pointer into path.
const char* PICTURE_GetExtension(const char* path);
// Returns a new picture from the loader the extension names, or null (unknown extension or
// a failed load; *reason, when reason is not null, names why). Free with RAWPICT_Free.
RawPicture* PICTURE_Load(const char* path, const char** reason = nullptr);
