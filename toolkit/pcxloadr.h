// PCX pictures of 8 bits per pixel in one plane, run-length coded, with the 256-colour
// palette in the last 768 bytes of the file.
#pragma once

#include "rawpict.h"

// Returns a new picture (bitmap and palette), or null; on null, *reason (when reason is not
// null) names why. Free the picture with RAWPICT_Free.
RawPicture* PCX_Load(const char* path, const char** reason = nullptr);
