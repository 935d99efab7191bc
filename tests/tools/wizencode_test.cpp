// The WIZ encoder in process: every picture decodes with the toolkit's own loader to exactly
// what was encoded, and no line is longer than a greedy encoder makes it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/testbytes.h"
#include "toolkit/rawpict.h"
#include "tools/disctool/wizencode.h"
#include "toolkit/wizimage.h"

namespace {

using disctool::Bytes;
using disctool::IndexedPicture;

// The straightforward encoder: transparent pixels in runs of up to 127, two or more equal
// pixels as a fill of up to 64, everything else gathered into literals of up to 64.
Bytes GreedyLine(const std::uint8_t* p, std::size_t width, std::optional<std::uint8_t> t) {
    Bytes codes;
    const auto clear = [&](std::size_t i) { return t && p[i] == *t; };
    std::size_t i = 0;
    while (i < width) {
        std::size_t k = 1;
        if (clear(i)) {
            while (i + k < width && k < 127 && clear(i + k)) ++k;
            codes.push_back(static_cast<std::uint8_t>(k << 1 | 1));
        } else {
            while (i + k < width && k < 64 && !clear(i + k) && p[i + k] == p[i]) ++k;
            if (k >= 2) {
                codes.push_back(static_cast<std::uint8_t>((k - 1) << 2 | 2));
                codes.push_back(p[i]);
            } else {
                while (i + k < width && k < 64 && !clear(i + k) &&
                       !(i + k + 1 < width && p[i + k + 1] == p[i + k] && !clear(i + k + 1))) {
                    ++k;
                }
                codes.push_back(static_cast<std::uint8_t>((k - 1) << 2));
                codes.insert(codes.end(), p + i, p + i + k);
            }
        }
        i += k;
    }
    return codes;
}

IndexedPicture Make(std::uint32_t width, std::uint32_t height,
                    std::uint8_t (*pixel)(std::uint32_t x, std::uint32_t y,
                                          testbytes::RandomRows& random)) {
    IndexedPicture picture;
    picture.width = width;
    picture.height = height;
    testbytes::RandomRows random(width * 7919u + height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) picture.pixels.push_back(pixel(x, y, random));
    }
    for (int i = 0; i < 768; ++i)
        picture.palette[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 37 + 11);
    return picture;
}

using Loaded = std::unique_ptr<RawPicture, decltype(&RAWPICT_Free)>;

Loaded Load(Bytes& file, std::uint32_t index) {
    const WIZ_MEMFILE memfile{static_cast<std::uint32_t>(file.size()), file.data()};
    return Loaded(WIZ_LoadImage(&memfile, index, 255), &RAWPICT_Free);
}

// The loaded image shows the picture, with transparent pixels in the fill colour 255.
void ExpectDecodes(Bytes& file, std::uint32_t index, const IndexedPicture& picture,
                   std::optional<std::uint8_t> transparent) {
    const Loaded loaded = Load(file, index);
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->bitmap->width, static_cast<std::int32_t>(picture.width));
    ASSERT_EQ(loaded->bitmap->height, static_cast<std::int32_t>(picture.height));
    ASSERT_NE(loaded->palette, nullptr);
    EXPECT_EQ(Bytes(loaded->palette->rgb, loaded->palette->rgb + 768),
              Bytes(picture.palette.begin(), picture.palette.end()));
    Bytes expected = picture.pixels;
    for (std::uint8_t& p : expected) {
        if (transparent && p == *transparent) p = 255;
    }
    EXPECT_EQ(Bytes(loaded->bitmap->pixels, loaded->bitmap->pixels + loaded->bitmap->size),
              expected);
}

struct PictureCase {
    const char* name;
    std::uint32_t width, height;
    std::uint8_t (*pixel)(std::uint32_t, std::uint32_t, testbytes::RandomRows&);
};

const PictureCase pictureCases[] = {
    {"one pixel", 1, 1,
     [](std::uint32_t, std::uint32_t, testbytes::RandomRows&) -> std::uint8_t { return 7; }},
    {"flat, runs past 64", 301, 3,
     [](std::uint32_t, std::uint32_t, testbytes::RandomRows&) -> std::uint8_t { return 3; }},
    {"horizontal gradient", 257, 4,
     [](std::uint32_t x, std::uint32_t, testbytes::RandomRows&) {
         return static_cast<std::uint8_t>(x);
     }},
    {"gradient in steps of three", 200, 5,
     [](std::uint32_t x, std::uint32_t y, testbytes::RandomRows&) {
         return static_cast<std::uint8_t>(x / 3 + y);
     }},
    {"noise", 131, 9,
     [](std::uint32_t, std::uint32_t, testbytes::RandomRows& r) {
         return static_cast<std::uint8_t>(r.Pick(0, 255));
     }},
    {"noise of few colours, odd width", 77, 13,
     [](std::uint32_t, std::uint32_t, testbytes::RandomRows& r) {
         return static_cast<std::uint8_t>(r.Pick(0, 2));
     }},
    {"long runs of 0 and 255 between detail", 400, 6,
     [](std::uint32_t x, std::uint32_t y, testbytes::RandomRows& r) -> std::uint8_t {
         if ((x / 150 + y) % 3 == 0) return 0;
         if ((x / 150 + y) % 3 == 1) return 255;
         return static_cast<std::uint8_t>(r.Pick(0, 4));
     }},
    {"zero width", 0, 3,
     [](std::uint32_t, std::uint32_t, testbytes::RandomRows&) -> std::uint8_t { return 0; }},
};

TEST(WizEncode, PicturesDecodeExactlyAndNoLineIsLongerThanGreedy) {
    for (const PictureCase& c : pictureCases) {
        const IndexedPicture picture = Make(c.width, c.height, c.pixel);
        for (const std::optional<std::uint8_t> transparent :
             {std::optional<std::uint8_t>(), std::optional<std::uint8_t>(0),
              std::optional<std::uint8_t>(255)}) {
            SCOPED_TRACE(std::string(c.name) + ", transparent " +
                         (transparent ? std::to_string(*transparent) : "none"));
            std::string reason;
            std::optional<Bytes> file = disctool::wiz::EncodeFile({picture}, transparent, &reason);
            ASSERT_TRUE(file) << reason;
            ExpectDecodes(*file, 0, picture, transparent);
            for (std::uint32_t y = 0; y < picture.height; ++y) {
                const std::uint8_t* line = picture.pixels.data() + y * picture.width;
                EXPECT_LE(disctool::wiz::EncodeLine(line, picture.width, transparent).size(),
                          GreedyLine(line, picture.width, transparent).size())
                    << "line " << y;
            }
        }
    }
}

TEST(WizEncode, NeverLongerThanGreedyOnRandomLinesAndShorterWhereGreedyCutsBadly) {
    testbytes::RandomRows random(12345);
    for (int round = 0; round < 2000; ++round) {
        const auto width = static_cast<std::size_t>(random.Pick(1, 150));
        const int colours = random.Pick(1, 4);
        Bytes line(width);
        for (std::uint8_t& p : line) p = static_cast<std::uint8_t>(random.Pick(0, colours - 1));
        const std::optional<std::uint8_t> transparent =
            round % 2 == 0 ? std::optional<std::uint8_t>(0) : std::nullopt;
        ASSERT_LE(disctool::wiz::EncodeLine(line.data(), width, transparent).size(),
                  GreedyLine(line.data(), width, transparent).size())
            << "round " << round;
    }
    // A B B A: greedy codes literal, fill, literal (6 bytes); one literal of 4 takes 5.
    const Bytes abba = {1, 2, 2, 1};
    EXPECT_EQ(disctool::wiz::EncodeLine(abba.data(), 4, std::nullopt), (Bytes{0x0C, 1, 2, 2, 1}));
    EXPECT_EQ(GreedyLine(abba.data(), 4, std::nullopt).size(), 6u);
}

TEST(WizEncode, LineCodesUseEachRunKindAtItsLimits) {
    const struct {
        const char* name;
        Bytes line;
        std::optional<std::uint8_t> transparent;
        Bytes codes;
    } cases[] = {
        {"fill of 64 is 0xFE", Bytes(64, 9), std::nullopt, {0xFE, 9}},
        {"a wholly transparent line of 128 has no codes", Bytes(128, 4), 4, {}},
        {"transparent line is empty", Bytes(300, 4), 4, {}},
        {"transparent run then fill", {4, 4, 4, 6, 6}, 4, {0x07, 0x06, 6}},
        {"trailing transparent run is written", {6, 6, 4}, 4, {0x06, 6, 0x03}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(disctool::wiz::EncodeLine(c.line.data(), c.line.size(), c.transparent), c.codes);
    }
    // Past a run's limit a second run follows; which of equal-cost orders is taken is free.
    EXPECT_EQ(disctool::wiz::EncodeLine(Bytes(65, 9).data(), 65, std::nullopt).size(), 4u);
    Bytes mixed(128, 4);
    mixed.push_back(5);
    EXPECT_EQ(disctool::wiz::EncodeLine(mixed.data(), mixed.size(), 4).size(), 4u);
}

TEST(WizEncode, SeveralPicturesShareOnePaletteInDefaultsOnlyWhenAllAgree) {
    const IndexedPicture a =
        Make(33, 7, [](std::uint32_t x, std::uint32_t, testbytes::RandomRows&) {
            return static_cast<std::uint8_t>(x % 5);
        });
    const IndexedPicture b =
        Make(5, 40, [](std::uint32_t, std::uint32_t, testbytes::RandomRows& r) {
            return static_cast<std::uint8_t>(r.Pick(0, 255));
        });
    IndexedPicture c = b;
    c.palette[0] ^= 0xFF;
    for (const bool shared : {true, false}) {
        SCOPED_TRACE(shared ? "shared palette" : "own palettes");
        const std::vector<IndexedPicture> pictures = {a, shared ? b : c, a};
        std::string reason;
        std::optional<Bytes> file = disctool::wiz::EncodeFile(pictures, std::uint8_t{2}, &reason);
        ASSERT_TRUE(file) << reason;
        const WIZ_MEMFILE memfile{static_cast<std::uint32_t>(file->size()), file->data()};
        ASSERT_EQ(std::string(file->begin(), file->begin() + 4), "MULT");
        EXPECT_EQ(WIZ_FindChild("DEFA", file->data(), memfile.size) != nullptr, shared);
        for (std::uint32_t i = 0; i < pictures.size(); ++i) {
            SCOPED_TRACE(i);
            ExpectDecodes(*file, i, pictures[i], std::uint8_t{2});
        }
        EXPECT_EQ(Load(*file, 3), nullptr) << "only three images";
    }
}

TEST(WizEncode, RefusesALineWhoseCodesExceedSixteenBits) {
    IndexedPicture picture =
        Make(70000, 2, [](std::uint32_t x, std::uint32_t y, testbytes::RandomRows&) {
            return static_cast<std::uint8_t>(y == 0 ? 1 : x * 7);
        });
    std::string reason;
    EXPECT_FALSE(disctool::wiz::EncodeFile({picture}, std::nullopt, &reason));
    EXPECT_NE(reason.find("line 1"), std::string::npos) << reason;
    EXPECT_NE(reason.find("65535"), std::string::npos) << reason;
    // The same width fits when its lines are flat.
    std::fill(picture.pixels.begin(), picture.pixels.end(), 1);
    std::optional<Bytes> file = disctool::wiz::EncodeFile({picture}, std::nullopt, &reason);
    ASSERT_TRUE(file) << reason;
    ExpectDecodes(*file, 0, picture, std::nullopt);
}

}  // namespace
