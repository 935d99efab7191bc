// What every picture-loader fuzz target asks of a load's outcome, whatever the input.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "toolkit/rawpict.h"

namespace fuzz {

// Aborts unless the outcome is sound: a picture has a palette and a bitmap of exactly width
// times height bytes; a failed load (null) names its reason. Frees the picture.
inline void CheckLoad(RawPicture* picture, const char* reason) {
    if (picture == nullptr) {
        if (reason == nullptr) std::abort();
        return;
    }
    const RawBitmap* bitmap = picture->bitmap;
    if (bitmap == nullptr || picture->palette == nullptr ||
        static_cast<std::int64_t>(bitmap->width) * bitmap->height != bitmap->size)
        std::abort();
    RAWPICT_Free(picture);
}

}  // namespace fuzz
