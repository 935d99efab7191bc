#include "toolkit/rledecode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/toolkit/fixtures.h"

namespace {

using fixtures::Bytes;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

// One coded line: its 16-bit count, then the code bytes.
Bytes Line(const Bytes& codes) {
    Bytes out;
    fixtures::PutLE16(out, static_cast<std::uint16_t>(codes.size()));
    return Cat({out, codes});
}

Bytes Line(std::initializer_list<std::uint8_t> codes) { return Line(Bytes(codes)); }

// A row described as (count, value) pairs: Runs({{3, 7}, {2, 255}}) is 7 7 7 255 255.
Bytes Runs(std::initializer_list<std::pair<int, std::uint8_t>> runs) {
    Bytes out;
    for (const auto& [count, value] : runs)
        out.insert(out.end(), static_cast<std::size_t>(count), value);
    return out;
}

Bytes Iota(int count, std::uint8_t first) {
    Bytes out;
    for (int i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(first + i));
    return out;
}

// Decodes into a destination of width x height bytes that holds 255 everywhere, with the
// data in a buffer of exactly its size (so the sanitizers see any read past it).
Bytes Decode(const Bytes& data, ToolRect source, int width, int height, int x = 0, int y = 0) {
    Bytes destination(static_cast<std::size_t>(width * height), 255);
    const ToolRect position = {x, y, 0, 0};
    std::vector<std::uint8_t> exact(data.begin(), data.end());
    RLE_Decode(destination.data(), width, &position, exact.empty() ? nullptr : exact.data(),
               exact.size(), &source);
    return destination;
}

struct Case {
    const char* name;
    Bytes data;
    ToolRect source;
    int width;  // destination, one row unless height says otherwise
    int height;
    int x;
    Bytes expected;  // the whole destination after decoding (255 where untouched)
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Bytes kWorked = Line({0x03, 0x0A, 0x07, 0x00, 0x09});

class RleDecodeCase : public testing::TestWithParam<Case> {};

TEST_P(RleDecodeCase, DrawsExpectedPixels) {
    const Case& c = GetParam();
    EXPECT_EQ(Decode(c.data, c.source, c.width, c.height, c.x), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RleDecodeCase,
    testing::Values(
        // Transparent 1, fill 3 of colour 7, literal 9 that lies right of the area.
        Case{"worked_left0", kWorked, {0, 0, 3, 0}, 6, 1, 0, Runs({{1, 255}, {3, 7}, {2, 255}})},
        Case{"worked_left2", kWorked, {2, 0, 4, 0}, 6, 1, 1, Bytes{255, 7, 7, 9, 255, 255}},
        Case{"empty_line_keeps_row",
             Cat({Line({}), Line({0xFE, 5})}),
             {0, 0, 3, 1},
             4,
             2,
             0,
             Runs({{4, 255}, {4, 5}})},
        Case{"code01_is_empty_transparent",
             Line({0x01, 0x06, 4}),
             {0, 0, 2, 0},
             3,
             1,
             0,
             Bytes{4, 4, 255}},
        Case{"code00_literal_of_one", Line({0x00, 9, 0x02, 3}), {0, 0, 1, 0}, 2, 1, 0, Bytes{9, 3}},
        Case{"codeFE_fill_of_64",
             Line({0xFE, 3, 0x02, 4}),
             {0, 0, 65, 0},
             66,
             1,
             0,
             Runs({{64, 3}, {1, 4}, {1, 255}})},
        Case{"codeFF_transparent_127",
             Line({0xFF, 0x02, 5}),
             {0, 0, 128, 0},
             129,
             1,
             0,
             Runs({{127, 255}, {1, 5}, {1, 255}})},
        Case{"codeFC_literal_of_64",
             Line(Cat({Bytes{0xFC}, Iota(64, 1)})),
             {0, 0, 63, 0},
             64,
             1,
             0,
             Iota(64, 1)},
        // The fill's colour byte is consumed while skipping, whether it is seen or not.
        Case{"fill_straddles_left", kWorked, {2, 0, 4, 0}, 3, 1, 0, Bytes{7, 7, 9}},
        Case{"fill_wholly_skipped", kWorked, {4, 0, 4, 0}, 1, 1, 0, Bytes{9}},
        Case{"literal_straddles_left",
             Line({0x0C, 1, 2, 3, 4, 0x02, 5}),
             {2, 0, 4, 0},
             3,
             1,
             0,
             Bytes{3, 4, 5}},
        Case{"transparent_straddles_left",
             Line({0x07, 0x02, 5}),
             {2, 0, 3, 0},
             2,
             1,
             0,
             Bytes{255, 5}},
        Case{"runs_cut_at_right_edge",
             Line({0x02, 1, 0xFE, 2}),
             {0, 0, 2, 0},
             5,
             1,
             0,
             Bytes{1, 2, 2, 255, 255}},
        Case{"literal_cut_at_right_edge",
             Line({0x0C, 1, 2, 3, 4}),
             {1, 0, 2, 0},
             4,
             1,
             1,
             Bytes{255, 2, 3, 255}},
        // Lines above the area are skipped by their counts, whatever their codes say.
        Case{"top_lines_skipped_by_count",
             Cat({Line({0xFC}), Line({0xFE}), Line({0x0A, 8})}),
             {0, 2, 2, 2},
             3,
             1,
             0,
             Bytes{8, 8, 8}},
        Case{"right_before_left_draws_nothing", kWorked, {3, 0, 2, 0}, 4, 1, 0, Runs({{4, 255}})},
        Case{"bottom_before_top_draws_nothing", kWorked, {0, 1, 3, 0}, 4, 1, 0, Runs({{4, 255}})},
        // Columns before the image's first are left as they are.
        Case{"negative_left", Line({0x06, 4}), {-2, 0, 1, 0}, 4, 1, 0, Bytes{255, 255, 4, 4}},
        // Malformed data: never read past a line's count or the data's end.
        Case{"codes_end_before_right_edge",
             Cat({Line({0x06, 4}), Line({0x0A, 5})}),
             {0, 0, 3, 1},
             4,
             2,
             0,
             Bytes{4, 4, 255, 255, 5, 5, 5, 255}},
        Case{"fill_colour_beyond_count_not_read",
             Cat({Line({0x06}), Line({0x06, 5})}),
             {0, 0, 1, 1},
             2,
             2,
             0,
             Bytes{255, 255, 5, 5}},
        Case{"literal_bytes_beyond_count_not_read",
             Cat({Line({0x0C, 1, 2}), Line({0x02, 5})}),
             {0, 0, 1, 1},
             2,
             2,
             0,
             Bytes{255, 255, 5, 255}},
        Case{"count_past_end_draws_what_is_there",
             Bytes{9, 0, 0x06, 4},
             {0, 0, 2, 1},
             3,
             2,
             0,
             Bytes{4, 4, 255, 255, 255, 255}},
        Case{"fewer_lines_than_area", Line({0x02, 6}), {0, 0, 0, 2}, 1, 3, 0, Bytes{6, 255, 255}},
        Case{"truncated_count", Bytes{2}, {0, 0, 0, 0}, 1, 1, 0, Bytes{255}},
        Case{"top_beyond_lines", kWorked, {0, 5, 0, 5}, 1, 1, 0, Bytes{255}},
        Case{"no_data", Bytes{}, {0, 0, 0, 0}, 1, 1, 0, Bytes{255}}),
    [](const testing::TestParamInfo<Case>& p) { return std::string(p.param.name); });

// --- Against a pixel-by-pixel reference on random well-formed pictures ---

constexpr int kTransparent = -1;

// Expands each line completely, one pixel at a time, into colours or kTransparent.
std::vector<std::vector<int>> ReferenceExpand(const Bytes& data, int lines) {
    std::vector<std::vector<int>> image;
    std::size_t at = 0;
    for (int l = 0; l < lines; ++l) {
        const std::size_t n = std::size_t{data[at]} | std::size_t{data[at + 1]} << 8;
        std::size_t p = at + 2;
        const std::size_t end = p + n;
        std::vector<int> row;
        while (p < end) {
            const std::uint8_t c = data[p++];
            if (c & 1) {
                for (int i = 0; i < (c >> 1); ++i) row.push_back(kTransparent);
            } else if ((c & 3) == 2) {
                const std::uint8_t colour = data[p++];
                for (int i = 0; i <= (c >> 2); ++i) row.push_back(colour);
            } else {
                for (int i = 0; i <= (c >> 2); ++i) row.push_back(data[p++]);
            }
        }
        image.push_back(row);
        at = end;
    }
    return image;
}

// Codes random runs until the line covers at least `width` pixels.
void EncodeRandomLine(testbytes::RandomRows& rng, int width, Bytes& out) {
    Bytes codes;
    int covered = 0;
    auto pick = [&rng](int lo, int hi) { return rng.Pick(lo, hi); };
    while (covered < width) {
        const int kind = pick(0, 2);
        if (kind == 0) {
            const int length = pick(0, 1) == 0 ? pick(0, 127) : pick(0, 8);  // short ones too,
            codes.push_back(static_cast<std::uint8_t>(length << 1 | 1));     // so groups of 8 fit
            covered += length;
        } else {
            const int length = pick(1, 64);
            codes.push_back(static_cast<std::uint8_t>((length - 1) << 2 | (kind == 1 ? 2 : 0)));
            const int bytes = kind == 1 ? 1 : length;
            for (int i = 0; i < bytes; ++i)
                codes.push_back(static_cast<std::uint8_t>(pick(0, 255)));
            covered += length;
        }
    }
    if (pick(0, 1) == 0 && covered == width) codes.clear();  // an empty, wholly transparent line
    fixtures::PutLE16(out, static_cast<std::uint16_t>(codes.size()));
    out.insert(out.end(), codes.begin(), codes.end());
}

TEST(RleDecode, MatchesPixelReferenceOnRandomPictures) {
    testbytes::RandomRows rng(1234);
    auto pick = [&rng](int lo, int hi) { return rng.Pick(lo, hi); };
    for (int iteration = 0; iteration < 400; ++iteration) {
        const int imageWidth = pick(1, 300);
        const int imageHeight = pick(1, 8);
        Bytes data;
        for (int l = 0; l < imageHeight; ++l) EncodeRandomLine(rng, imageWidth, data);
        const auto image = ReferenceExpand(data, imageHeight);

        ToolRect source;
        source.left = pick(0, imageWidth - 1);
        source.right = pick(source.left, imageWidth - 1);
        source.top = pick(0, imageHeight - 1);
        source.bottom = pick(source.top, imageHeight - 1);
        const int areaWidth = source.right - source.left + 1;
        const int areaHeight = source.bottom - source.top + 1;
        const int stride = areaWidth + pick(0, 5);
        const int rows = areaHeight + pick(0, 3);
        const int x = pick(0, stride - areaWidth);
        const int y = pick(0, rows - areaHeight);

        Bytes destination = rng.Row(static_cast<std::size_t>(stride * rows));
        Bytes expected = destination;
        for (int r = 0; r < areaHeight; ++r) {
            for (int c = 0; c < areaWidth; ++c) {
                const auto& line = image[static_cast<std::size_t>(source.top + r)];
                const auto col = static_cast<std::size_t>(source.left + c);
                const int value = col < line.size() ? line[col] : kTransparent;
                if (value != kTransparent) {
                    expected[static_cast<std::size_t>((y + r) * stride + x + c)] =
                        static_cast<std::uint8_t>(value);
                }
            }
        }
        const ToolRect position = {x, y, 0, 0};
        RLE_Decode(destination.data(), stride, &position, data.data(), data.size(), &source);
        ASSERT_EQ(destination, expected) << "iteration " << iteration;
    }
}

// Random bytes: whatever they say, only the area's pixels may change (and, under the
// sanitizers, nothing outside the data is read).
TEST(RleDecode, GarbageNeverTouchesOutsideTheArea) {
    testbytes::RandomRows rng(99);
    auto pick = [&rng](int lo, int hi) { return rng.Pick(lo, hi); };
    for (int iteration = 0; iteration < 2000; ++iteration) {
        Bytes data = rng.Row(static_cast<std::size_t>(pick(0, 200)));
        if (data.size() >= 2 && pick(0, 1) == 0) data[1] = 0;  // plausible small counts
        ToolRect source;
        source.left = pick(0, 150);
        source.right = source.left + pick(0, 40);
        source.top = pick(0, 4);
        source.bottom = source.top + pick(0, 4);
        const int areaWidth = source.right - source.left + 1;
        const int areaHeight = source.bottom - source.top + 1;
        const int stride = areaWidth + 4;
        const int rows = areaHeight + 2;
        Bytes destination(static_cast<std::size_t>(stride * rows), 0xAA);
        const ToolRect position = {2, 1, 0, 0};
        RLE_Decode(destination.data(), stride, &position, data.empty() ? nullptr : data.data(),
                   data.size(), &source);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < stride; ++c) {
                const bool inside = r >= 1 && r < 1 + areaHeight && c >= 2 && c < 2 + areaWidth;
                if (!inside) {
                    ASSERT_EQ(destination[static_cast<std::size_t>(r * stride + c)], 0xAA)
                        << "iteration " << iteration << " row " << r << " column " << c;
                }
            }
        }
    }
}

// --- Long stretches of one kind of run, which the skip passes several codes at a time ---

// The pixels of one line's codes, kTransparent where the destination keeps its pixel. A run
// whose colour or literal bytes are cut off by the end of the codes ends the line.
std::vector<int> ExpandCodes(const Bytes& codes) {
    std::vector<int> row;
    std::size_t p = 0;
    while (p < codes.size()) {
        const std::uint8_t c = codes[p++];
        if (c & 1) {
            row.insert(row.end(), static_cast<std::size_t>(c >> 1), kTransparent);
            continue;
        }
        const std::size_t length = (c >> 2) + 1u;
        const std::size_t bytes = (c & 2) ? 1 : length;
        if (codes.size() - p < bytes) break;
        for (std::size_t i = 0; i < length; ++i) row.push_back(codes[p + ((c & 2) ? 0 : i)]);
        p += bytes;
    }
    return row;
}

enum class Streak { Fills, MostlyTransparents, FullLiterals, FillsAndTransparents, AllKinds };

// Codes of about 700 pixels made mostly or only of the given kinds of run (transparent runs
// of length 0 included; a fill now and then among them shows where they end).
Bytes StreakCodes(Streak streak, testbytes::RandomRows& rng) {
    auto pick = [&rng](int lo, int hi) { return rng.Pick(lo, hi); };
    Bytes codes;
    for (int covered = 0; covered < 700;) {
        int kind = 0;  // 0 fill, 1 transparent, 2 literal of 64, 3 short literal
        switch (streak) {
            case Streak::Fills:
                kind = 0;
                break;
            case Streak::MostlyTransparents:
                kind = pick(0, 9) == 0 ? 0 : 1;
                break;
            case Streak::FullLiterals:
                kind = 2;
                break;
            case Streak::FillsAndTransparents:
                kind = pick(0, 1);
                break;
            case Streak::AllKinds:
                kind = pick(0, 3);
                break;
        }
        if (kind == 0) {
            const int length = pick(1, 64);
            codes.push_back(static_cast<std::uint8_t>((length - 1) << 2 | 2));
            codes.push_back(static_cast<std::uint8_t>(pick(0, 254)));
            covered += length;
        } else if (kind == 1) {
            const int length = pick(0, 1) == 0 ? pick(0, 127) : pick(0, 8);  // short ones too,
            codes.push_back(static_cast<std::uint8_t>(length << 1 | 1));     // so groups of 8 fit
            covered += length;
        } else {
            const int length = kind == 2 ? 64 : pick(1, 63);
            codes.push_back(static_cast<std::uint8_t>((length - 1) << 2));
            for (int i = 0; i < length; ++i) {
                codes.push_back(static_cast<std::uint8_t>(pick(0, 254)));
            }
            covered += length;
        }
    }
    return codes;
}

// Decodes columns [left, right] of the one-line data into a row of `width` pixels holding
// 255, at the same columns, and compares with the expanded codes.
void ExpectRow(const Bytes& data, const std::vector<int>& pixels, int width, int left, int right) {
    Bytes expected(static_cast<std::size_t>(width), 255);
    for (int c = left; c <= right; ++c) {
        const auto col = static_cast<std::size_t>(c);
        if (col < pixels.size() && pixels[col] != kTransparent) {
            expected[col] = static_cast<std::uint8_t>(pixels[col]);
        }
    }
    ASSERT_EQ(Decode(data, {left, 0, right, 0}, width, 1, left), expected)
        << "left " << left << " right " << right;
}

class RleDecodeStreak : public testing::TestWithParam<Streak> {};

TEST_P(RleDecodeStreak, EveryLeftEdgeMatchesTheReference) {
    testbytes::RandomRows rng(static_cast<unsigned>(GetParam()) + 7);
    for (int line = 0; line < 8; ++line) {
        const Bytes codes = StreakCodes(GetParam(), rng);
        const std::vector<int> pixels = ExpandCodes(codes);
        const int width = static_cast<int>(pixels.size());
        for (int left = 0; left < width; ++left) {
            ExpectRow(Line(codes), pixels, width, left, std::min(left + 20, width - 1));
        }
    }
}

// The line's count cuts its codes anywhere: nothing beyond the count is drawn, whether the
// data ends there or the rest of the codes follow it.
TEST_P(RleDecodeStreak, CutLinesMatchTheReference) {
    testbytes::RandomRows rng(static_cast<unsigned>(GetParam()) + 70);
    const Bytes codes = StreakCodes(GetParam(), rng);
    const int width = static_cast<int>(ExpandCodes(codes).size());
    for (std::size_t cut = 0; cut <= codes.size(); ++cut) {
        const Bytes kept(codes.begin(), codes.begin() + static_cast<std::ptrdiff_t>(cut));
        const std::vector<int> pixels = ExpandCodes(kept);
        const Bytes exact = Line(kept);
        const Bytes rest(codes.begin() + static_cast<std::ptrdiff_t>(cut), codes.end());
        const Bytes followed = Cat({exact, rest});
        for (const int left : {1, 9, 130, 333}) {
            ExpectRow(exact, pixels, width, left, width - 1);
            ExpectRow(followed, pixels, width, left, width - 1);
        }
    }
}

std::string StreakName(const testing::TestParamInfo<Streak>& p) {
    static const char* const kNames[] = {"Fills", "MostlyTransparents", "FullLiterals",
                                         "FillsAndTransparents", "AllKinds"};
    return kNames[static_cast<int>(p.param)];
}

INSTANTIATE_TEST_SUITE_P(Kinds, RleDecodeStreak,
                         testing::Values(Streak::Fills, Streak::MostlyTransparents,
                                         Streak::FullLiterals, Streak::FillsAndTransparents,
                                         Streak::AllKinds),
                         StreakName);

// Lines above the area are passed four at a time: the area may start at any line, and data
// that ends inside any line's codes ends the picture there, wherever that line lies.
TEST(RleDecode, AreaStartsAtAnyLineAndDataEndsInAnyLine) {
    constexpr int kLines = 11;
    Bytes data;
    std::vector<std::size_t> colourAt;  // where each line's colour byte lies
    for (int l = 0; l < kLines; ++l) {
        Bytes codes(static_cast<std::size_t>(l), 0x01);  // l empty transparent runs, then a fill
        codes.push_back(0x02);
        codes.push_back(static_cast<std::uint8_t>(l));
        data = Cat({data, Line(codes)});
        colourAt.push_back(data.size() - 1);
    }
    for (int top = 0; top < kLines; ++top) {
        const int rows = kLines - top;
        EXPECT_EQ(Decode(data, {0, top, 0, kLines - 1}, 1, rows),
                  Iota(rows, static_cast<std::uint8_t>(top)))
            << "top " << top;
        for (int end = 0; end < kLines; ++end) {
            // The data stops just before line `end`'s colour: lines above it are drawn.
            const auto size = static_cast<std::ptrdiff_t>(colourAt[static_cast<std::size_t>(end)]);
            const Bytes cut(data.begin(), data.begin() + size);
            Bytes expected(static_cast<std::size_t>(rows), 255);
            for (int r = 0; top + r < end; ++r) {
                expected[static_cast<std::size_t>(r)] = static_cast<std::uint8_t>(top + r);
            }
            EXPECT_EQ(Decode(cut, {0, top, 0, kLines - 1}, 1, rows), expected)
                << "top " << top << " data ending in line " << end;
        }
    }
}

}  // namespace

// The fast decoder against the plain one, on random lines of every kind of run (long
// stretches of one kind, every length, lines cut anywhere, counts past the data's end) and
// random areas and positions: the destinations must come out byte for byte the same.
TEST(RleDecodeReference, FastMatchesPlainOnRandomAndEdgeLines) {
    testbytes::RandomRows random(20261210u);
    auto pick = [&random](int low, int high) { return random.Pick(low, high); };
    for (int round = 0; round < 3000; ++round) {
        const int imageWidth = pick(1, 300);
        const int imageHeight = pick(1, 12);
        Bytes data;
        for (int y = 0; y < imageHeight; ++y) {
            // Each line favours one kind of run, so long stretches of it occur.
            const int kind = pick(0, 3);
            Bytes codes;
            const int runs = pick(0, 40);
            for (int r = 0; r < runs; ++r) {
                const int k = kind == 3 ? pick(0, 2) : (pick(0, 3) == 0 ? pick(0, 2) : kind);
                if (k == 0) {
                    codes.push_back(static_cast<std::uint8_t>(2 * pick(0, 127) + 1));
                } else if (k == 1) {
                    codes.push_back(static_cast<std::uint8_t>(4 * pick(0, 63) + 2));
                    codes.push_back(static_cast<std::uint8_t>(pick(0, 255)));
                } else {
                    const int length = pick(0, 3) == 0 ? 64 : pick(1, 64);
                    codes.push_back(static_cast<std::uint8_t>(4 * (length - 1)));
                    for (int i = 0; i < length; ++i)
                        codes.push_back(static_cast<std::uint8_t>(pick(0, 255)));
                }
            }
            // Now and then a line cut short, or a count that claims more than there is.
            if (!codes.empty() && pick(0, 9) == 0)
                codes.resize(static_cast<std::size_t>(pick(0, static_cast<int>(codes.size()))));
            Bytes line = Line(codes);
            if (pick(0, 19) == 0) {
                line[0] = static_cast<std::uint8_t>(pick(0, 255));
                line[1] = static_cast<std::uint8_t>(pick(0, 255));
            }
            data.insert(data.end(), line.begin(), line.end());
        }
        if (pick(0, 9) == 0)
            data.resize(static_cast<std::size_t>(pick(0, static_cast<int>(data.size()))));

        const int stride = imageWidth + 3 + pick(0, 8);
        const int rows = imageHeight + 2 + pick(0, 3);
        ToolRect source;
        const int left = pick(-3, imageWidth - 1);
        const int top = pick(-2, imageHeight - 1);
        RECT_Set(&source, left, top, pick(left, imageWidth - 1), pick(top, imageHeight - 1));
        // The destination area, columns and rows before the image's first included.
        const int width = source.right - source.left + 1;
        const int height = source.bottom - source.top + 1;
        ToolRect position;
        RECT_Set(&position, pick(0, stride - width), pick(0, rows - height), 0, 0);
        const Bytes before =
            random.Row(static_cast<std::size_t>(stride) * static_cast<std::size_t>(rows));
        Bytes fast = before;
        Bytes plain = before;
        const std::uint8_t* bytes = data.empty() ? nullptr : data.data();
        RLE_Decode(fast.data(), stride, &position, bytes, data.size(), &source);
        RLE_DecodePlain(plain.data(), stride, &position, bytes, data.size(), &source);
        ASSERT_EQ(fast, plain) << "round " << round;
    }
}
