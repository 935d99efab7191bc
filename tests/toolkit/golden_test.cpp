// The golden table of the decoders: for every checked-in decoder fixture (the fuzz corpora
// of fuzz/corpus/) and for pictures made by the test encoders in every format and variant,
// the size, the outcome and hashes of the pixels and the palette, in one checked-in table
// (golden_decoders.txt). Any change of a decoded picture shows as a diff of that table.
//
// After a deliberate change of what the decoders produce, rewrite the table with
//   GOLDEN_UPDATE=1 toolkit_tests --gtest_filter='DecoderGolden.*'
// and review the diff before committing it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/toolkit/fixtures.h"
#include "toolkit/pcxloadr.h"
#include "tests/support/picenc.h"
#include "toolkit/rawbitm.h"
#include "toolkit/rawpict.h"
#include "tests/support/rleinput.h"
#include "toolkit/tooliff.h"
#include "toolkit/wizimage.h"

namespace {

namespace fs = std::filesystem;
using fixtures::Bytes;

// Pictures larger than this are not decoded: the fuzz targets skip them too, and filling
// hundreds of megabytes under the sanitizers would take minutes. Their line says so.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 22;

std::string Hex(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// One line of the table: name, width, height, pixel hash, palette hash, outcome. Frees the
// picture. (The load is made before the call, so that reason is read after it.)
std::string PictureLine(const std::string& name, RawPicture* picture, const char* reason) {
    std::ostringstream line;
    line << name << ' ';
    if (picture == nullptr) {
        line << "- - - - failed: " << (reason != nullptr ? reason : "(no reason)");
        return line.str();
    }
    const RawBitmap* b = picture->bitmap;
    line << b->width << ' ' << b->height << ' '
         << Hex(fixtures::Hash(b->pixels, static_cast<std::size_t>(b->size))) << ' '
         << Hex(fixtures::Hash(picture->palette->rgb, sizeof picture->palette->rgb)) << " loaded";
    RAWPICT_Free(picture);
    return line.str();
}

picenc::Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return picenc::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t BE32(const picenc::Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) << 24 | static_cast<std::uint32_t>(b[at + 1]) << 16 |
           static_cast<std::uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

std::uint32_t LE16(const picenc::Bytes& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8;
}

bool Allowed(std::int64_t width, std::int64_t height) {
    return width <= 0 || height <= 0 || (height <= 65536 && width * height <= kMaxPixels);
}

// The picture size a PCX or IFF file declares, or true when none is found: such files are
// refused early and cost nothing.
bool FileAllowed(const picenc::Bytes& bytes, bool pcx) {
    if (pcx) {
        if (bytes.size() < 128) return true;
        return Allowed(std::int64_t{LE16(bytes, 8)} - LE16(bytes, 4) + 1,
                       std::int64_t{LE16(bytes, 10)} - LE16(bytes, 6) + 1);
    }
    // Every "BMHD" chunk on the walk from the first chunk on.
    for (std::size_t p = 12; p + 8 <= bytes.size();) {
        const std::uint32_t size = BE32(bytes, p + 4);
        if (std::memcmp(&bytes[p], "BMHD", 4) == 0 && p + 12 <= bytes.size() &&
            !Allowed(bytes[p + 8] << 8 | bytes[p + 9], bytes[p + 10] << 8 | bytes[p + 11]))
            return false;
        if (size > bytes.size()) break;
        p += 8 + size + (size & 1u);
    }
    return true;
}

// The file loaded as the fuzz target of its format does.
std::string LoadCorpusFile(const std::string& format, const std::string& name,
                           const picenc::Bytes& bytes) {
    if (format == "rle") {
        fuzz::RleInput in;
        if (!fuzz::ParseRleInput(bytes.data(), bytes.size(), &in))
            return name + " - - - - too short";
        RawBitmap* bitmap = RAWBITM_Create(in.bitmapWidth, in.bitmapHeight);
        if (bitmap->size > 0)
            std::memset(bitmap->pixels, 0xA5, static_cast<std::size_t>(bitmap->size));
        const picenc::Bytes lines(bytes.begin() + fuzz::kRleInputHeadSize, bytes.end());
        RAWBITM_DrawPacked(bitmap, lines.data(), lines.size(), in.imageWidth, in.imageHeight, in.x,
                           in.y, in.hasSource ? &in.source : nullptr,
                           in.hasClip ? &in.clip : nullptr);
        std::ostringstream line;
        line << name << ' ' << bitmap->width << ' ' << bitmap->height << ' '
             << Hex(fixtures::Hash(bitmap->pixels, static_cast<std::size_t>(bitmap->size)))
             << " - drawn";
        RAWBITM_Free(bitmap);
        return line.str();
    }
    const char* reason = nullptr;
    if (format == "wiz") {
        if (bytes.size() < 2) return name + " - - - - too short";
        const std::uint32_t index =
            bytes[0] < 0xF0 ? bytes[0] % 8u : 0xFFFFFFFFu - (bytes[0] & 0x0Fu);
        const picenc::Bytes data(bytes.begin() + 2, bytes.end());
        WIZ_MEMFILE file{static_cast<std::uint32_t>(data.size()),
                         const_cast<std::uint8_t*>(data.data())};
        const std::uint8_t* header = WIZ_FindBlock(&file, index, "WIZH");
        if (header != nullptr && WIZ_GetBE32(header + 4) >= WIZ_HeaderBlockSize &&
            !Allowed(WIZ_GetLE32(header + 12), WIZ_GetLE32(header + 16)))
            return name + " - - - - not decoded: larger than the table allows";
        RawPicture* picture = WIZ_LoadImage(&file, index, bytes[1], &reason);
        return PictureLine(name, picture, reason);
    }
    const bool pcx = format == "pcx";
    if (!FileAllowed(bytes, pcx))
        return name + " - - - - not decoded: larger than the table allows";
    const std::string path = fixtures::WriteTempFile(pcx ? "corpus.pcx" : "corpus.lbm", bytes);
    RawPicture* picture = pcx ? PCX_Load(path.c_str(), &reason) : IFF_Load(path.c_str(), &reason);
    return PictureLine(name, picture, reason);
}

// Pictures of every format and variant made by the test encoders: long rows of every kind
// of run, which the small corpus files seldom have.
std::vector<std::string> EncodedLines() {
    std::vector<std::string> lines;
    const struct {
        const char* name;
        picenc::Content content;
    } contents[] = {{"flat", picenc::Content::Flat},
                    {"noise", picenc::Content::Noise},
                    {"mixed", picenc::Content::Mixed}};
    for (const auto& c : contents) {
        const picenc::Picture picture = picenc::MakePicture(333, 97, c.content);
        const std::string stem = std::string("encoded/") + c.name + "-333x97";
        auto load = [&](const std::string& variant, const picenc::Bytes& bytes, bool pcx) {
            const char* reason = nullptr;
            const std::string path =
                fixtures::WriteTempFile(pcx ? "encoded.pcx" : "encoded.lbm", bytes);
            RawPicture* loaded =
                pcx ? PCX_Load(path.c_str(), &reason) : IFF_Load(path.c_str(), &reason);
            lines.push_back(PictureLine(stem + "-" + variant, loaded, reason));
        };
        load("pcx", picenc::Pcx(picture), true);
        for (int planes : {1, 4, 8})
            for (bool packed : {false, true})
                for (bool masking : {false, true})
                    load("ilbm" + std::to_string(planes) + (packed ? "-byterun1" : "-plain") +
                             (masking ? "-mask" : ""),
                         picenc::Ilbm(picture, planes, packed, masking), false);
        load("pbm-plain", picenc::Pbm(picture, false), false);
        load("pbm-byterun1", picenc::Pbm(picture, true), false);
        for (int transparent : {-1, 0}) {
            const picenc::Bytes wiz = picenc::Wiz(picture, 1, true, transparent);
            WIZ_MEMFILE file{static_cast<std::uint32_t>(wiz.size()),
                             const_cast<std::uint8_t*>(wiz.data())};
            const char* reason = nullptr;
            RawPicture* loaded = WIZ_LoadImage(&file, 0, 255, &reason);
            lines.push_back(PictureLine(stem + "-wiz" + (transparent < 0 ? "" : "-transparent0"),
                                        loaded, reason));
        }
    }
    return lines;
}

std::vector<std::string> CurrentTable() {
    std::vector<std::string> lines;
    for (const char* format : {"iff", "pcx", "rle", "wiz"}) {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(fs::path(GOLDEN_CORPUS_DIR) / format))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files)
            lines.push_back(LoadCorpusFile(
                format, std::string(format) + "/" + file.filename().string(), ReadAll(file)));
    }
    for (std::string& line : EncodedLines()) lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> ReadTable(const char* path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    return lines;
}

const char kTableHead[] =
    "# Decoded fixtures: name, width, height, FNV-1a of the pixels, of the palette, outcome.\n"
    "# Written by golden_test.cpp with GOLDEN_UPDATE=1; review its diff before committing.\n";

TEST(DecoderGolden, EveryFixtureDecodesAsTheTableSays) {
    const std::vector<std::string> current = CurrentTable();
    if (const char* update = std::getenv("GOLDEN_UPDATE"); update != nullptr && *update == '1') {
        std::ofstream out(GOLDEN_TABLE, std::ios::trunc);
        out << kTableHead;
        for (const std::string& line : current) out << line << '\n';
        ASSERT_TRUE(out.good()) << "cannot write " << GOLDEN_TABLE;
        return;
    }
    const std::vector<std::string> table = ReadTable(GOLDEN_TABLE);
    ASSERT_FALSE(table.empty()) << GOLDEN_TABLE << " is missing or empty";
    // Line by line, so that each changed picture is named.
    const std::size_t n = std::max(table.size(), current.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::string want = i < table.size() ? table[i] : "(no line)";
        const std::string got = i < current.size() ? current[i] : "(no line)";
        EXPECT_EQ(got, want) << "line " << i + 1 << " of the table";
    }
}

}  // namespace
