#include "toolkit/rawbitm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include "tests/toolkit/fixtures.h"

// Comparison and printing of rectangles, beside ToolRect so that lookup finds them; static,
// so another test file may have its own.
static bool operator==(const ToolRect& a, const ToolRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

static void PrintTo(const ToolRect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

using fixtures::Bytes;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// A bitmap freed with the test.
struct Bitmap {
    explicit Bitmap(std::int32_t w, std::int32_t h, std::uint8_t fill = 0)
        : bm(RAWBITM_Create(w, h)) {
        if (bm != nullptr) std::fill(bm->pixels, bm->pixels + bm->size, fill);
    }
    ~Bitmap() { RAWBITM_Free(bm); }
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    Bytes Pixels() const { return Bytes(bm->pixels, bm->pixels + bm->size); }
    std::uint8_t At(int x, int y) const { return bm->pixels[y * bm->width + x]; }
    RawBitmap* bm;
};

// Pixel value at (x, y) of a source bitmap whose pixels are numbered row by row.
std::uint8_t Numbered(int x, int y, int width) { return static_cast<std::uint8_t>(y * width + x); }

void Number(Bitmap& b) {
    for (int y = 0; y < b.bm->height; ++y)
        for (int x = 0; x < b.bm->width; ++x)
            b.bm->pixels[y * b.bm->width + x] = Numbered(x, y, b.bm->width);
}

// --- Rectangles ---

TEST(Rect, WidthAndHeightIgnoreDirection) {
    const ToolRect cases[] = {{5, 0, 2, 0}, {2, 0, 5, 0}, {0, 7, 0, 3}};
    const std::int32_t widths[] = {4, 4, 1};
    const std::int32_t heights[] = {1, 1, 5};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(RECT_Width(&cases[i]), widths[i]) << i;
        EXPECT_EQ(RECT_Height(&cases[i]), heights[i]) << i;
    }
    const ToolRect extreme = {kMin, kMin, kMax, kMax};  // saturates instead of overflowing
    EXPECT_EQ(RECT_Width(&extreme), kMax);
}

TEST(Rect, SetSizeOffsetAndValidity) {
    ToolRect r;
    RECT_SetSize(&r, 10, 4);
    EXPECT_EQ(r, (ToolRect{0, 0, 9, 3}));
    EXPECT_EQ(RECT_IsValid(&r), 1);
    RECT_Offset(&r, -3, 2);
    EXPECT_EQ(r, (ToolRect{-3, 2, 6, 5}));
    RECT_SetSize(&r, 0, 0);
    EXPECT_EQ(RECT_IsValid(&r), 0);
    RECT_Set(&r, 1, 1, 1, 1);
    EXPECT_EQ(RECT_IsValid(&r), 1);
    EXPECT_EQ(RECT_IsValid(&RECT_Empty), 0);
}

TEST(Rect, Intersect) {
    struct {
        ToolRect a, b, expected;
        int result;
    } cases[] = {
        {{0, 0, 9, 9}, {9, 9, 20, 20}, {9, 9, 9, 9}, 1},  // a shared corner pixel meets
        {{0, 0, 9, 9}, {10, 10, 20, 20}, RECT_Empty, 0},
        {{0, 0, 9, 9}, {3, -5, 5, 50}, {3, 0, 5, 9}, 1},
        {{-5, -5, 4, 4}, {0, 0, 9, 9}, {0, 0, 4, 4}, 1},
        {{0, 10, 9, 19}, {0, 0, 9, 9}, RECT_Empty, 0},
    };
    for (auto& c : cases) {
        ToolRect a = c.a;
        EXPECT_EQ(RECT_Intersect(&a, &c.b), c.result);
        EXPECT_EQ(a, c.expected);
    }
}

TEST(Rect, ClipPairTrimsSourceByWhatDestinationLost) {
    struct {
        ToolRect source, destination, bounds, source_out, destination_out;
    } cases[] = {
        {{0, 0, 9, 9}, {95, 0, 104, 9}, {0, 0, 99, 99}, {0, 0, 4, 9}, {95, 0, 99, 9}},
        {{0, 0, 9, 9}, {-3, 0, 6, 9}, {0, 0, 99, 99}, {3, 0, 9, 9}, {0, 0, 6, 9}},
        {{10, 20, 19, 29}, {-2, -3, 7, 6}, {0, 0, 5, 5}, {12, 23, 17, 28}, {0, 0, 5, 5}},
        // The source is not clipped to anything of its own.
        {{-50, -50, -41, -41}, {0, 0, 9, 9}, {0, 0, 99, 99}, {-50, -50, -41, -41}, {0, 0, 9, 9}},
        // Wholly outside: the destination comes out invalid.
        {{0, 0, 9, 9}, {200, 0, 209, 9}, {0, 0, 99, 99}, {0, 0, -101, 9}, {200, 0, 99, 9}},
    };
    for (auto& c : cases) {
        ToolRect s = c.source, d = c.destination;
        RECT_ClipPair(&s, &d, &c.bounds);
        EXPECT_EQ(s, c.source_out);
        EXPECT_EQ(d, c.destination_out);
    }
}

// --- Bitmaps ---

TEST(RawBitmap, CreateIsZeroFilledWithUnpaddedRows) {
    RawBitmap* fresh = RAWBITM_Create(7, 3);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->width, 7);
    EXPECT_EQ(fresh->height, 3);
    EXPECT_EQ(fresh->size, 21);
    EXPECT_EQ(Bytes(fresh->pixels, fresh->pixels + 21), Bytes(21, 0));
    RAWBITM_Free(fresh);
}

TEST(RawBitmap, CreateLimits) {
    struct {
        std::int32_t w, h;
        bool ok;
    } cases[] = {
        {0, 0, true},          {0, 100, true},      {100, 0, true},      {-1, 5, false},
        {5, -1, false},        {kMin, kMin, false}, {kMax, kMax, false},  // the product overflows 32 bits
        {16384, 16385, false},  // one row past RAWBITM_MaxBytes
        {65536, 65536, false},  // the product wraps to 0 in 32 bits
    };
    for (auto& c : cases) {
        RawBitmap* b = RAWBITM_Create(c.w, c.h);
        EXPECT_EQ(b != nullptr, c.ok) << c.w << " x " << c.h;
        if (b != nullptr) {
            EXPECT_EQ(b->size, c.w * c.h);
            EXPECT_NE(b->pixels, nullptr);
        }
        RAWBITM_Free(b);
    }
}

TEST(RawBitmap, FillRectClipsToTheBitmap) {
    struct {
        ToolRect rect;
        int x0, y0, x1, y1;  // filled area, inclusive; x0 > x1 when nothing is filled
    } cases[] = {
        {{-5, -5, 4, 4}, 0, 0, 4, 4},
        {{20, 20, 30, 30}, 1, 1, 0, 0},
        {{3, 2, 3, 2}, 3, 2, 3, 2},
        {{8, 9, 50, 9}, 8, 9, 9, 9},
        {{5, 0, 2, 0}, 1, 1, 0, 0},  // reversed: nothing, never past the row
        {{9, 9, 0, 0}, 1, 1, 0, 0},
        // Whole rows, filled as one block: it must stop at the last row asked for.
        {{0, 0, 9, 9}, 0, 0, 9, 9},
        {{-3, 2, 12, 5}, 0, 2, 9, 5},
        {{0, 7, 9, 30}, 0, 7, 9, 9},
    };
    for (auto& c : cases) {
        Bitmap b(10, 10, 1);
        const ToolRect before = c.rect;
        RAWBITM_FillRect(b.bm, &c.rect, 9);
        EXPECT_EQ(c.rect, before);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool in = x >= c.x0 && x <= c.x1 && y >= c.y0 && y <= c.y1;
                ASSERT_EQ(b.At(x, y), in ? 9 : 1)
                    << "rect " << testing::PrintToString(before) << " at " << x << "," << y;
            }
    }
}

TEST(RawBitmap, FillOnEmptyBitmapChangesNothing) {
    Bitmap b(0, 0);
    const ToolRect all = {-5, -5, 5, 5};
    RAWBITM_FillRect(b.bm, &all, 3);  // sanitizers: no write into the 1-byte block
    SUCCEED();
}

// Copies a numbered source to a destination full of 200 and checks every destination pixel:
// inside the expected area it must hold the source pixel at the matching offset.
struct CopyCase {
    const char* name;
    int srcW, srcH, dstW, dstH;
    ToolRect sourceRect, destRect;
    ToolRect written;  // destination area that receives pixels (invalid when none)
    int srcX, srcY;    // source pixel that lands on written's top-left
};

void PrintTo(const CopyCase& c, std::ostream* os) { *os << c.name; }

class RawBitmapCopy : public testing::TestWithParam<CopyCase> {};

TEST_P(RawBitmapCopy, CopiesTheClippedArea) {
    const CopyCase& c = GetParam();
    Bitmap source(c.srcW, c.srcH);
    Number(source);
    Bitmap destination(c.dstW, c.dstH, 200);
    RAWBITM_Copy(destination.bm, &c.destRect, source.bm, &c.sourceRect);
    for (int y = 0; y < c.dstH; ++y)
        for (int x = 0; x < c.dstW; ++x) {
            const bool in = x >= c.written.left && x <= c.written.right && y >= c.written.top &&
                            y <= c.written.bottom;
            const std::uint8_t want =
                in ? Numbered(c.srcX + x - c.written.left, c.srcY + y - c.written.top, c.srcW)
                   : 200;
            ASSERT_EQ(destination.At(x, y), want) << "at " << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RawBitmapCopy,
    testing::Values(
        CopyCase{
            "right_edge", 10, 10, 100, 10, {0, 0, 9, 9}, {95, 0, 104, 9}, {95, 0, 99, 9}, 0, 0},
        CopyCase{"left_edge", 10, 10, 100, 10, {0, 0, 9, 9}, {-3, 0, 6, 9}, {0, 0, 6, 9}, 3, 0},
        CopyCase{"top_and_bottom", 10, 10, 12, 6, {2, 1, 6, 8}, {1, -2, 5, 5}, {1, 0, 5, 5}, 2, 3},
        CopyCase{"equal_widths_one_block",
                 16,
                 8,
                 16,
                 5,
                 {0, 2, 15, 5},
                 {0, 1, 15, 4},
                 {0, 1, 15, 4},
                 0,
                 2},
        CopyCase{
            "narrow_rows_own_strides", 13, 9, 7, 6, {4, 3, 8, 7}, {1, 0, 5, 4}, {1, 0, 5, 4}, 4, 3},
        // The destination sets the size; the source gives only its top-left corner.
        CopyCase{"destination_sets_size",
                 10,
                 10,
                 10,
                 10,
                 {2, 2, 2, 2},
                 {0, 0, 2, 1},
                 {0, 0, 2, 1},
                 2,
                 2},
        CopyCase{
            "wholly_outside", 10, 10, 10, 10, {0, 0, 9, 9}, {10, 0, 19, 9}, {1, 1, 0, 0}, 0, 0},
        CopyCase{"reversed_source", 10, 10, 10, 10, {5, 0, 2, 0}, {0, 0, 3, 0}, {1, 1, 0, 0}, 0, 0},
        // A source area reaching past its bitmap is cut there rather than read past it.
        CopyCase{
            "source_past_its_bitmap", 4, 4, 10, 10, {2, 2, 7, 7}, {0, 0, 5, 5}, {0, 0, 1, 1}, 2, 2},
        CopyCase{"source_before_its_bitmap",
                 4,
                 4,
                 10,
                 10,
                 {-1, -2, 2, 1},
                 {3, 3, 6, 6},
                 {4, 5, 6, 6},
                 0,
                 0}),
    [](const testing::TestParamInfo<CopyCase>& p) { return std::string(p.param.name); });

// --- Drawing run-length data ---

// Line: 05 00 | 03 | 0A 07 | 00 09 -> transparent 1, fill 3 of 7, literal 9 (5 pixels).
Bytes Picture(int lines) {
    Bytes data;
    for (int i = 0; i < lines; ++i)
        fixtures::PutBytes(data, {0x05, 0x00, 0x03, 0x0A, 0x07, 0x00, 0x09});
    return data;
}

std::string Rows(const Bitmap& b) {
    std::string out;
    for (int y = 0; y < b.bm->height; ++y) {
        for (int x = 0; x < b.bm->width; ++x) {
            const std::uint8_t v = b.At(x, y);
            out += v == 1 ? '.' : static_cast<char>('0' + v);
        }
        out += '|';
    }
    return out;
}

TEST(RawBitmap, DrawPacked) {
    const Bytes data = Picture(3);  // a 5 x 3 image: .7779 on every row
    const ToolRect sourceArea = {2, 1, 4, 2};
    const ToolRect clipCorner = {0, 0, 2, 1};
    const ToolRect clipMiss = {10, 10, 20, 20};
    const ToolRect clipReversed = {4, 0, 0, 3};
    struct {
        int x, y;
        const ToolRect* source;
        const ToolRect* clip;
        const char* expected;
    } cases[] = {
        {0, 0, nullptr, nullptr, ".7779..|.7779..|.7779..|.......|"},
        {2, 1, nullptr, nullptr, ".......|...7779|...7779|...7779|"},
        {-2, -1, nullptr, nullptr, "779....|779....|.......|.......|"},  // clipped left and top
        {4, 2, nullptr, nullptr, ".......|.......|.....77|.....77|"},    // clipped right and bottom
        {1, 0, &sourceArea, nullptr, ".779...|.779...|.......|.......|"},
        {0, 0, nullptr, &clipCorner, ".77....|.77....|.......|.......|"},
        {0, 0, nullptr, &clipMiss, ".......|.......|.......|.......|"},
        {0, 0, nullptr, &clipReversed, ".......|.......|.......|.......|"},
        {7, 0, nullptr, nullptr, ".......|.......|.......|.......|"},
        {kMax, kMax, nullptr, nullptr, ".......|.......|.......|.......|"},
        {kMin, kMin, nullptr, nullptr, ".......|.......|.......|.......|"},
    };
    for (auto& c : cases) {
        Bitmap b(7, 4, 1);
        RAWBITM_DrawPacked(b.bm, data.data(), data.size(), 5, 3, c.x, c.y, c.source, c.clip);
        EXPECT_EQ(Rows(b), c.expected) << "at " << c.x << "," << c.y;
    }
}

TEST(RawBitmap, DrawPackedNeverReadsPastTheData) {
    const Bytes whole = Picture(3);
    for (std::size_t size = 0; size <= whole.size(); ++size) {
        std::vector<std::uint8_t> cut(whole.begin(),
                                      whole.begin() + static_cast<std::ptrdiff_t>(size));
        Bitmap b(5, 3, 1);
        RAWBITM_DrawPacked(b.bm, cut.data(), cut.size(), 5, 3, 0, 0, nullptr, nullptr);
        const std::string rows = Rows(b);
        // Whole lines are drawn; a line cut inside its codes draws the runs that are whole.
        const std::size_t full = size / 7;
        std::string expected;
        for (std::size_t y = 0; y < 3; ++y) {
            if (y < full)
                expected += ".7779|";
            else if (y == full && size % 7 >= 5)
                expected += ".777.|";
            else
                expected += ".....|";
        }
        EXPECT_EQ(rows, expected) << size << " bytes";
    }
}

}  // namespace
