// Writes the seed corpora of the fuzz targets: small valid pictures of every kind the
// loaders read, made by our own encoders. Usage: seedwriter OUTPUT_DIR; the seeds go to
// OUTPUT_DIR/{rle,wiz,pcx,iff}/.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "picenc.h"
#include "rleinput.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& dir, const std::string& name, const Bytes& bytes)
{
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + (dir / name).string());
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void WriteRleSeeds(const fs::path& dir)
{
    EncPicture mixed = ENC_MakePicture(24, 16, EncContent::Mixed, 7);
    // Index 0 as the transparent colour: mixed pictures have some of it.
    const Bytes lines = ENC_RleLines(mixed, 0);
    const Bytes noise = ENC_RleLines(ENC_MakePicture(20, 6, EncContent::Noise, 3));
    const Bytes flat = ENC_RleLines(ENC_MakePicture(128, 4, EncContent::Flat));
    struct Seed {
        const char* name;
        RleInput input;
        const Bytes* lines;
    };
    const Seed seeds[] = {
        {"whole", {32, 32, 24, 16, 0, 0, false, false, {}, {}}, &lines},
        {"offset", {32, 32, 24, 16, 5, 9, false, false, {}, {}}, &lines},
        {"hanging-left-top", {16, 16, 24, 16, -7, -3, false, false, {}, {}}, &lines},
        {"window", {32, 32, 24, 16, 2, 2, true, false, {3, 2, 17, 9}, {}}, &lines},
        {"clipped", {32, 32, 24, 16, 0, 0, false, true, {}, {4, 4, 12, 30}}, &lines},
        {"window-clipped", {20, 20, 24, 16, -2, 1, true, true, {5, 1, 23, 15}, {0, 3, 9, 19}}, &lines},
        {"noise", {20, 6, 20, 6, 0, 0, false, false, {}, {}}, &noise},
        {"noise-window", {8, 8, 20, 6, 0, 0, true, false, {7, 1, 14, 5}, {}}, &noise},
        {"flat-wide", {64, 4, 128, 4, -40, 0, false, false, {}, {}}, &flat},
    };
    for (const Seed& s : seeds) Write(dir, s.name, Concat(RLEINPUT_Head(s.input), *s.lines));
}

void WriteWizSeeds(const fs::path& dir)
{
    const EncPicture a = ENC_MakePicture(13, 7, EncContent::Mixed, 11);
    const EncPicture b = ENC_MakePicture(9, 4, EncContent::Noise, 5);
    const EncPicture c = ENC_MakePicture(70, 3, EncContent::Flat, 2);
    const Bytes index0 = {0, 255};
    Write(dir, "single", Concat(index0, ENC_Wiz(a)));
    Write(dir, "single-transparent", Concat({0, 255}, ENC_Wiz(a, 1, true, 0)));
    Write(dir, "no-palette", Concat(index0, ENC_Wiz(b, 1, false)));
    Write(dir, "uncompressed", Concat(index0, ENC_Wiz(c, 0)));
    const Bytes multi = ENC_WizMulti({a, b, c}, false);
    Write(dir, "multi-0", Concat({0, 3}, multi));
    Write(dir, "multi-2", Concat({2, 3}, multi));
    Write(dir, "multi-3-missing", Concat({3, 3}, multi));
    Write(dir, "multi-own-palettes", Concat({1, 9}, ENC_WizMulti({a, b}, true)));
    // The smallest complete picture: 2 x 1, one fill of colour 5.
    const Bytes tiny = {'I',  'M',  'G',  ' ',  0,    0,    0,    0x28, 'W', 'I',
                        'Z',  'H',  0,    0,    0,    0x14, 1,    0,    0,   0,
                        2,    0,    0,    0,    1,    0,    0,    0,    'W', 'I',
                        'Z',  'D',  0,    0,    0,    0x0C, 2,    0,    6,   5};
    Write(dir, "tiny", Concat(index0, tiny));
}

void WritePcxSeeds(const fs::path& dir)
{
    Write(dir, "mixed", ENC_Pcx(ENC_MakePicture(16, 8, EncContent::Mixed, 4)));
    Write(dir, "odd-width", ENC_Pcx(ENC_MakePicture(5, 3, EncContent::Noise, 8)));
    Write(dir, "flat", ENC_Pcx(ENC_MakePicture(130, 2, EncContent::Flat)));
    Write(dir, "one-pixel", ENC_Pcx(ENC_MakePicture(1, 1, EncContent::Noise)));
}

void WriteIffSeeds(const fs::path& dir)
{
    const EncPicture p = ENC_MakePicture(20, 6, EncContent::Mixed, 9);
    const EncPicture q = ENC_MakePicture(33, 5, EncContent::Noise, 12);
    Write(dir, "ilbm8-packed", ENC_Ilbm(p, 8, true));
    Write(dir, "ilbm8-plain", ENC_Ilbm(p, 8, false));
    Write(dir, "ilbm8-packed-mask", ENC_Ilbm(q, 8, true, true));
    Write(dir, "ilbm8-plain-mask", ENC_Ilbm(q, 8, false, true));
    Write(dir, "ilbm4-packed", ENC_Ilbm(q, 4, true));
    Write(dir, "ilbm1-plain", ENC_Ilbm(p, 1, false));
    Write(dir, "pbm-packed", ENC_Pbm(p, true));
    Write(dir, "pbm-plain", ENC_Pbm(q, false));
    // An odd-sized chunk (with its pad byte) before the others.
    Bytes withExtra = ENC_Pbm(p, true);
    const Bytes extra = {'A', 'N', 'N', 'O', 0, 0, 0, 3, 'a', 'b', 'c', 0};
    withExtra.insert(withExtra.begin() + 12, extra.begin(), extra.end());
    const std::uint32_t formSize = static_cast<std::uint32_t>(withExtra.size() - 8);
    for (int i = 0; i < 4; ++i)
        withExtra[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(formSize >> (24 - 8 * i));
    Write(dir, "pbm-odd-chunk", withExtra);
}

}  // namespace

int main(int argc, char** argv)
{
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
