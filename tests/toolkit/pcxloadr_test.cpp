#include "toolkit/pcxloadr.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/toolkit/fixtures.h"
#include "toolkit/picreason.h"
#include "toolkit/rawpict.h"
#include "toolkit/toolfile.h"
#include "toolkit/toolread.h"

namespace {

using fixtures::Bytes;

struct HeaderFields {
    int manufacturer = 10;
    int version = 5;
    int bitsPerPixel = 8;
    int xmin = 0;
    int ymin = 0;
    int xmax = 0;
    int ymax = 0;
    int planes = 1;
    int bytesPerLine = 0;
};

Bytes Header(const HeaderFields& f) {
    Bytes out(128, 0);
    out[0] = static_cast<std::uint8_t>(f.manufacturer);
    out[1] = static_cast<std::uint8_t>(f.version);
    out[2] = 1;
    out[3] = static_cast<std::uint8_t>(f.bitsPerPixel);
    testbytes::SetLE16(out, 4, static_cast<std::uint32_t>(f.xmin));
    testbytes::SetLE16(out, 6, static_cast<std::uint32_t>(f.ymin));
    testbytes::SetLE16(out, 8, static_cast<std::uint32_t>(f.xmax));
    testbytes::SetLE16(out, 10, static_cast<std::uint32_t>(f.ymax));
    out[65] = static_cast<std::uint8_t>(f.planes);
    testbytes::SetLE16(out, 66, static_cast<std::uint32_t>(f.bytesPerLine));
    return out;
}

// Palette entry i is (i, 255 - i, i ^ 0x5A), so a palette taken from the wrong place shows.
Bytes Palette() {
    Bytes out;
    out.push_back(0x0C);
    for (int i = 0; i < 256; ++i) {
        out.push_back(static_cast<std::uint8_t>(i));
        out.push_back(static_cast<std::uint8_t>(255 - i));
        out.push_back(static_cast<std::uint8_t>(i ^ 0x5A));
    }
    return out;
}

// A version-5, 8-bit file of width x height with the given data and, when withPalette,
// the palette above at its end.
Bytes PcxFile(int width, int height, int bytesPerLine, const Bytes& data, bool withPalette = true,
              int planes = 1) {
    HeaderFields f;
    f.planes = planes;
    f.xmin = 3;  // the size comes from the difference, not from xmax alone
    f.xmax = 3 + width - 1;
    f.ymax = height - 1;
    f.bytesPerLine = bytesPerLine;
    Bytes out = Header(f);
    out.insert(out.end(), data.begin(), data.end());
    if (withPalette) {
        Bytes palette = Palette();
        out.insert(out.end(), palette.begin(), palette.end());
    }
    return out;
}

Bytes Pixels(const RawPicture* picture) {
    return Bytes(picture->bitmap->pixels, picture->bitmap->pixels + picture->bitmap->size);
}

struct DecodeCase {
    const char* name;
    int width;
    int height;
    int bytesPerLine;
    Bytes data;
    Bytes expected;
    bool withPalette = true;  // false: the data is all that follows the header
    int planes = 1;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class PcxDecode : public testing::TestWithParam<DecodeCase> {};

TEST_P(PcxDecode, ProducesExpectedPixels) {
    const DecodeCase& c = GetParam();
    std::string path = fixtures::WriteTempFile(
        "case.pcx", PcxFile(c.width, c.height, c.bytesPerLine, c.data, c.withPalette, c.planes));
    const char* reason = "unset";
    RawPicture* picture = PCX_Load(path.c_str(), &reason);
    ASSERT_NE(picture, nullptr) << reason;
    EXPECT_EQ(reason, nullptr);
    EXPECT_EQ(picture->bitmap->width, c.width);
    EXPECT_EQ(picture->bitmap->height, c.height);
    EXPECT_EQ(Pixels(picture), c.expected);
    RAWPICT_Free(picture);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PcxDecode,
    testing::Values(
        DecodeCase{"literals", 3, 2, 3, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}},
        DecodeCase{"runs", 4, 2, 4, {0xC4, 9, 0xC2, 0xC1, 0xC2, 0}, {9, 9, 9, 9, 0xC1, 0xC1, 0, 0}},
        // The sixth byte of each row is decoded and dropped; the run 0xC3 0x07 with two
        // pixels left writes two and takes the third off the skip, so row 1 starts right.
        DecodeCase{"width 5, 6 bytes per line, run into the skip",
                   5,
                   2,
                   6,
                   {1, 2, 3, 0xC3, 7, 4, 5, 6, 7, 8, 0x3F},
                   {1, 2, 3, 7, 7, 4, 5, 6, 7, 8}},
        DecodeCase{"run bytes in the skip consume their value",
                   2,
                   2,
                   5,
                   {1, 2, 0xC3, 0xEE, 3, 4, 0xC1, 0xEE, 0xC0, 0xEE, 0x11, 0x12},
                   {1, 2, 3, 4}},
        DecodeCase{"0xC0 writes nothing", 2, 1, 2, {0xC0, 0x55, 1, 0xC0, 0xC0, 2}, {1, 2}},
        // A run beyond the row and its skip is cut; the rest is not carried over.
        DecodeCase{"run past row and skip", 2, 2, 3, {0xC5, 1, 2, 3, 9}, {1, 1, 2, 3}},
        // Data that ends early keeps what was decoded; the rest stays index 0.
        DecodeCase{
            "truncated data", 3, 3, 3, {1, 2, 3, 4, 0xC2, 5}, {1, 2, 3, 4, 5, 5, 0, 0, 0}, false},
        DecodeCase{
            "run count without its value", 3, 2, 3, {1, 2, 3, 0xC3}, {1, 2, 3, 0, 0, 0}, false},
        // Planes 0 is read as one plane.
        DecodeCase{"no plane", 3, 2, 3, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}, true, 0},
        // Fewer bytes per line than the width: each row is the width, nothing is skipped.
        DecodeCase{"bytes per line below the width",
                   4,
                   2,
                   2,
                   {1, 2, 0xC2, 3, 4, 5, 6, 7},
                   {1, 2, 3, 3, 4, 5, 6, 7}},
        DecodeCase{"bytes per line 0", 2, 2, 0, {1, 2, 3, 4}, {1, 2, 3, 4}}));

TEST(PcxLoad, ReadsPaletteFromTheEndOfTheFile) {
    std::string path = fixtures::WriteTempFile("pal.pcx", PcxFile(1, 1, 1, {0xC1, 7}));
    RawPicture* picture = PCX_Load(path.c_str());
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(picture->palette, nullptr);
    for (int i : {0, 1, 128, 255}) {
        EXPECT_EQ(picture->palette->rgb[3 * i], i);
        EXPECT_EQ(picture->palette->rgb[3 * i + 1], 255 - i);
        EXPECT_EQ(picture->palette->rgb[3 * i + 2], i ^ 0x5A);
    }
    RAWPICT_Free(picture);
}

TEST(PcxLoad, FileWithoutRoomForAPaletteKeepsItBlack) {
    // Without the 768 bytes after the header, taking the last 768 bytes of the file would
    // read the header as colours.
    std::string path = fixtures::WriteTempFile("nopal.pcx", PcxFile(2, 1, 2, {0xC2, 0x44}, false));
    RawPicture* picture = PCX_Load(path.c_str());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(Pixels(picture), (Bytes{0x44, 0x44}));
    EXPECT_EQ(picture->palette->rgb[0], 0);
    EXPECT_EQ(picture->palette->rgb[3], 0);
    EXPECT_EQ(picture->palette->rgb[767], 0);
    RAWPICT_Free(picture);
}

// Rows longer than the 16384-byte read buffer, with a run whose count byte is the last byte
// of the first buffer and whose value is the first byte of the next.
TEST(PcxLoad, RunSplitAcrossTheReadBuffer) {
    const int literalCount = 16383;
    const int width = literalCount + 5;
    Bytes data(literalCount, 0x21);
    data.push_back(0xC5);
    data.push_back(0x66);
    // The second row: a long run chain of 63-pixel runs and then literals.
    Bytes expected(static_cast<std::size_t>(width), 0x21);
    std::fill(expected.end() - 5, expected.end(), 0x66);
    int left = width;
    std::uint8_t value = 0;
    while (left > 0) {
        const int n = left < 63 ? left : 63;
        data.push_back(static_cast<std::uint8_t>(0xC0 | n));
        data.push_back(value);
        expected.insert(expected.end(), static_cast<std::size_t>(n), value);
        value = static_cast<std::uint8_t>((value + 37) % 0xC0);
        left -= n;
    }
    std::string path = fixtures::WriteTempFile("wide.pcx", PcxFile(width, 2, width, data));
    RawPicture* picture = PCX_Load(path.c_str());
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(Pixels(picture) == expected);
    RAWPICT_Free(picture);
}

// PCX coding of rows: repeats and bytes of 0xC0 and above as runs, other bytes as
// literals, with a do-nothing 0xC0 pair now and then and bytesPerLine - width padding
// bytes after each row.
Bytes EncodeRows(const Bytes& pixels, int width, int height, int bytesPerLine) {
    Bytes out;
    int noop = 0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels.data() + y * width;
        int x = 0;
        while (x < width) {
            int n = 1;
            while (x + n < width && n < 63 && row[x + n] == row[x]) ++n;
            if (n == 1 && row[x] < 0xC0) {
                out.push_back(row[x]);
            } else {
                out.push_back(static_cast<std::uint8_t>(0xC0 | n));
                out.push_back(row[x]);
            }
            x += n;
            if (++noop % 7 == 0) fixtures::PutBytes(out, {0xC0, 0xFF});
        }
        for (int i = width; i < bytesPerLine; ++i) out.push_back(0x33);
    }
    return out;
}

// Rows of literals, short and long runs and high bytes, decoded against what was coded.
TEST(PcxLoad, WideRowsRoundTrip) {
    for (int bytesPerLine : {300, 303}) {
        const int width = 300;
        const int height = 6;
        Bytes pixels;
        testbytes::RandomRows random(99);
        for (int i = 0; i < width * height; ++i) {
            const int zone = (i / 40) % 4;
            const int value = zone == 0   ? random.Pick(0, 255)           // noise
                              : zone == 1 ? i / 3                         // short runs
                              : zone == 2 ? 0xC5                          // long run of a high byte
                                          : (i % 5 == 0 ? 0xF0 : i / 9);  // mixed
            pixels.push_back(static_cast<std::uint8_t>(value));
        }
        std::string path = fixtures::WriteTempFile(
            "round.pcx",
            PcxFile(width, height, bytesPerLine, EncodeRows(pixels, width, height, bytesPerLine)));
        RawPicture* picture = PCX_Load(path.c_str());
        ASSERT_NE(picture, nullptr);
        EXPECT_TRUE(Pixels(picture) == pixels) << "bytes per line " << bytesPerLine;
        RAWPICT_Free(picture);
    }
}

using fixtures::RefusedCase;

HeaderFields Fields(void (*change)(HeaderFields&)) {
    HeaderFields f;
    f.xmax = 1;
    f.ymax = 1;
    f.bytesPerLine = 2;
    change(f);
    return f;
}

Bytes WithData(Bytes header) {
    header.insert(header.end(), {1, 2, 3, 4});
    return header;
}

class PcxRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(PcxRefused, ReturnsNullWithReason) {
    const RefusedCase& c = GetParam();
    std::string path = fixtures::WriteTempFile("bad.pcx", c.file);
    const char* reason = nullptr;
    EXPECT_EQ(PCX_Load(path.c_str(), &reason), nullptr);
    ASSERT_NE(reason, nullptr);
    EXPECT_STREQ(reason, c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PcxRefused,
    testing::Values(
        RefusedCase{"version 3", WithData(Header(Fields([](HeaderFields& f) { f.version = 3; }))),
                    PICREASON_PcxFormat},
        RefusedCase{"4 bits per pixel",
                    WithData(Header(Fields([](HeaderFields& f) { f.bitsPerPixel = 4; }))),
                    PICREASON_PcxFormat},
        RefusedCase{"manufacturer 0",
                    WithData(Header(Fields([](HeaderFields& f) { f.manufacturer = 0; }))),
                    PICREASON_PcxFormat},
        RefusedCase{"three planes", WithData(Header(Fields([](HeaderFields& f) { f.planes = 3; }))),
                    PICREASON_PcxPlanes},
        RefusedCase{"xmax below xmin", WithData(Header(Fields([](HeaderFields& f) {
                        f.xmin = 5;
                        f.xmax = 2;
                    }))),
                    PICREASON_PcxNegative},
        RefusedCase{"ymax below ymin", WithData(Header(Fields([](HeaderFields& f) {
                        f.ymin = 1;
                        f.ymax = 0;
                    }))),
                    PICREASON_PcxNegative},
        RefusedCase{"65536 x 65536", WithData(Header(Fields([](HeaderFields& f) {
                        f.xmax = 0xFFFF;
                        f.ymax = 0xFFFF;
                        f.bytesPerLine = 0xFFFF;
                    }))),
                    PICREASON_TooLarge},
        RefusedCase{"65535 x 65536", WithData(Header(Fields([](HeaderFields& f) {
                        f.xmax = 0xFFFE;
                        f.ymax = 0xFFFF;
                        f.bytesPerLine = 0xFFFF;
                    }))),
                    PICREASON_TooLarge},
        RefusedCase{"header cut short", Bytes(100, 10), PICREASON_PcxShort},
        RefusedCase{"empty file", Bytes{}, PICREASON_PcxShort}));

TEST(PcxLoad, MissingFile) {
    const char* reason = nullptr;
    EXPECT_EQ(PCX_Load("no-such-folder/none.pcx", &reason), nullptr);
    EXPECT_STREQ(reason, PICREASON_NotFound);
}

// The fast row decoder against the plain one, row after row of random data (literals, runs
// of every count including 0, long stretches of each, data that ends anywhere), at every
// kind of buffer edge: the rows, the results and the places the readers stop must agree.
TEST(PcxDecodeRowReference, FastMatchesPlainOnRandomAndEdgeRows) {
    testbytes::RandomRows random(20261210u);
    auto pick = [&random](int low, int high) { return random.Pick(low, high); };
    for (int round = 0; round < 300; ++round) {
        Bytes data;
        const int stretches = pick(1, 30);
        for (int s = 0; s < stretches; ++s) {
            const int kind = pick(0, 2);  // literals, runs, or both mixed
            for (int n = pick(1, 200); n > 0; --n) {
                if (kind == 0 || (kind == 2 && pick(0, 1) == 0)) {
                    data.push_back(static_cast<std::uint8_t>(pick(0, 0xBF)));
                } else {
                    data.push_back(static_cast<std::uint8_t>(0xC0 | pick(0, 63)));
                    data.push_back(static_cast<std::uint8_t>(pick(0, 255)));
                }
            }
        }
        data.resize(static_cast<std::size_t>(pick(0, static_cast<int>(data.size()))));
        const std::string path = fixtures::WriteTempFile("rows.bin", data);
        const std::uint32_t capacity =
            static_cast<std::uint32_t>(pick(0, 2) == 0 ? pick(1, 40) : 16384);
        fixtures::FileReader fast(path, capacity);
        fixtures::FileReader plain(path, capacity);
        ASSERT_NE(fast.file, nullptr);
        ASSERT_NE(plain.file, nullptr);
        const int width = pick(1, 400);
        const int skip = pick(0, 3);
        for (int row = 0;; ++row) {
            Bytes fastRow(static_cast<std::size_t>(width), 0x5A);
            Bytes plainRow = fastRow;
            const RowOutcome fastOutcome = PCX_DecodeRow(&fast.reader, fastRow.data(), width, skip);
            const RowOutcome plainOutcome =
                PCX_DecodeRowPlain(&plain.reader, plainRow.data(), width, skip);
            ASSERT_EQ(fastOutcome, plainOutcome) << "round " << round << " row " << row;
            ASSERT_EQ(fastRow, plainRow) << "round " << round << " row " << row;
            ASSERT_EQ(fast.reader.remaining + fast.reader.end - fast.reader.position,
                      plain.reader.remaining + plain.reader.end - plain.reader.position)
                << "round " << round << " row " << row;
            if (fastOutcome != RowOutcome::Done) break;
        }
    }
}

}  // namespace
