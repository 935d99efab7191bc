// Pictures: a bitmap with its palette, as every image loader returns them.
#pragma once

#include <cstdint>

#include "toolkit/rawbitm.h"
#include "toolkit/rawpal.h"

struct RawPicture {
    RawBitmap* bitmap;    // owned
    RawPalette* palette;  // owned; null when the picture carries no colours of its own
};

// Returns a new picture that owns bitmap and palette (palette may be null), or null, in
// which case the caller still owns both. Free with RAWPICT_Free.
RawPicture* RAWPICT_Wrap(RawBitmap* bitmap, RawPalette* palette);
// Returns a new picture with a zero bitmap of width x height and an all-black palette, or
// null (then nothing is left allocated). Free with RAWPICT_Free.
RawPicture* RAWPICT_Create(std::int32_t width, std::int32_t height);
// Frees the bitmap and palette (when present) and the record. picture may be null.
void RAWPICT_Free(RawPicture* picture);
