// PCX pictures of 8 bits per pixel in one plane, run-length coded, with the 256-colour
// palette in the last 768 bytes of the file.
#pragma once

#include "rawpict.h"

// Returns a new picture (bitmap and palette), or null; on null, *reason (when reason is not
// null) names why. Refused: a header other than manufacturer 10, version 5, 8 bits per
// pixel and one plane; bytes per line below the width; xmax below xmin or ymax below ymin;
// more than RAWBITM_MaxBytes pixels. Pixel data that ends early leaves the rows it does not
// reach at index 0; a file without 768 bytes after the header keeps a black palette.
// Free the picture with RAWPICT_Free.
RawPicture* PCX_Load(const char* path, const char** reason = nullptr);
