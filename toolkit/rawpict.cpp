// Pictures: a bitmap and its palette under one owner.
#include "toolkit/rawpict.h"

#include "toolkit/toolmem.h"

RawPicture* RAWPICT_Wrap(RawBitmap* bitmap, RawPalette* palette) {
    auto* picture = static_cast<RawPicture*>(TOOLMEM_Alloc(1, sizeof(RawPicture)));
    if (picture == nullptr) {
        return nullptr;
    }
    picture->bitmap = bitmap;
    picture->palette = palette;
    return picture;
}

RawPicture* RAWPICT_Create(std::int32_t width, std::int32_t height) {
    RawPalette* palette = RAWPAL_Create();
    if (palette == nullptr) {
        return nullptr;
    }
    RawBitmap* bitmap = RAWBITM_Create(width, height);
    if (bitmap == nullptr) {
        RAWPAL_Free(palette);
        return nullptr;
    }
    RawPicture* picture = RAWPICT_Wrap(bitmap, palette);
    if (picture == nullptr) {
        RAWBITM_Free(bitmap);
        RAWPAL_Free(palette);
        return nullptr;
    }
    return picture;
}

void RAWPICT_Free(RawPicture* picture) {
    if (picture == nullptr) {
        return;
    }
    if (picture->bitmap != nullptr) {
        RAWBITM_Free(picture->bitmap);
    }
    RAWPAL_Free(picture->palette);
    TOOLMEM_Free(picture);
}
