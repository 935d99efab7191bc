#include "toolkit/rawpal.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

TEST(RawPalette, CreateIsAllBlack) {
    RawPalette* palette = RAWPAL_Create();
    ASSERT_NE(palette, nullptr);
    for (int i = 0; i < 768; ++i) ASSERT_EQ(palette->rgb[i], 0) << i;
    RAWPAL_Free(palette);
    RAWPAL_Free(nullptr);
}

TEST(RawPalette, DefaultEntries) {
    // Entries picked across the table: text colours, greys, ramps, the black block, white.
    struct {
        int index;
        std::uint8_t r, g, b;
    } entries[] = {
        {0, 0x00, 0x00, 0x00},   {1, 0x00, 0x00, 0xA8},   {6, 0xA8, 0x54, 0x00},
        {15, 0xFC, 0xFC, 0xFC},  {16, 0xEC, 0xEC, 0xEC},  {58, 0xFC, 0x88, 0x20},
        {68, 0xFC, 0xF8, 0x5C},  {103, 0x04, 0xA4, 0x00}, {115, 0x7C, 0xFC, 0xF8},
        {143, 0x00, 0x04, 0xFC}, {160, 0xF0, 0xD8, 0xFC}, {203, 0xF0, 0x94, 0x5C},
        {223, 0x28, 0x20, 0x0C}, {224, 0x00, 0x00, 0x00}, {231, 0x00, 0x00, 0x00},
        {232, 0xC4, 0x28, 0x28}, {247, 0x2C, 0x28, 0xC4}, {254, 0xC4, 0x28, 0x28},
        {255, 0xFC, 0xFC, 0xFC},
    };
    RawPalette* palette = RAWPAL_Create();
    ASSERT_NE(palette, nullptr);
    RAWPAL_SetDefault(palette);
    for (const auto& e : entries) {
        const std::uint8_t* rgb = palette->rgb + 3 * e.index;
        EXPECT_EQ(rgb[0], e.r) << "entry " << e.index;
        EXPECT_EQ(rgb[1], e.g) << "entry " << e.index;
        EXPECT_EQ(rgb[2], e.b) << "entry " << e.index;
    }
    for (int i = 224; i <= 231; ++i)
        EXPECT_EQ(palette->rgb[3 * i] | palette->rgb[3 * i + 1] | palette->rgb[3 * i + 2], 0) << i;
    EXPECT_EQ(std::memcmp(palette->rgb, RAWPAL_DefaultColours(), 768), 0);
    RAWPAL_Free(palette);
}

}  // namespace
