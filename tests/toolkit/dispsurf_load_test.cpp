// Pictures loaded onto a display surface by their extension.
#include <gtest/gtest.h>

#include <cstring>

#include "toolkit/dispsurf.h"
#include "tests/toolkit/fixtures.h"
#include "toolkit/rawpal.h"

namespace {

using fixtures::Bytes;

// A single-image WIZ file: a 3 x 2 picture with its own palette (byte k holds 3k), a literal row and a row whose middle pixel is transparent
// and so keeps the fill colour 255.
Bytes SmallWiz() {
    Bytes wizd;
    fixtures::PutLE16(wizd, 4);
    fixtures::PutBytes(wizd, {0x08, 1, 2, 3});
    fixtures::PutLE16(wizd, 5);
    fixtures::PutBytes(wizd, {0x02, 7, 0x03, 0x02, 9});
    Bytes file;
    fixtures::PutTag(file, "    ");
    fixtures::PutBE32(file, 8 + 20 + (8 + 768) + 8 + static_cast<std::uint32_t>(wizd.size()));
    fixtures::PutTag(file, "WIZH");
    fixtures::PutBE32(file, 20);
    fixtures::PutLE32(file, 1);
    fixtures::PutLE32(file, 3);
    fixtures::PutLE32(file, 2);
    fixtures::PutTag(file, "RGBS");
    fixtures::PutBE32(file, 8 + 768);
    for (int i = 0; i < 768; ++i) file.push_back(static_cast<std::uint8_t>(i * 3));
    fixtures::PutTag(file, "WIZD");
    fixtures::PutBE32(file, 8 + static_cast<std::uint32_t>(wizd.size()));
    file.insert(file.end(), wizd.begin(), wizd.end());
    return file;
}

TEST(SurfaceLoadPicture, PixelsAndColoursReachTheSurface) {
    const std::string path = fixtures::WriteTempFile("start.wiz", SmallWiz());

    DisplaySurface* surface = SURFACE_LoadPicture(path.c_str(), 0);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(surface->width, 3);
    EXPECT_EQ(surface->height, 2);
    const std::uint8_t expected[2][3] = {{1, 2, 3}, {7, 255, 9}};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(surface->view.pixels[row * surface->view.width + column],
                      expected[row][column]);
        }
    }
    for (int i = 0; i < 256; ++i) {
        if (surface->reserved[i]) continue;
        ASSERT_EQ(surface->colours.rgb[3 * i], static_cast<std::uint8_t>(9 * i)) << i;
        ASSERT_EQ(surface->entries[i].peBlue, static_cast<std::uint8_t>(9 * i + 6)) << i;
    }
    SURFACE_Free(surface);
}

TEST(SurfaceLoadPicture, NullForUnknownExtensionMissingOrDamagedFile) {
    const Bytes file = SmallWiz();
    struct Case {
        const char* name;
        bool write;
        Bytes bytes;
    };
    const Case cases[] = {
        {"start.bmp", true, file},
        {"start", true, file},
        {"missing.wiz", false, {}},
        {"damaged.wiz", true, Bytes(file.begin(), file.begin() + 12)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = c.write ? fixtures::WriteTempFile(c.name, c.bytes)
                                         : fixtures::WriteTempFile("x.txt", Bytes{}) + "-" + c.name;
        EXPECT_EQ(SURFACE_LoadPicture(path.c_str(), 0), nullptr);
    }
}

}  // namespace
