// The display surface under Wine: the method chosen once, the identity palette, colours,
// drawing at an offset and pictures whose width is not a multiple of four.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "toolkit/dispsurf.h"
#include "toolkit/dispsurf_seams.h"
#include "toolkit/rawbitm.h"
#include "toolkit/rawpal.h"
#include "tests/toolkit/surface_probe.h"

namespace {

using surface_probe::Canvas;

TEST(DisplaySurface, FirstCreationChoosesDibSectionsAndKeepsThem) {
    DisplaySurface* first = SURFACE_Create(16, 16, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(SURFACE_GetMethod(), SURFACE_METHOD_DIBSECTION);
    DisplaySurface* second = SURFACE_Create(3, 2, 0);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(SURFACE_GetMethod(), SURFACE_METHOD_DIBSECTION);
    // With working DIB sections the optional library is never touched.
    EXPECT_EQ(GetModuleHandleA("WING32.DLL"), nullptr);
    SURFACE_Free(second);
    SURFACE_Free(first);
}

TEST(DisplaySurface, NewSurfaceIsIndexZeroEverywhere) {
    DisplaySurface* surface = SURFACE_Create(7, 5, 0);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->width, 7);
    EXPECT_EQ(surface->height, 5);
    EXPECT_EQ(surface->view.width % 4, 0);
    EXPECT_GE(surface->view.width, 7);
    for (int i = 0; i < surface->view.size; ++i) ASSERT_EQ(surface->view.pixels[i], 0) << i;
    SURFACE_Free(surface);
}

TEST(DisplaySurface, RefusesEmptyAndOversizedSurfaces) {
    EXPECT_EQ(SURFACE_Create(0, 10, 0), nullptr);
    EXPECT_EQ(SURFACE_Create(10, -1, 0), nullptr);
    EXPECT_EQ(SURFACE_Create(70000, 70000, 0), nullptr);
    SURFACE_Free(nullptr);
}

// On a display without a palette (24 or 32 bits) the surface's palette is four ramps and no
// entry is reserved, so a picture's colours replace all 256.
TEST(DisplaySurface, RampsWithoutSystemColoursOnTrueColourDisplay) {
    HDC screen = GetDC(nullptr);
    const int size = GetDeviceCaps(screen, SIZEPALETTE);
    ReleaseDC(nullptr, screen);
    if (size != 0) GTEST_SKIP() << "palette display: covered by the 8-bit display test";

    DisplaySurface* surface = SURFACE_Create(4, 4, 0);
    ASSERT_NE(surface, nullptr);
    struct Expected {
        int index;
        BYTE r, g, b;
    };
    const Expected table[] = {
        {0, 0, 0, 0},     {63, 252, 252, 252}, {64, 0, 0, 0},    {127, 252, 0, 0}, {128, 0, 0, 0},
        {191, 0, 252, 0}, {192, 0, 0, 0},      {255, 0, 0, 252}, {100, 144, 0, 0}, {200, 0, 0, 32}};
    for (const Expected& e : table) {
        SCOPED_TRACE(e.index);
        EXPECT_EQ(surface->entries[e.index].peRed, e.r);
        EXPECT_EQ(surface->entries[e.index].peGreen, e.g);
        EXPECT_EQ(surface->entries[e.index].peBlue, e.b);
        EXPECT_EQ(surface->colours.rgb[3 * e.index], e.r);
    }
    for (int i = 0; i < 256; ++i) ASSERT_EQ(surface->reserved[i], 0) << i;

    RawPalette palette{};
    for (int i = 0; i < 768; ++i) palette.rgb[i] = static_cast<std::uint8_t>(255 - i % 256);
    SURFACE_SetColors(surface, &palette, 1);
    EXPECT_EQ(std::memcmp(surface->colours.rgb, palette.rgb, 768), 0);
    PALETTEENTRY logical[256];
    ASSERT_EQ(GetPaletteEntries(surface->palette, 0, 256, logical), 256u);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(logical[i].peRed, palette.rgb[3 * i]) << i;
        ASSERT_EQ(logical[i].peBlue, palette.rgb[3 * i + 2]) << i;
    }
    RGBQUAD table2[256];
    ASSERT_EQ(GetDIBColorTable(surface->dc, 0, 256, table2), 256u);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(table2[i].rgbRed, palette.rgb[3 * i]) << i;
        ASSERT_EQ(table2[i].rgbGreen, palette.rgb[3 * i + 1]) << i;
    }
    SURFACE_Free(surface);
}

// On an 8-bit palette display the reserved system colours sit at both ends and a picture's
// colours fill only the entries between them.
TEST(DisplaySurface, SystemColoursKeptAtBothEndsOnPaletteDisplay) {
    HDC screen = GetDC(nullptr);
    const int size = GetDeviceCaps(screen, SIZEPALETTE);
    const int reserved = GetDeviceCaps(screen, NUMRESERVED);
    PALETTEENTRY system[256] = {};
    if (size == 256) GetSystemPaletteEntries(screen, 0, 256, system);
    ReleaseDC(nullptr, screen);
    if (size != 256 || reserved != 20) GTEST_SKIP() << "needs an 8-bit palette display";

    DisplaySurface* surface = SURFACE_Create(8, 8, PC_NOCOLLAPSE);
    ASSERT_NE(surface, nullptr);
    RawPalette palette{};
    for (int i = 0; i < 768; ++i) palette.rgb[i] = static_cast<std::uint8_t>(i * 7);
    SURFACE_SetColors(surface, &palette, 1);
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        const bool systemColour = i < 10 || i >= 246;
        ASSERT_EQ(surface->reserved[i], systemColour ? 1 : 0);
        if (systemColour) {
            EXPECT_EQ(surface->entries[i].peRed, system[i].peRed);
            EXPECT_EQ(surface->entries[i].peGreen, system[i].peGreen);
            EXPECT_EQ(surface->entries[i].peFlags, 0);
        } else {
            EXPECT_EQ(surface->entries[i].peRed, palette.rgb[3 * i]);
            EXPECT_EQ(surface->entries[i].peBlue, palette.rgb[3 * i + 2]);
            EXPECT_EQ(surface->entries[i].peFlags, PC_NOCOLLAPSE);
        }
    }
    RGBQUAD table[256];
    ASSERT_EQ(GetDIBColorTable(surface->dc, 0, 256, table), 256u);
    EXPECT_EQ(table[0].rgbRed, system[0].peRed);
    EXPECT_EQ(table[255].rgbBlue, system[255].peBlue);
    EXPECT_EQ(table[100].rgbRed, palette.rgb[300]);
    SURFACE_Free(surface);
}

// Draws a surface with a distinct colour per pixel and checks every pixel that lands.
void ExpectDrawnExactly(int width, int height, int x, int y) {
    SCOPED_TRACE(testing::Message() << width << "x" << height << " at " << x << "," << y);
    DisplaySurface* surface = SURFACE_Create(width, height, 0);
    ASSERT_NE(surface, nullptr);
    RawPalette palette{};
    for (int i = 0; i < 256; ++i) {
        palette.rgb[3 * i] = static_cast<std::uint8_t>(i);
        palette.rgb[3 * i + 1] = static_cast<std::uint8_t>(255 - i);
        palette.rgb[3 * i + 2] = static_cast<std::uint8_t>(i * 3);
    }
    SURFACE_SetColors(surface, &palette, 1);
    RawBitmap* picture = RAWBITM_Create(width, height);
    ASSERT_NE(picture, nullptr);
    for (int i = 0; i < picture->size; ++i)
        picture->pixels[i] = static_cast<std::uint8_t>((i * 37 + i / width) % 256);
    ToolRect area;
    RECT_SetSize(&area, width, height);
    RAWBITM_Copy(&surface->view, &area, picture, &area);

    Canvas canvas(width + x + 3, height + y + 3, 0x00123456);
    SURFACE_Draw(canvas.Dc(), x, y, surface);
    GdiFlush();
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            // The surface's own colours: the picture's, except reserved system colours on a
            // palette display.
            const int index = picture->pixels[row * width + column];
            const std::uint8_t* rgb = &surface->colours.rgb[3 * index];
            const std::uint32_t expected = surface_probe::Rgb(rgb[0], rgb[1], rgb[2]);
            ASSERT_EQ(canvas.Pixel(x + column, y + row), expected)
                << "column " << column << " row " << row;
        }
    }
    // Nothing left of or above the drawn area, nor right of it, is touched.
    if (x > 0) {
        EXPECT_EQ(canvas.Pixel(x - 1, y), 0x00123456u);
    }
    if (y > 0) {
        EXPECT_EQ(canvas.Pixel(x, y - 1), 0x00123456u);
    }
    EXPECT_EQ(canvas.Pixel(x + width, y), 0x00123456u);
    RAWBITM_Free(picture);
    SURFACE_Free(surface);
}

TEST(DisplaySurface, DrawCopiesTheWholeSurfaceUnscaledAtAnOffset) {
    ExpectDrawnExactly(100, 50, 10, 20);
}

TEST(DisplaySurface, WidthsThatAreNotMultiplesOfFourAreNotSheared) {
    for (int width : {1, 2, 3, 5, 6, 7, 13}) ExpectDrawnExactly(width, 9, 2, 1);
}

}  // namespace
