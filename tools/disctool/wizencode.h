// Writing WIZ pictures: run-length coding of pixel lines (transparent, fill and literal runs)
// and the block layout of single-image and "MULT" files, as the toolkit's loader reads them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace disctool {

using Bytes = std::vector<std::uint8_t>;

// An 8-bit picture to be written: width x height palette indexes, rows top to bottom, and
// 256 colours of red, green, blue.
struct IndexedPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    Bytes pixels;
    std::array<std::uint8_t, 768> palette{};
};

namespace wiz {

// The longest runs one code byte holds.
inline constexpr std::size_t kMaxTransparentRun = 127;  // c >> 1 of an odd code
inline constexpr std::size_t kMaxFillRun = 64;          // (c >> 2) + 1
inline constexpr std::size_t kMaxLiteralRun = 64;
// A line's byte count is 16 bits, so its codes must fit in this many bytes.
inline constexpr std::size_t kMaxLineCodeBytes = 65535;

// Returns the code bytes of one line of width pixels (without the 16-bit count): the
// cheapest cover of the line by transparent runs (over pixels equal to transparent, when
// given), fill runs and literal runs. A line that is transparent throughout has no codes.
Bytes EncodeLine(const std::uint8_t* pixels, std::size_t width,
                 std::optional<std::uint8_t> transparent);

// Returns the payload of a "WIZD" block for picture (every line with its count), or an empty
// optional with *reason set when a line's codes exceed wiz::kMaxLineCodeBytes.
std::optional<Bytes> EncodePixels(const IndexedPicture& picture,
                                  std::optional<std::uint8_t> transparent, std::string* reason);

// Returns a whole WIZ file of the pictures: one picture gives a single-image file under an
// "IMAG" root; several give a "MULT" file whose images share one "RGBS" in "DEFA" when all
// palettes are equal. Empty optional, *reason set, when a line or the file does not fit.
std::optional<Bytes> EncodeFile(const std::vector<IndexedPicture>& pictures,
                                std::optional<std::uint8_t> transparent, std::string* reason);

}  // namespace wiz

}  // namespace disctool
