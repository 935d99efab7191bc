// The display surface's WinG path, reached by making the DIB-section probe fail. A stand-in
// WING32.DLL (fakewing/) lies beside this test program. Its own process, because the method
// is chosen once per process.
#include <windows.h>

#include <gtest/gtest.h>

#include "toolkit/dispsurf.h"
#include "toolkit/dispsurf_seams.h"
#include "toolkit/rawbitm.h"
#include "tests/toolkit/surface_probe.h"

namespace {

TEST(DisplaySurfaceWinG, UsedWhenDibSectionsAreMissingAndDrawsTheSamePixels) {
    ASSERT_EQ(SURFACE_GetMethod(), SURFACE_METHOD_NONE);
    SURFACE_TestFailDibProbe = 1;
    const int width = 13;
    const int height = 6;
    DisplaySurface* surface = SURFACE_Create(width, height, 0);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(SURFACE_GetMethod(), SURFACE_METHOD_WING);
    EXPECT_NE(GetModuleHandleA("WING32.DLL"), nullptr);
    for (int i = 0; i < surface->view.size; ++i) ASSERT_EQ(surface->view.pixels[i], 0) << i;

    RawPalette palette{};
    for (int i = 0; i < 768; ++i) palette.rgb[i] = static_cast<std::uint8_t>(i * 5 + 1);
    SURFACE_SetColors(surface, &palette, 1);
    RawBitmap* picture = RAWBITM_Create(width, height);
    ASSERT_NE(picture, nullptr);
    for (int i = 0; i < picture->size; ++i) picture->pixels[i] = static_cast<std::uint8_t>(i * 11);
    ToolRect area;
    RECT_SetSize(&area, width, height);
    RAWBITM_Copy(&surface->view, &area, picture, &area);

    surface_probe::Canvas canvas(width + 4, height + 4, 0);
    SURFACE_Draw(canvas.Dc(), 2, 3, surface);
    GdiFlush();
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const int index = picture->pixels[row * width + column];
            ASSERT_EQ(canvas.Pixel(2 + column, 3 + row),
                      surface_probe::Rgb(palette.rgb[3 * index], palette.rgb[3 * index + 1],
                                         palette.rgb[3 * index + 2]))
                << column << "," << row;
        }
    }
    RAWBITM_Free(picture);
    SURFACE_Free(surface);
}

}  // namespace
