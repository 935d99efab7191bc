// Writes the seed corpora of the fuzz targets: small valid pictures of every kind the
// loaders read, made by our own encoders. Usage: seedwriter OUTPUT_DIR; the seeds go to
// OUTPUT_DIR/{rle,wiz,pcx,iff}/.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "tests/support/picenc.h"
#include "tests/support/rleinput.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& dir, const std::string& name, const picenc::Bytes& bytes) {
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + (dir / name).string());
}

picenc::Bytes Concat(picenc::Bytes a, const picenc::Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void WriteRleSeeds(const fs::path& dir) {
    picenc::Picture mixed = picenc::MakePicture(24, 16, picenc::Content::Mixed, 7);
    // Index 0 as the transparent colour: mixed pictures have some of it.
    const picenc::Bytes lines = picenc::RleLines(mixed, 0);
    const picenc::Bytes noise =
        picenc::RleLines(picenc::MakePicture(20, 6, picenc::Content::Noise, 3));
    const picenc::Bytes flat = picenc::RleLines(picenc::MakePicture(128, 4, picenc::Content::Flat));
    struct Seed {
        const char* name;
        fuzz::RleInput input;
        const picenc::Bytes* lines;
    };
    const Seed seeds[] = {
        {"whole", {32, 32, 24, 16, 0, 0, false, false, {}, {}}, &lines},
        {"offset", {32, 32, 24, 16, 5, 9, false, false, {}, {}}, &lines},
        {"hanging-left-top", {16, 16, 24, 16, -7, -3, false, false, {}, {}}, &lines},
        {"window", {32, 32, 24, 16, 2, 2, true, false, {3, 2, 17, 9}, {}}, &lines},
        {"clipped", {32, 32, 24, 16, 0, 0, false, true, {}, {4, 4, 12, 30}}, &lines},
        {"window-clipped",
         {20, 20, 24, 16, -2, 1, true, true, {5, 1, 23, 15}, {0, 3, 9, 19}},
         &lines},
        {"noise", {20, 6, 20, 6, 0, 0, false, false, {}, {}}, &noise},
        {"noise-window", {8, 8, 20, 6, 0, 0, true, false, {7, 1, 14, 5}, {}}, &noise},
        {"flat-wide", {64, 4, 128, 4, -40, 0, false, false, {}, {}}, &flat},
    };
    for (const Seed& s : seeds) Write(dir, s.name, Concat(fuzz::RleInputHead(s.input), *s.lines));
}

void WriteWizSeeds(const fs::path& dir) {
    const picenc::Picture a = picenc::MakePicture(13, 7, picenc::Content::Mixed, 11);
    const picenc::Picture b = picenc::MakePicture(9, 4, picenc::Content::Noise, 5);
    const picenc::Picture c = picenc::MakePicture(70, 3, picenc::Content::Flat, 2);
    const picenc::Bytes index0 = {0, 255};
    Write(dir, "single", Concat(index0, picenc::Wiz(a)));
    Write(dir, "single-transparent", Concat({0, 255}, picenc::Wiz(a, 1, true, 0)));
    Write(dir, "no-palette", Concat(index0, picenc::Wiz(b, 1, false)));
    Write(dir, "uncompressed", Concat(index0, picenc::Wiz(c, 0)));
    const picenc::Bytes multi = picenc::WizMulti({a, b, c}, false);
    Write(dir, "multi-0", Concat({0, 3}, multi));
    Write(dir, "multi-2", Concat({2, 3}, multi));
    Write(dir, "multi-3-missing", Concat({3, 3}, multi));
    Write(dir, "multi-own-palettes", Concat({1, 9}, picenc::WizMulti({a, b}, true)));
    // The smallest complete picture: 2 x 1, one fill of colour 5.
    const picenc::Bytes tiny = {'I', 'M',  'G', ' ', 0, 0, 0, 0x28, 'W', 'I', 'Z', 'H', 0, 0,
                                0,   0x14, 1,   0,   0, 0, 2, 0,    0,   0,   1,   0,   0, 0,
                                'W', 'I',  'Z', 'D', 0, 0, 0, 0x0C, 2,   0,   6,   5};
    Write(dir, "tiny", Concat(index0, tiny));
}

void WritePcxSeeds(const fs::path& dir) {
    Write(dir, "mixed", picenc::Pcx(picenc::MakePicture(16, 8, picenc::Content::Mixed, 4)));
    Write(dir, "odd-width", picenc::Pcx(picenc::MakePicture(5, 3, picenc::Content::Noise, 8)));
    Write(dir, "flat", picenc::Pcx(picenc::MakePicture(130, 2, picenc::Content::Flat)));
    Write(dir, "one-pixel", picenc::Pcx(picenc::MakePicture(1, 1, picenc::Content::Noise)));
}

void WriteIffSeeds(const fs::path& dir) {
    const picenc::Picture p = picenc::MakePicture(20, 6, picenc::Content::Mixed, 9);
    const picenc::Picture q = picenc::MakePicture(33, 5, picenc::Content::Noise, 12);
    Write(dir, "ilbm8-packed", picenc::Ilbm(p, 8, true));
    Write(dir, "ilbm8-plain", picenc::Ilbm(p, 8, false));
    Write(dir, "ilbm8-packed-mask", picenc::Ilbm(q, 8, true, true));
    Write(dir, "ilbm8-plain-mask", picenc::Ilbm(q, 8, false, true));
    Write(dir, "ilbm4-packed", picenc::Ilbm(q, 4, true));
    Write(dir, "ilbm1-plain", picenc::Ilbm(p, 1, false));
    Write(dir, "pbm-packed", picenc::Pbm(p, true));
    Write(dir, "pbm-plain", picenc::Pbm(q, false));
    // An odd-sized chunk (with its pad byte) before the others.
    picenc::Bytes withExtra = picenc::Pbm(p, true);
    const picenc::Bytes extra = {'A', 'N', 'N', 'O', 0, 0, 0, 3, 'a', 'b', 'c', 0};
    withExtra.insert(withExtra.begin() + 12, extra.begin(), extra.end());
    const std::uint32_t formSize = static_cast<std::uint32_t>(withExtra.size() - 8);
    for (int i = 0; i < 4; ++i)
        withExtra[static_cast<std::size_t>(4 + i)] =
            static_cast<std::uint8_t>(formSize >> (24 - 8 * i));
    Write(dir, "pbm-odd-chunk", withExtra);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seedwriter OUTPUT_DIR\n");
        return 2;
    }
    try {
        const fs::path out = argv[1];
        WriteRleSeeds(out / "rle");
        WriteWizSeeds(out / "wiz");
        WritePcxSeeds(out / "pcx");
        WriteIffSeeds(out / "iff");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "seedwriter: %s\n", e.what());
        return 1;
    }
    return 0;
}
