#include "toolkit/wizimage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/toolkit/fixtures.h"
#include "toolkit/picreason.h"
#include "toolkit/rawbitm.h"
#include "toolkit/rawpal.h"
#include "toolkit/rawpict.h"

namespace {

using fixtures::Bytes;

// A block: tag, big-endian size of the whole block, payload. size, when not -1, replaces
// the true size in the header.
Bytes Block(const char* tag, const Bytes& payload, std::int64_t size = -1) {
    Bytes out;
    fixtures::PutTag(out, tag);
    fixtures::PutBE32(out, size >= 0 ? static_cast<std::uint32_t>(size)
                                     : static_cast<std::uint32_t>(8 + payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes Wizh(std::uint32_t compression, std::uint32_t width, std::uint32_t height) {
    Bytes payload;
    fixtures::PutLE32(payload, compression);
    fixtures::PutLE32(payload, width);
    fixtures::PutLE32(payload, height);
    return Block("WIZH", payload);
}

// A palette whose bytes all differ from the default one's.
Bytes Colours(std::uint8_t seed) {
    Bytes rgb(768);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return rgb;
}

// One row of width pixels of one colour, run-length coded.
Bytes SolidRow(std::uint8_t width, std::uint8_t colour) {
    return {2, 0, static_cast<std::uint8_t>(((width - 1) << 2) | 2), colour};
}

const Bytes kWizhExample = Wizh(1, 2, 1);
const Bytes kWizdExample = Block("WIZD", SolidRow(2, 5));

Bytes DefaultColours() { return Bytes(RAWPAL_DefaultColours(), RAWPAL_DefaultColours() + 768); }

Bytes Pixels(const RawPicture* picture) {
    const RawBitmap* bitmap = picture->bitmap;
    return Bytes(bitmap->pixels, bitmap->pixels + bitmap->size);
}

Bytes PaletteOf(const RawPicture* picture) {
    return Bytes(picture->palette->rgb, picture->palette->rgb + 768);
}

WIZ_MEMFILE Memfile(Bytes& bytes) {
    return WIZ_MEMFILE{static_cast<std::uint32_t>(bytes.size()), bytes.data()};
}

TEST(WizImage, WorkedExampleLoads) {
    Bytes file;
    fixtures::PutBytes(
        file, {' ',  ' ',  ' ',  ' ',  0x00, 0x00, 0x00, 0x28, 'W',  'I',  'Z',  'H',  0x00, 0x00,
               0x00, 0x14, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
               'W',  'I',  'Z',  'D',  0x00, 0x00, 0x00, 0x0C, 0x02, 0x00, 0x06, 0x05});
    ASSERT_EQ(file.size(), 40u);
    const WIZ_MEMFILE memfile = Memfile(file);
    for (std::uint32_t index : {0u, 7u}) {  // a single-image file ignores the index
        RawPicture* picture = WIZ_LoadImage(&memfile, index, 255);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->bitmap->width, 2);
        EXPECT_EQ(picture->bitmap->height, 1);
        EXPECT_EQ(Pixels(picture), (Bytes{5, 5}));
        EXPECT_EQ(PaletteOf(picture), DefaultColours());
        RAWPICT_Free(picture);
    }
    EXPECT_EQ(WIZ_FindChild("WIZD", file.data(), 40), file.data() + 28);
    EXPECT_EQ(WIZ_FindChild("WIZD", file.data(), 39), nullptr);  // the root reaches past the data
}

struct SingleCase {
    const char* name;
    Bytes file;
    int fill;
    int width;  // -1: the load fails
    int height;
    Bytes pixels;  // empty: not compared
    bool ownPalette;
    const char* reason;
};

Bytes Root(std::initializer_list<Bytes> children, std::int64_t size = -1) {
    const Bytes body = Cat(children);
    return Block("ROOT", body, size);
}

TEST(WizImage, SingleImageFiles) {
    const Bytes rgbs = Block("RGBS", Colours(3));
    const Bytes transparentThenFill = Block("WIZD", {3, 0, 0x03, 0x02, 9});
    const SingleCase cases[] = {
        {"own palette", Root({kWizhExample, rgbs, kWizdExample}), 255, 2, 1, {5, 5}, true, nullptr},
        {"transparent run keeps the fill",
         Root({Wizh(1, 2, 1), transparentThenFill}),
         17,
         2,
         1,
         {17, 9},
         false,
         nullptr},
        {"compression 0",
         Root({Wizh(0, 2, 1), kWizdExample}),
         255,
         2,
         1,
         {255, 255},
         false,
         nullptr},
        {"no WIZD", Root({Wizh(1, 3, 2)}), 255, 3, 2, Bytes(6, 255), false, nullptr},
        {"fill uses the low byte", Root({Wizh(1, 2, 1)}), 0x1107, 2, 1, {7, 7}, false, nullptr},
        {"odd child size",
         Root({Block("JUNK", {1}), kWizhExample, kWizdExample}),
         0,
         2,
         1,
         {5, 5},
         false,
         nullptr},
        {"unknown blocks skipped",
         Root({Block("JUNK", {}), kWizhExample, Block("XTRA", {1, 2}), kWizdExample}),
         0,
         2,
         1,
         {5, 5},
         false,
         nullptr},
        {"short palette is ignored",
         Root({kWizhExample, Block("RGBS", Bytes(767, 1)), kWizdExample}),
         0,
         2,
         1,
         {5, 5},
         false,
         nullptr},
        {"WIZD shorter than its line",
         Root({kWizhExample, Block("WIZD", {2, 0, 6})}),
         0,
         2,
         1,
         {},
         false,
         nullptr},
        {"zero height", Root({Wizh(1, 2, 0), kWizdExample}), 0, 2, 0, {}, false, nullptr},
        {"huge size hides later children",
         Root({Block("JUNK", {}, 0x80000000u), kWizhExample}),
         0,
         -1,
         0,
         {},
         false,
         PICREASON_WizNoHeader},
        {"child smaller than its header",
         Root({Block("JUNK", {}, 4), kWizhExample}),
         0,
         -1,
         0,
         {},
         false,
         PICREASON_WizNoHeader},
        {"child of size 0",
         Root({Block("JUNK", {}, 0), kWizhExample}),
         0,
         -1,
         0,
         {},
         false,
         PICREASON_WizNoHeader},
        {"child past the data",
         Root({Block("JUNK", {}, 1000), kWizhExample}),
         0,
         -1,
         0,
         {},
         false,
         PICREASON_WizNoHeader},
        {"root past the data",
         Root({kWizhExample, kWizdExample}, 41),
         0,
         -1,
         0,
         {},
         false,
         PICREASON_WizNoHeader},
        {"root holds no children",
         Root({kWizhExample, kWizdExample}, 8),
         0,
         -1,
         0,
         {},
         false,
         PICREASON_WizNoHeader},
        {"WIZH too short",
         Root({Block("WIZH", {1, 0, 0, 0, 2, 0, 0, 0})}),
         0,
         -1,
         0,
         {},
         false,
         PICREASON_WizShortHeader},
        {"negative width",
         Root({Wizh(1, 0x80000000u, 1)}),
         0,
         -1,
         0,
         {},
         false,
         PICREASON_WizBadSize},
        {"width times height overflows",
         Root({Wizh(1, 0x10000, 0x10000)}),
         0,
         -1,
         0,
         {},
         false,
         PICREASON_TooLarge},
        {"past the bitmap limit",
         Root({Wizh(1, static_cast<std::uint32_t>(RAWBITM_MaxBytes) + 1, 1)}),
         0,
         -1,
         0,
         {},
         false,
         PICREASON_TooLarge},
        {"header only",
         Bytes{'R', 'O', 'O', 'T', 0, 0, 0, 8},
         0,
         -1,
         0,
         {},
         false,
         PICREASON_WizNoHeader},
        {"shorter than a header",
         Bytes{'R', 'O', 'O', 'T'},
         0,
         -1,
         0,
         {},
         false,
         PICREASON_WizNoHeader},
    };
    for (const SingleCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = c.file;  // exactly sized, so a read past the end shows under the sanitizer
        const WIZ_MEMFILE memfile = Memfile(file);
        const char* reason = nullptr;
        RawPicture* picture = WIZ_LoadImage(&memfile, 0, c.fill, &reason);
        if (c.width < 0) {
            EXPECT_EQ(picture, nullptr);
            EXPECT_STREQ(reason, c.reason);
            RAWPICT_Free(picture);
            continue;
        }
        ASSERT_NE(picture, nullptr) << (reason != nullptr ? reason : "");
        EXPECT_EQ(picture->bitmap->width, c.width);
        EXPECT_EQ(picture->bitmap->height, c.height);
        if (!c.pixels.empty()) {
            EXPECT_EQ(Pixels(picture), c.pixels);
        }
        EXPECT_EQ(PaletteOf(picture), c.ownPalette ? Colours(3) : DefaultColours());
        RAWPICT_Free(picture);
    }
}

// A multi-image file: WRAP holds OFFS with one entry per image and the images; DEFA holds
// defaults. Entries count from the OFFS tag.
struct MultSpec {
    bool wrap = true;
    bool defaults = true;
    int entries = 3;
    std::int64_t entryOverride = -1;  // replaces entry 0 when >= 0
    std::int64_t offsSize = -1;       // overrides the OFFS size field when not -1
};

Bytes Image(std::uint8_t width, std::uint8_t colour, bool ownPalette) {
    Bytes children = Wizh(1, width, 1);
    if (ownPalette) children = Cat({children, Block("RGBS", Colours(40))});
    children = Cat({children, Block("WIZD", SolidRow(width, colour))});
    return Block("IMAG", children);
}

Bytes BuildMult(const MultSpec& spec) {
    const Bytes images[] = {Image(1, 11, false), Image(2, 22, true), Image(3, 33, false)};
    const Bytes filler = Block("FILL", {0, 0, 0, 0});  // puts image 0 at 0x20 after OFFS
    const std::uint32_t tableEnd = 8 + 4 * static_cast<std::uint32_t>(spec.entries);
    Bytes table;
    std::uint32_t at = tableEnd + static_cast<std::uint32_t>(filler.size());
    for (int i = 0; i < spec.entries; ++i) {
        const std::uint32_t entry = (i == 0 && spec.entryOverride >= 0)
                                        ? static_cast<std::uint32_t>(spec.entryOverride)
                                        : at;
        fixtures::PutLE32(table, entry);
        at += static_cast<std::uint32_t>(images[i % 3].size());
    }
    Bytes wrapBody = Cat({Block("OFFS", table, spec.offsSize), filler});
    for (int i = 0; i < spec.entries; ++i) wrapBody = Cat({wrapBody, images[i % 3]});
    Bytes rootBody;
    if (spec.wrap) rootBody = Block("WRAP", wrapBody);
    if (spec.defaults) rootBody = Cat({rootBody, Block("DEFA", Block("RGBS", Colours(90)))});
    return Block("MULT", rootBody);
}

TEST(WizImage, MultiImageFileUsesOffsetsAndDefaults) {
    Bytes file = BuildMult({});
    const WIZ_MEMFILE memfile = Memfile(file);

    const std::uint8_t* offs = file.data() + 16;  // MULT header, WRAP header
    ASSERT_EQ(std::memcmp(offs, "OFFS", 4), 0);
    EXPECT_EQ(WIZ_FindBlock(&memfile, 0, "WIZH"), offs + 0x20 + 8);

    const struct {
        std::uint32_t index;
        int width;
        std::uint8_t colour;
        Bytes palette;
    } cases[] = {
        {0, 1, 11, Colours(90)},
        {1, 2, 22, Colours(40)},  // its own palette wins over the default
        {2, 3, 33, Colours(90)},
    };
    for (const auto& c : cases) {
        RawPicture* picture = WIZ_LoadImage(&memfile, c.index, 0);
        ASSERT_NE(picture, nullptr) << c.index;
        EXPECT_EQ(picture->bitmap->width, c.width) << c.index;
        EXPECT_EQ(Pixels(picture), Bytes(static_cast<std::size_t>(c.width), c.colour)) << c.index;
        EXPECT_EQ(PaletteOf(picture), c.palette) << c.index;
        RAWPICT_Free(picture);
    }
    const char* reason = nullptr;
    EXPECT_EQ(WIZ_LoadImage(&memfile, 3, 0, &reason), nullptr);
    EXPECT_STREQ(reason, PICREASON_WizNoHeader);
}

TEST(WizImage, MultiImageFileFaults) {
    const struct {
        const char* name;
        MultSpec spec;
        std::uint32_t index;
        bool loads;
    } cases[] = {
        {"no defaults: default palette", {true, false}, 0, true},
        {"no WRAP", {false, true}, 0, false},
        {"empty offset table", {true, true, 0}, 0, false},
        {"OFFS shorter than its header", {true, true, 3, -1, 4}, 0, false},
        {"OFFS size past the data", {true, true, 3, -1, 0x7FFFFFF0u}, 0, false},
        {"entry past the data", {true, true, 3, 0x7FFFFFFF}, 0, false},
        {"entry of 0xFFFFFFFF", {true, true, 3, 0xFFFFFFFF}, 0, false},
        {"entry onto the OFFS block itself", {true, true, 3, 0}, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes file = BuildMult(c.spec);
        const WIZ_MEMFILE memfile = Memfile(file);
        RawPicture* picture = WIZ_LoadImage(&memfile, c.index, 0);
        EXPECT_EQ(picture != nullptr, c.loads);
        if (picture != nullptr) {
            EXPECT_EQ(PaletteOf(picture), DefaultColours());
        }
        RAWPICT_Free(picture);
    }

    // An entry that ends 4 bytes short of the end of the file.
    Bytes file = BuildMult({});
    const std::uint32_t offsAt = 16;
    const auto nearEnd = static_cast<std::uint32_t>(file.size() - offsAt - 4);
    testbytes::SetLE32(file, offsAt + 8, nearEnd);
    const WIZ_MEMFILE memfile = Memfile(file);
    EXPECT_EQ(WIZ_FindBlock(&memfile, 0, "WIZH"), nullptr);
}

TEST(WizImage, LoadFileReadsTheFirstImage) {
    const Bytes file = Root({kWizhExample, Block("RGBS", Colours(3)), kWizdExample});
    const std::string path = fixtures::WriteTempFile("PICTURE.WIZ", file);
    const char* reason = nullptr;
    RawPicture* picture = WIZ_LoadFile(path.c_str(), 255, &reason);
    ASSERT_NE(picture, nullptr) << (reason != nullptr ? reason : "");
    EXPECT_EQ(Pixels(picture), (Bytes{5, 5}));
    EXPECT_EQ(PaletteOf(picture), Colours(3));
    RAWPICT_Free(picture);

    Bytes multi = BuildMult({});
    picture = WIZ_LoadFile(fixtures::WriteTempFile("MULTI.WIZ", multi).c_str(), 255);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->bitmap->width, 1);
    RAWPICT_Free(picture);

    const struct {
        std::string path;
        const char* reason;
    } failures[] = {
        {path + ".missing", PICREASON_NotFound},
        {fixtures::WriteTempFile("EMPTY.WIZ", {}), PICREASON_WizNoHeader},
    };
    for (const auto& f : failures) {
        reason = nullptr;
        EXPECT_EQ(WIZ_LoadFile(f.path.c_str(), 255, &reason), nullptr) << f.path;
        EXPECT_STREQ(reason, f.reason) << f.path;
    }
}

// The worked example followed by zero bytes up to the cap and one past it: the file is made
// sparse by resizing, so it costs no disk, and the load must refuse the larger one by its
// length before taking memory for it. The one at the cap loads, block walk unchanged.
TEST(WizImage, LoadFileRefusesAFileLargerThanTheCap) {
    const Bytes example = Root({kWizhExample, kWizdExample});
    const struct {
        const char* name;
        std::uintmax_t length;
        const char* reason;  // null: loads
    } cases[] = {
        {"ATCAP.WIZ", WIZ_MaxFileBytes, nullptr},
        {"OVERCAP.WIZ", std::uintmax_t{WIZ_MaxFileBytes} + 1, PICREASON_WizFileTooLarge},
    };
    for (const auto& c : cases) {
        const std::string path = fixtures::WriteTempFile(c.name, example);
        std::filesystem::resize_file(path, c.length);
        const char* reason = nullptr;
        RawPicture* picture = WIZ_LoadFile(path.c_str(), 255, &reason);
        if (c.reason == nullptr) {
            ASSERT_NE(picture, nullptr) << c.name << ": " << (reason != nullptr ? reason : "");
            EXPECT_EQ(Pixels(picture), (Bytes{5, 5})) << c.name;
            RAWPICT_Free(picture);
        } else {
            EXPECT_EQ(picture, nullptr) << c.name;
            EXPECT_STREQ(reason, c.reason) << c.name;
        }
        std::filesystem::remove(path);
    }
}

}  // namespace
