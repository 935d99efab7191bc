#include "toolkit/rawpict.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Leaks and double frees are the sanitizers' to find: each test frees exactly what it owns.

TEST(RawPicture, CreateHasZeroBitmapAndBlackPalette) {
    RawPicture* picture = RAWPICT_Create(5, 4);
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(picture->bitmap, nullptr);
    ASSERT_NE(picture->palette, nullptr);
    EXPECT_EQ(picture->bitmap->width, 5);
    EXPECT_EQ(picture->bitmap->height, 4);
    EXPECT_EQ(picture->bitmap->size, 20);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(picture->bitmap->pixels[i], 0);
    for (int i = 0; i < 768; ++i) EXPECT_EQ(picture->palette->rgb[i], 0);
    RAWPICT_Free(picture);
}

TEST(RawPicture, CreateRefusesWhatABitmapRefuses) {
    EXPECT_EQ(RAWPICT_Create(-1, 4), nullptr);  // the palette made first is freed again
    EXPECT_EQ(RAWPICT_Create(100000, 100000), nullptr);
}

TEST(RawPicture, WrapTakesOwnership) {
    RawBitmap* bitmap = RAWBITM_Create(2, 2);
    RawPalette* palette = RAWPAL_Create();
    RawPicture* picture = RAWPICT_Wrap(bitmap, palette);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->bitmap, bitmap);
    EXPECT_EQ(picture->palette, palette);
    RAWPICT_Free(picture);

    RawPicture* noColours = RAWPICT_Wrap(RAWBITM_Create(1, 1), nullptr);
    ASSERT_NE(noColours, nullptr);
    EXPECT_EQ(noColours->palette, nullptr);
    RAWPICT_Free(noColours);
    RAWPICT_Free(nullptr);
}

}  // namespace
