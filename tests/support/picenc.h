// Small encoders for the picture formats the toolkit reads, and synthetic test pictures.
// The benchmarks make their input files with them, the fuzz seed writer its seeds and the
// tests their larger pictures; the product never encodes anything, so they live in the test
// support library, not in the toolkit.
#pragma once

#include <cstdint>
#include <vector>

namespace picenc {

using Bytes = std::vector<std::uint8_t>;

// An 8-bit picture in memory: width x height palette indexes, rows top to bottom, and 768
// bytes of red, green, blue.
struct Picture {
    int width = 0;
    int height = 0;
    Bytes pixels;
    Bytes palette;
};

enum class Content {
    Flat,   // wide bands of one colour: nearly everything codes as fills
    Noise,  // random indexes: nearly everything codes as literals
    Mixed,  // gradients, flat areas and some noise, 256 colours
};

// Returns a width x height picture of the given content, the same for the same arguments.
Picture MakePicture(int width, int height, Content content, std::uint32_t seed = 1);

// Run-length coded pixel lines of a WIZ picture: per row a 16-bit little-endian code count
// and the codes (transparent, fill, literal). Pixels equal to transparent (when 0-255)
// code as transparent runs. A row whose codes would not fit 65535 bytes is not supported.
Bytes RleLines(const Picture& picture, int transparent = -1);

// A single-image WIZ file: a root block holding "WIZH" (compression as given), "RGBS" when
// withPalette, and "WIZD" with the lines of RleLines.
Bytes Wiz(const Picture& picture, std::uint32_t compression = 1, bool withPalette = true,
          int transparent = -1);
// A "MULT" WIZ file with the pictures as images 0..n-1, the first picture's palette in a
// "DEFA" block, and each image's own "RGBS" only when ownPalettes.
Bytes WizMulti(const std::vector<Picture>& pictures, bool ownPalettes);

// A PCX file of 8 bits per pixel, one plane, version 5, run-length coded, bytes per line
// the width rounded up to even, and the 256-colour palette at the end behind a 0x0C byte.
Bytes Pcx(const Picture& picture);

// An IFF "ILBM" file of nPlanes bit-planes (1-8; the pixels' higher bits are dropped), plane
// rows packed with ByteRun1 when packed, and a mask row after each row when masking.
Bytes Ilbm(const Picture& picture, int nPlanes, bool packed, bool masking = false);
// An IFF "PBM " file: rows of width bytes, packed with ByteRun1 when packed.
Bytes Pbm(const Picture& picture, bool packed);

// ByteRun1 coding of one row, appended to out.
void ByteRun1(const std::uint8_t* row, int count, Bytes& out);

}  // namespace picenc
