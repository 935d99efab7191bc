#include "toolkit/tooliff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/toolkit/fixtures.h"
#include "toolkit/picreason.h"
#include "toolkit/rawbitm.h"
#include "toolkit/rawpict.h"
#include "toolkit/toolfile.h"
#include "toolkit/toolread.h"

namespace {

using fixtures::Bytes;

// ---- Building IFF files in code ----

Bytes Chunk(const char* tag, const Bytes& payload, bool pad = true) {
    Bytes out;
    fixtures::PutTag(out, tag);
    fixtures::PutBE32(out, static_cast<std::uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    if (pad && payload.size() % 2 != 0) out.push_back(0);
    return out;
}

Bytes Form(const char* type, const std::vector<Bytes>& chunks) {
    Bytes body;
    fixtures::PutTag(body, type);
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    Bytes out;
    fixtures::PutTag(out, "FORM");
    fixtures::PutBE32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes Bmhd(int w, int h, int planes, int masking, int compression) {
    Bytes p;
    fixtures::PutBE16(p, static_cast<std::uint32_t>(w));
    fixtures::PutBE16(p, static_cast<std::uint32_t>(h));
    fixtures::PutBE16(p, 0);
    fixtures::PutBE16(p, 0);
    fixtures::PutBytes(p, {static_cast<std::uint8_t>(planes), static_cast<std::uint8_t>(masking),
                           static_cast<std::uint8_t>(compression), 0});
    fixtures::PutBE16(p, 0);
    fixtures::PutBytes(p, {10, 11});
    fixtures::PutBE16(p, static_cast<std::uint32_t>(w));
    fixtures::PutBE16(p, static_cast<std::uint32_t>(h));
    return Chunk("BMHD", p);
}

// A colour map of count entries; entry i is (i + 1, 2 i, 255 - i) and seed shifts red.
Bytes Cmap(int count, int seed = 0) {
    Bytes p;
    for (int i = 0; i < count; ++i)
        fixtures::PutBytes(
            p, {static_cast<std::uint8_t>(i + 1 + seed), static_cast<std::uint8_t>(2 * i),
                static_cast<std::uint8_t>(255 - i)});
    return Chunk("CMAP", p);
}

Bytes Body(const Bytes& data) { return Chunk("BODY", data); }

// ByteRun1 packing: runs of three or more equal bytes as run packets, the rest as literals.
Bytes Pack(const Bytes& data) {
    Bytes out;
    std::size_t i = 0;
    while (i < data.size()) {
        std::size_t run = 1;
        while (i + run < data.size() && run < 128 && data[i + run] == data[i]) ++run;
        if (run >= 3) {
            out.push_back(static_cast<std::uint8_t>(257 - run));
            out.push_back(data[i]);
            i += run;
            continue;
        }
        std::size_t start = i;
        while (i < data.size() && i - start < 128) {
            if (i + 2 < data.size() && data[i] == data[i + 1] && data[i] == data[i + 2]) break;
            ++i;
        }
        out.push_back(static_cast<std::uint8_t>(i - start - 1));
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(start),
                   data.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return out;
}

// The plane rows of one image row: planes x rowBytes, plane 0 (the lowest bit) first,
// leftmost pixel in the top bit.
Bytes ToPlanes(const Bytes& row, int planes) {
    const std::size_t rowBytes = (row.size() + 15) / 16 * 2;
    Bytes out(static_cast<std::size_t>(planes) * rowBytes, 0);
    for (int p = 0; p < planes; ++p)
        for (std::size_t x = 0; x < row.size(); ++x)
            if (p < 8 && (row[x] >> p) & 1)
                out[static_cast<std::size_t>(p) * rowBytes + x / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
    return out;
}

// Pixels with runs and noise whose indexes use exactly `planes` bits.
Bytes TestPixels(int w, int h, int planes) {
    Bytes out;
    testbytes::RandomRows random(12345u + static_cast<std::uint32_t>(w * 31 + planes));
    const int mask = planes >= 8 ? 0xFF : (1 << planes) - 1;
    for (int i = 0; i < w * h; ++i) {
        const int value = (i / 5) % 3 == 0 ? (i / 5) : random.Pick(0, 255);
        out.push_back(static_cast<std::uint8_t>(value & mask));
    }
    return out;
}

// An ILBM body of the pixels, each plane row packed when packed, with a mask row of junk
// after each row when masked (and planes beyond the eighth filled with junk).
Bytes IlbmBody(const Bytes& pixels, int w, int h, int planes, bool masked, bool packed) {
    Bytes out;
    const std::size_t rowBytes = static_cast<std::size_t>((w + 15) / 16 * 2);
    for (int y = 0; y < h; ++y) {
        Bytes row(pixels.begin() + y * w, pixels.begin() + (y + 1) * w);
        Bytes plane = ToPlanes(row, planes);
        for (int p = 0; p < planes; ++p) {
            Bytes one(
                plane.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(p) * rowBytes),
                plane.begin() +
                    static_cast<std::ptrdiff_t>(static_cast<std::size_t>(p + 1) * rowBytes));
            if (p >= 8) one.assign(rowBytes, 0xA5);
            Bytes stored = packed ? Pack(one) : one;
            out.insert(out.end(), stored.begin(), stored.end());
        }
        if (masked) {
            Bytes mask(rowBytes, 0x5A);
            Bytes stored = packed ? Pack(mask) : mask;
            out.insert(out.end(), stored.begin(), stored.end());
        }
    }
    return out;
}

Bytes Pixels(const RawPicture* picture) {
    return Bytes(picture->bitmap->pixels, picture->bitmap->pixels + picture->bitmap->size);
}

RawPicture* LoadBytes(const Bytes& file, const char** reason = nullptr) {
    std::string path = fixtures::WriteTempFile("case.lbm", file);
    return IFF_Load(path.c_str(), reason);
}

// ---- Pictures that load ----

struct LoadCase {
    std::string name;
    Bytes file;
    int width;
    int height;
    Bytes expected;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

LoadCase IlbmCase(std::string name, int w, int h, int planes, int masking, bool packed) {
    Bytes pixels = TestPixels(w, h, planes);
    Bytes body = IlbmBody(pixels, w, h, planes, masking == 1, packed);
    return {std::move(name),
            Form("ILBM", {Bmhd(w, h, planes, masking, packed ? 1 : 0), Cmap(256), Body(body)}), w,
            h, pixels};
}

// A 200 x 2 PBM whose first row has a 0x80 between a literal of 128 bytes and a run of 72,
// with a whole row of data still behind it: the unpacker meets it in the middle of a long
// stretch, where it reads several packets at a time. 0x80 is a no-op there too.
LoadCase NoOpAmidLongStretch() {
    Bytes pixels;
    Bytes body;
    for (int row = 0; row < 2; ++row) {
        Bytes literal;
        for (int i = 0; i < 128; ++i) literal.push_back(static_cast<std::uint8_t>(row * 64 + i));
        body.push_back(0x7F);
        body.insert(body.end(), literal.begin(), literal.end());
        pixels.insert(pixels.end(), literal.begin(), literal.end());
        if (row == 0) body.push_back(0x80);
        body.push_back(257 - 72);
        body.push_back(static_cast<std::uint8_t>(0xE0 + row));
        pixels.insert(pixels.end(), 72, static_cast<std::uint8_t>(0xE0 + row));
    }
    return {"PBM ByteRun1 0x80 amid a long stretch",
            Form("PBM ", {Bmhd(200, 2, 8, 0, 1), Cmap(256), Body(body)}), 200, 2, pixels};
}

LoadCase PbmCase(std::string name, int w, int h, int masking) {
    Bytes pixels = TestPixels(w, h, 8);
    Bytes body;
    for (int y = 0; y < h; ++y) {
        Bytes packed = Pack(Bytes(pixels.begin() + y * w, pixels.begin() + (y + 1) * w));
        body.insert(body.end(), packed.begin(), packed.end());
        if (masking == 1) {
            Bytes mask = Pack(Bytes(static_cast<std::size_t>(w), 0x77));
            body.insert(body.end(), mask.begin(), mask.end());
        }
    }
    return {std::move(name), Form("PBM ", {Bmhd(w, h, 8, masking, 1), Cmap(256), Body(body)}), w, h,
            pixels};
}

std::vector<LoadCase> LoadCases() {
    std::vector<LoadCase> cases = {
        {"PBM plain", Form("PBM ", {Bmhd(3, 2, 8, 0, 0), Cmap(256), Body({1, 2, 3, 4, 5, 6})}), 3, 2,
         {1, 2, 3, 4, 5, 6}},
        // 0xFF 0x2A gives two 0x2A; 0x80 is a no-op; 0xFD 0x07 gives four 0x07.
        {"PBM ByteRun1 runs, literals and 0x80",
         Form("PBM ", {Bmhd(4, 2, 8, 0, 1), Cmap(256), Body({0xFF, 0x2A, 0x01, 5, 6, 0x80, 0xFD, 7})}), 4, 2,
         {0x2A, 0x2A, 5, 6, 7, 7, 7, 7}},
        // A literal past the row end is cut and its surplus stepped over; a run is cut.
        {"PBM literal and run cut at row end",
         Form("PBM ", {Bmhd(3, 3, 8, 0, 1), Cmap(256), Body({0x04, 1, 2, 3, 4, 5, 0x02, 6, 7, 8, 0xFC, 9})}), 3, 3,
         {1, 2, 3, 6, 7, 8, 9, 9, 9}},
        {"PBM masking 1, plain", Form("PBM ", {Bmhd(2, 2, 8, 1, 0), Cmap(256), Body({1, 2, 9, 9, 3, 4, 9, 9})}), 2, 2,
         {1, 2, 3, 4}},
        {"PBM masking 1, packed",
         Form("PBM ", {Bmhd(2, 2, 8, 1, 1), Cmap(256), Body({0x01, 1, 2, 0xFF, 0, 0x01, 3, 4, 0xFF, 0})}), 2, 2,
         {1, 2, 3, 4}},
        {"PBM masking 2 has no mask row", Form("PBM ", {Bmhd(2, 2, 8, 2, 0), Cmap(256), Body({1, 2, 3, 4})}), 2, 2,
         {1, 2, 3, 4}},
        {"PBM masking 3 has no mask row", Form("PBM ", {Bmhd(2, 2, 8, 3, 1), Cmap(256), Body({0x01, 1, 2, 0x01, 3, 4})}), 2,
         2, {1, 2, 3, 4}},
        // Planes 0, 1 and 3 set the leftmost pixel (11); plane 2 the next (4); plane 3 the
        // last (8). The second row holds the colours 0 to 15 in order.
        {"ILBM 4 planes, leftmost pixel from the top bits",
         Form("ILBM", {Bmhd(16, 2, 4, 0, 0), Cmap(16),
                       Body({0x80, 0x00, 0x80, 0x00, 0x40, 0x00, 0x80, 0x01,
                             0x55, 0x55, 0x33, 0x33, 0x0F, 0x0F, 0x00, 0xFF})}),
         16, 2, {11, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
        {"odd chunk padded", Form("PBM ", {Bmhd(2, 1, 8, 0, 0), Chunk("ANNO", {'a', 'b', 'c'}), Cmap(256), Body({7, 8})}),
         2, 1, {7, 8}},
        {"odd last BODY without its pad byte",
         Form("PBM ", {Bmhd(3, 1, 8, 0, 0), Cmap(256), Chunk("BODY", {7, 8, 9}, false)}), 3, 1, {7, 8, 9}},
        {"zero-sized chunk passed over",
         Form("PBM ", {Bmhd(2, 1, 8, 0, 0), Chunk("ANNO", {}), Cmap(256), Body({7, 8})}), 2, 1, {7, 8}},
        // Rows the body does not reach stay 0; the next chunk's bytes are not pixels.
        {"short BODY, plain", Form("PBM ", {Bmhd(2, 2, 8, 0, 0), Cmap(256), Body({1, 2}), Chunk("ANNO", {9, 9})}), 2,
         2, {1, 2, 0, 0}},
        {"short BODY, packed", Form("PBM ", {Bmhd(2, 3, 8, 0, 1), Cmap(256), Body({0x01, 1, 2, 0xFF})}), 2, 3,
         {1, 2, 0, 0, 0, 0}},
        {"short ILBM BODY drops the partial row",
         Form("ILBM", {Bmhd(8, 2, 2, 0, 0), Cmap(4), Body({0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00})}), 8, 2,
         {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"second BMHD replaces the first",
         Form("PBM ", {Bmhd(5, 5, 8, 0, 0), Bmhd(2, 1, 8, 0, 0), Cmap(256), Body({4, 5})}), 2, 1, {4, 5}},
        {"second BODY passed over",
         Form("PBM ", {Bmhd(2, 1, 8, 0, 0), Cmap(256), Body({4, 5}), Body({6, 7})}), 2, 1, {4, 5}},
        // A FORM that declares more than the file holds ends at the end of the file.
        {"FORM longer than the file",
         [] {
             Bytes f = Form("PBM ", {Bmhd(2, 1, 8, 0, 0), Cmap(256), Body({4, 5})});
             f[7] = static_cast<std::uint8_t>(f[7] + 100);
             return f;
         }(),
         2, 1, {4, 5}},
        IlbmCase("ILBM width 20, 8 planes, masking 1, plain", 20, 3, 8, 1, false),
        IlbmCase("ILBM width 20, 8 planes, masking 1, packed", 20, 3, 8, 1, true),
        IlbmCase("ILBM 9 planes, the ninth ignored", 24, 2, 9, 0, true),
        IlbmCase("ILBM wide, 8 planes, packed, masking 1", 300, 5, 8, 1, true),
        PbmCase("PBM wide, packed", 300, 5, 0),
        PbmCase("PBM wide, packed, masking 1", 301, 5, 1),
        NoOpAmidLongStretch(),
    };
    for (int planes = 1; planes <= 8; ++planes)
        for (int w : {1, 7, 13, 37, 64})
            cases.push_back(
                IlbmCase("ILBM " + std::to_string(planes) + " planes width " + std::to_string(w), w,
                         3, planes, 0, w % 2 == 1));
    return cases;
}

class IffLoad : public testing::TestWithParam<LoadCase> {};

TEST_P(IffLoad, ProducesExpectedPixels) {
    const LoadCase& c = GetParam();
    const char* reason = "unset";
    RawPicture* picture = LoadBytes(c.file, &reason);
    ASSERT_NE(picture, nullptr) << reason;
    EXPECT_EQ(reason, nullptr);
    EXPECT_EQ(picture->bitmap->width, c.width);
    EXPECT_EQ(picture->bitmap->height, c.height);
    EXPECT_EQ(Pixels(picture), c.expected);
    EXPECT_NE(picture->palette, nullptr);
    RAWPICT_Free(picture);
}

INSTANTIATE_TEST_SUITE_P(Cases, IffLoad, testing::ValuesIn(LoadCases()));

TEST(IffPalette, ShortCmapLeavesTheRestBlack) {
    // The BODY right after a 3-entry CMAP must not become colours.
    RawPicture* picture =
        LoadBytes(Form("PBM ", {Bmhd(2, 1, 8, 0, 0), Cmap(3), Body({0xEE, 0xEE})}));
    ASSERT_NE(picture, nullptr);
    const std::uint8_t* rgb = picture->palette->rgb;
    EXPECT_EQ(rgb[0], 1);
    EXPECT_EQ(rgb[3 * 2 + 1], 4);
    EXPECT_EQ(rgb[3 * 2 + 2], 253);
    for (int i = 9; i < 768; ++i) ASSERT_EQ(rgb[i], 0) << "byte " << i;
    RAWPICT_Free(picture);
}

TEST(IffPalette, SecondCmapReplacesTheFirst) {
    RawPicture* picture =
        LoadBytes(Form("PBM ", {Bmhd(2, 1, 8, 0, 0), Cmap(256), Cmap(2, 100), Body({1, 2})}));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->palette->rgb[0], 101);
    EXPECT_EQ(picture->palette->rgb[3], 102);
    EXPECT_EQ(picture->palette->rgb[6], 0);  // beyond the second map
    RAWPICT_Free(picture);
}

// ---- Files that are refused ----

using fixtures::RefusedCase;

std::vector<RefusedCase> RefusedCases() {
    Bytes bmhd = Bmhd(2, 1, 8, 0, 0);
    Bytes cmap = Cmap(256);
    Bytes body = Body({1, 2});
    Bytes hugeChunk;
    fixtures::PutTag(hugeChunk, "ANNO");
    fixtures::PutBE32(hugeChunk, 0xFFFFFFF8u);
    Bytes shortBmhd = Chunk("BMHD", Bytes(10, 1));
    Bytes zeroId(8, 0);
    Bytes notForm = Form("PBM ", {bmhd, cmap, body});
    notForm[0] = 'L';
    Bytes formCutBeforeBody = Form("PBM ", {bmhd, cmap, body});
    formCutBeforeBody[7] = static_cast<std::uint8_t>(formCutBeforeBody[7] - body.size() + 2);
    return {
        {"empty file", {}, PICREASON_IffNotForm},
        {"LIST instead of FORM", notForm, PICREASON_IffNotForm},
        {"FORM of another type", Form("ACBM", {bmhd, cmap, body}), PICREASON_IffFormType},
        {"BODY before CMAP", Form("PBM ", {bmhd, body, cmap}), PICREASON_IffBodyFirst},
        {"BODY before BMHD", Form("PBM ", {cmap, body, bmhd}), PICREASON_IffBodyFirst},
        {"no CMAP", Form("ILBM", {Bmhd(2, 1, 1, 0, 0), Body({0, 0})}), PICREASON_IffBodyFirst},
        {"no BODY", Form("PBM ", {bmhd, cmap}), PICREASON_IffNoBody},
        {"chunk size 0xFFFFFFF8 ends the walk", Form("PBM ", {bmhd, cmap, hugeChunk, body}),
         PICREASON_IffNoBody},
        {"BODY reaching past the FORM", formCutBeforeBody, PICREASON_IffNoBody},
        {"BODY reaching past the file",
         [&] {
             Bytes f = Form("PBM ", {bmhd, cmap, body});
             f.resize(f.size() - 1);
             return f;
         }(),
         PICREASON_IffNoBody},
        {"chunk id 0 ends the walk", Form("PBM ", {bmhd, cmap, zeroId, body}), PICREASON_IffNoBody},
        {"BMHD shorter than 20 bytes", Form("PBM ", {shortBmhd, cmap, body}),
         PICREASON_IffShortHeader},
        {"width 0", Form("PBM ", {Bmhd(0, 1, 8, 0, 0), cmap, body}), PICREASON_IffEmpty},
        {"height 0", Form("ILBM", {Bmhd(1, 0, 8, 0, 0), cmap, body}), PICREASON_IffEmpty},
        {"ILBM without planes", Form("ILBM", {Bmhd(2, 1, 0, 0, 0), cmap, body}),
         PICREASON_IffNoPlanes},
        {"65535 x 65535", Form("PBM ", {Bmhd(0xFFFF, 0xFFFF, 8, 0, 1), cmap, body}),
         PICREASON_TooLarge},
    };
}

class IffRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(IffRefused, ReturnsNullWithReason) {
    const RefusedCase& c = GetParam();
    const char* reason = nullptr;
    EXPECT_EQ(LoadBytes(c.file, &reason), nullptr);
    ASSERT_NE(reason, nullptr);
    EXPECT_STREQ(reason, c.reason);
}

INSTANTIATE_TEST_SUITE_P(Cases, IffRefused, testing::ValuesIn(RefusedCases()));

TEST(IffLoadFile, MissingFile) {
    const char* reason = nullptr;
    EXPECT_EQ(IFF_Load("no-such-folder/none.lbm", &reason), nullptr);
    EXPECT_STREQ(reason, PICREASON_NotFound);
}

// ---- The unpacker and the chunky body on their own ----

struct UnpackCase {
    const char* name;
    Bytes input;  // followed in the file by 0x99 0x98 when the unpacking succeeds
    int count;
    bool withDestination;
    Bytes expected;
    std::uint32_t endPosition;
    int result;
};

void PrintTo(const UnpackCase& c, std::ostream* os) { *os << c.name; }

class IffUnpack : public testing::TestWithParam<UnpackCase> {};

TEST_P(IffUnpack, ProducesCountBytesAndStopsAfterThem) {
    const UnpackCase& c = GetParam();
    Bytes file = c.input;
    if (c.result == 1) fixtures::PutBytes(file, {0x99, 0x98});
    std::string path = fixtures::WriteTempFile("unpack.bin", file);
    TOOLFILE* handle = TOOLFILE_Open(path.c_str(), "rb");
    ASSERT_NE(handle, nullptr);
    Bytes out(static_cast<std::size_t>(c.count) + 4, 0xEE);
    EXPECT_EQ(IFF_UnpackByteRun1(c.withDestination ? out.data() : nullptr, c.count, handle),
              c.result);
    EXPECT_EQ(TOOLFILE_Tell(handle), c.endPosition);
    if (c.withDestination) {
        Bytes produced(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(c.expected.size()));
        EXPECT_EQ(produced, c.expected);
        // Nothing is written past what was produced.
        for (std::size_t i = c.expected.size(); i < out.size(); ++i) EXPECT_EQ(out[i], 0xEE);
    }
    if (c.endPosition < file.size()) {
        EXPECT_EQ(TOOLFILE_ReadByte(handle), file[c.endPosition]);
    }
    TOOLFILE_Close(handle);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IffUnpack,
    testing::Values(
        UnpackCase{"run 0xFF 0x2A", {0xFF, 0x2A}, 2, true, {0x2A, 0x2A}, 2, 1},
        UnpackCase{"literal of three", {0x02, 1, 2, 3}, 3, true, {1, 2, 3}, 4, 1},
        UnpackCase{"0x80 is a no-op", {0x80, 0xFF, 0x2A}, 2, true, {0x2A, 0x2A}, 3, 1},
        UnpackCase{
            "literal cut, surplus stepped over", {0x04, 1, 2, 3, 4, 5}, 3, true, {1, 2, 3}, 6, 1},
        UnpackCase{"run cut", {0x81, 7}, 3, true, {7, 7, 7}, 2, 1},
        UnpackCase{"without destination", {0x02, 1, 2, 3, 0xFE, 4}, 6, false, {}, 6, 1},
        UnpackCase{"count 0 reads nothing", {0x02, 1, 2, 3}, 0, true, {}, 0, 1},
        UnpackCase{"data ends inside a literal", {0x02, 1}, 3, true, {1}, 2, 0},
        UnpackCase{"data ends before a run value", {0x01, 1, 2, 0xFE}, 5, true, {1, 2}, 4, 0}));

TEST(IffChunkyBody, ReadsRowsAndLeavesTheFileAfterThem) {
    BitmapHeader header{};
    header.w = 3;
    header.h = 2;
    header.compression = 1;
    header.masking = 1;
    // Two bytes of something else, then two rows each followed by a packed mask row.
    Bytes file = {0x55, 0x55, 0x02, 1, 2, 3, 0xFE, 0, 0xFE, 4, 0xFE, 0, 0x77};
    std::string path = fixtures::WriteTempFile("chunky.bin", file);
    TOOLFILE* handle = TOOLFILE_Open(path.c_str(), "rb");
    ASSERT_NE(handle, nullptr);
    TOOLFILE_Seek(handle, 2, 0);
    RawBitmap* bitmap = RAWBITM_Create(3, 2);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(IFF_ReadChunkyBody(bitmap, &header, handle), 1);
    EXPECT_EQ(Bytes(bitmap->pixels, bitmap->pixels + 6), (Bytes{1, 2, 3, 4, 4, 4}));
    EXPECT_EQ(TOOLFILE_ReadByte(handle), 0x77);

    RawBitmap* wrongSize = RAWBITM_Create(2, 2);
    ASSERT_NE(wrongSize, nullptr);
    EXPECT_EQ(IFF_ReadChunkyBody(wrongSize, &header, handle), 0);
    RAWBITM_Free(wrongSize);
    RAWBITM_Free(bitmap);
    TOOLFILE_Close(handle);
}

// The fast ByteRun1 unpacker against the plain one, stretch after stretch of random packets
// (literals and runs of every length, 0x80 anywhere, long stretches of one kind, data that
// ends anywhere), with and without a destination, at every kind of buffer edge: the bytes
// written, the outcomes and the places the readers stop must agree.
TEST(IffUnpackReference, FastMatchesPlainOnRandomAndEdgeStretches) {
    testbytes::RandomRows random(20261210u);
    auto pick = [&random](int low, int high) { return random.Pick(low, high); };
    for (int round = 0; round < 1000; ++round) {
        Bytes data;
        const int stretches = pick(1, 6);
        for (int s = 0; s < stretches; ++s) {
            const int kind = pick(0, 3);  // short literals, runs, 0x80s, or any packet
            for (int n = kind == 2 ? pick(100, 300) : pick(1, 60); n > 0; --n) {
                const int k = kind == 3 ? pick(0, 2) : kind;
                if (k == 0) {
                    const int length = pick(0, 3) == 0 ? pick(1, 128) : pick(1, 17);
                    data.push_back(static_cast<std::uint8_t>(length - 1));
                    for (int i = 0; i < length; ++i)
                        data.push_back(static_cast<std::uint8_t>(pick(0, 255)));
                } else if (k == 1) {
                    data.push_back(static_cast<std::uint8_t>(pick(0x81, 0xFF)));
                    data.push_back(static_cast<std::uint8_t>(pick(0, 255)));
                } else {
                    data.push_back(0x80);
                }
            }
        }
        data.resize(static_cast<std::size_t>(pick(0, static_cast<int>(data.size()))));
        const std::string path = fixtures::WriteTempFile("stretches.bin", data);
        const std::uint32_t capacity =
            static_cast<std::uint32_t>(pick(0, 2) == 0 ? pick(1, 300) : 65536);
        fixtures::FileReader fast(path, capacity);
        fixtures::FileReader plain(path, capacity);
        ASSERT_NE(fast.file, nullptr);
        ASSERT_NE(plain.file, nullptr);
        for (int stretch = 0;; ++stretch) {
            const int count = pick(0, 400);
            const bool withDestination = pick(0, 4) != 0;
            Bytes fastOut(static_cast<std::size_t>(count) + 16, 0x5A);
            Bytes plainOut = fastOut;
            const RowOutcome fastOutcome =
                IFF_UnpackRun1(&fast.reader, withDestination ? fastOut.data() : nullptr, count);
            const RowOutcome plainOutcome = IFF_UnpackRun1Plain(
                &plain.reader, withDestination ? plainOut.data() : nullptr, count);
            ASSERT_EQ(fastOutcome, plainOutcome) << "round " << round << " stretch " << stretch;
            ASSERT_EQ(fastOut, plainOut) << "round " << round << " stretch " << stretch;
            ASSERT_EQ(fast.reader.remaining + fast.reader.end - fast.reader.position,
                      plain.reader.remaining + plain.reader.end - plain.reader.position)
                << "round " << round << " stretch " << stretch;
            if (fastOutcome != RowOutcome::Done) break;
        }
    }
}

// The table-driven plane conversion against the plain one, pixel by pixel, for every number
// of planes and widths around whole bytes and words.
TEST(IffPlanesReference, FastMatchesPlainForEveryPlaneCount) {
    testbytes::RandomRows random(20261210u);
    for (int used = 1; used <= 8; ++used) {
        for (int width = 1; width <= 70; ++width) {
            const std::int32_t rowBytes = (width + 15) / 16 * 2;
            const Bytes planes = random.Row(static_cast<std::size_t>(used * rowBytes));
            Bytes fast(static_cast<std::size_t>(width) + 8, 0x5A);
            Bytes plain = fast;
            IFF_PlanesToPixels(planes.data(), rowBytes, used, fast.data(), width);
            IFF_PlanesToPixelsPlain(planes.data(), rowBytes, used, plain.data(), width);
            ASSERT_EQ(fast, plain) << used << " planes, width " << width;
        }
    }
}

}  // namespace
