#include "tools/disctool/picread.h"

#include <png.h>

#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <unordered_map>

#include "toolkit/picload.h"
#include "toolkit/picreason.h"
#include "toolkit/rawbitm.h"
#include "toolkit/rawpal.h"
#include "toolkit/rawpict.h"

namespace disctool {
namespace {

// Pictures larger than the toolkit's bitmaps can be are refused before anything is
// allocated for their pixels.
bool FitsBitmap(std::uint64_t width, std::uint64_t height) {
    return width <= static_cast<std::uint64_t>(RAWBITM_MaxBytes) &&
           height <= static_cast<std::uint64_t>(RAWBITM_MaxBytes) &&
           width * height <= static_cast<std::uint64_t>(RAWBITM_MaxBytes);
}

std::string TooLarge(std::uint64_t width, std::uint64_t height) {
    return "picture of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels is larger than the toolkit's bitmaps (256 MiB)";
}

// Numbers the colours of an RGB picture in order of first appearance.
std::string IndexColours(const Bytes& rgb, IndexedPicture* picture) {
    std::unordered_map<std::uint32_t, std::uint8_t> indexOf;
    const std::size_t count = rgb.size() / 3;
    picture->pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t colour = static_cast<std::uint32_t>(rgb[3 * i]) << 16 |
                                     static_cast<std::uint32_t>(rgb[3 * i + 1]) << 8 |
                                     rgb[3 * i + 2];
        auto found = indexOf.find(colour);
        if (found == indexOf.end()) {
            if (indexOf.size() == 256) return "more than 256 colours; reduce it to 256 first";
            const std::size_t index = indexOf.size();
            found = indexOf.emplace(colour, static_cast<std::uint8_t>(index)).first;
            std::memcpy(picture->palette.data() + 3 * index, rgb.data() + 3 * i, 3);
        }
        picture->pixels[i] = found->second;
    }
    return {};
}

// ---- PNG ---------------------------------------------------------------------------------

struct PngRead {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool indexed = false;
    int paletteSize = 0;
    Bytes pixels;  // indexes, or RGB triples
    // The rows of pixels handed to libpng. Owned here, outside ReadPngFile, because a long jump
    // out of libpng skips the destructors of that function's locals.
    std::vector<png_bytep> rows;
    std::array<std::uint8_t, 768> palette{};
    std::string error;
};

void PngError(png_structp png, png_const_charp message) {
    static_cast<PngRead*>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// Reads the PNG into *read. Only *read changes after setjmp, so a long jump out of libpng
// leaves nothing in an undefined state here.
bool ReadPngFile(std::FILE* file, PngRead* read) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, read, PngError, PngWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        if (read->error.empty()) read->error = "not a readable PNG";
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    read->width = png_get_image_width(png, info);
    read->height = png_get_image_height(png, info);
    if (!FitsBitmap(read->width, read->height)) {
        read->error = TooLarge(read->width, read->height);
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    const int colourType = png_get_color_type(png, info);
    read->indexed = colourType == PNG_COLOR_TYPE_PALETTE;
    if (read->indexed) {
        png_colorp colours = nullptr;
        png_get_PLTE(png, info, &colours, &read->paletteSize);
        for (int i = 0; i < read->paletteSize && i < 256; ++i) {
            read->palette[3 * static_cast<std::size_t>(i)] = colours[i].red;
            read->palette[3 * static_cast<std::size_t>(i) + 1] = colours[i].green;
            read->palette[3 * static_cast<std::size_t>(i) + 2] = colours[i].blue;
        }
        png_set_packing(png);
    } else {
        png_set_expand(png);
        png_set_scale_16(png);
        png_set_strip_alpha(png);
        png_set_gray_to_rgb(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const std::size_t channels = read->indexed ? 1 : 3;
    if (rowBytes != channels * read->width) {
        read->error = "unexpected PNG pixel layout";
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    read->pixels.resize(rowBytes * read->height);
    read->rows.resize(read->height);
    for (std::size_t y = 0; y < read->height; ++y)
        read->rows[y] = read->pixels.data() + y * rowBytes;
    png_read_image(png, read->rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

std::string ReadPng(const char* path, IndexedPicture* picture) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return PICREASON_NotFound;
    PngRead read;
    const bool ok = ReadPngFile(file, &read);
    std::fclose(file);
    // libpng says "Read Error" when the file ends before the picture does.
    if (!ok && read.error == "Read Error") return "the PNG ends early: the file is cut short";
    if (!ok) return read.error;
    picture->width = read.width;
    picture->height = read.height;
    if (!read.indexed) return IndexColours(read.pixels, picture);
    for (const std::uint8_t index : read.pixels) {
        if (index >= read.paletteSize) {
            return "pixel index " + std::to_string(index) + " is out of range of the PNG's " +
                   std::to_string(read.paletteSize) + "-colour palette";
        }
    }
    picture->pixels = std::move(read.pixels);
    picture->palette = read.palette;
    return {};
}

// ---- PPM and PGM -------------------------------------------------------------------------

// The netpbm header fields: magic, width, height, maxval, each after white space and
// comments; then one white-space byte before binary samples.
struct PnmCursor {
    const std::string& bytes;
    std::size_t at = 0;

    // The next header token, or an empty string at the end.
    std::string Token() {
        while (at < bytes.size()) {
            if (bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n') ++at;
            } else if (std::isspace(static_cast<unsigned char>(bytes[at]))) {
                ++at;
            } else {
                break;
            }
        }
        const std::size_t start = at;
        while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at])) &&
               bytes[at] != '#') {
            ++at;
        }
        return bytes.substr(start, at - start);
    }

    // A decimal number of at most limit, or -1.
    long long Number(long long limit) {
        const std::string token = Token();
        if (token.empty() || token.size() > 12) return -1;
        long long value = 0;
        for (const char c : token) {
            if (c < '0' || c > '9') return -1;
            value = value * 10 + (c - '0');
        }
        return value <= limit ? value : -1;
    }
};

std::string ReadPnm(const std::string& bytes, IndexedPicture* picture) {
    PnmCursor cursor{bytes};
    const std::string magic = cursor.Token();
    const bool plain = magic == "P2" || magic == "P3";
    const std::size_t channels = magic == "P3" || magic == "P6" ? 3 : 1;
    const long long width = cursor.Number(RAWBITM_MaxBytes);
    const long long height = cursor.Number(RAWBITM_MaxBytes);
    const long long maxval = cursor.Number(65535);
    if (width < 0 || height < 0 || maxval < 1) return "damaged PPM/PGM header";
    if (!FitsBitmap(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height))) {
        return TooLarge(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
    }
    const std::size_t samples = static_cast<std::size_t>(width * height) * channels;
    const std::size_t sampleBytes = maxval > 255 ? 2 : 1;
    if (!plain) {
        ++cursor.at;  // the one white-space byte after maxval
        if (cursor.at > bytes.size() || (bytes.size() - cursor.at) / sampleBytes < samples) {
            return "PPM/PGM data ends early";
        }
    } else if (bytes.size() - cursor.at < samples) {
        return "PPM/PGM data ends early";  // every plain sample takes at least one byte
    }
    Bytes rgb(static_cast<std::size_t>(width * height) * 3);
    for (std::size_t i = 0; i < samples; ++i) {
        long long value = 0;
        if (plain) {
            value = cursor.Number(maxval);
            if (value < 0) return "damaged plain PPM/PGM sample";
        } else {
            const auto byte = [&](std::size_t k) {
                return static_cast<unsigned char>(bytes[cursor.at + k]);
            };
            value = sampleBytes == 2 ? (byte(0) << 8 | byte(1)) : byte(0);
            cursor.at += sampleBytes;
            if (value > maxval) return "PPM/PGM sample above its maxval";
        }
        const auto level = static_cast<std::uint8_t>((value * 255 + maxval / 2) / maxval);
        if (channels == 3) {
            rgb[i] = level;
        } else {
            rgb[3 * i] = rgb[3 * i + 1] = rgb[3 * i + 2] = level;
        }
    }
    picture->width = static_cast<std::uint32_t>(width);
    picture->height = static_cast<std::uint32_t>(height);
    return IndexColours(rgb, picture);
}

// ---- the toolkit loaders -----------------------------------------------------------------

std::string ReadWithToolkit(const char* path, IndexedPicture* picture) {
    const char* reason = nullptr;
    std::unique_ptr<RawPicture, decltype(&RAWPICT_Free)> loaded(PICTURE_Load(path, &reason),
                                                                &RAWPICT_Free);
    if (loaded == nullptr) return reason != nullptr ? reason : "cannot be loaded";
    const RawBitmap& bitmap = *loaded->bitmap;
    picture->width = static_cast<std::uint32_t>(bitmap.width);
    picture->height = static_cast<std::uint32_t>(bitmap.height);
    picture->pixels.assign(bitmap.pixels, bitmap.pixels + bitmap.size);
    const std::uint8_t* colours =
        loaded->palette != nullptr ? loaded->palette->rgb : RAWPAL_DefaultColours();
    std::memcpy(picture->palette.data(), colours, 768);
    return {};
}

}  // namespace

std::string ReadIndexedPicture(const char* path, IndexedPicture* picture) {
    char magic[8] = {};
    {
        std::ifstream probe(path, std::ios::binary);
        if (!probe) return PICREASON_NotFound;
        probe.read(magic, sizeof magic);
    }
    if (std::memcmp(magic, "\x89PNG", 4) == 0) return ReadPng(path, picture);
    if (magic[0] == 'P' && std::strchr("2356", magic[1]) != nullptr && magic[1] != '\0') {
        std::ifstream stream(path, std::ios::binary);
        stream.seekg(0, std::ios::end);
        const std::streamoff length = stream.tellg();
        // Header, and two bytes for each of three samples per pixel of the largest bitmap,
        // or plain samples of up to six characters each.
        if (length < 0 || static_cast<std::uint64_t>(length) > 4 * 1024ull * 1024 * 1024) {
            return "file too large";
        }
        // Read in one call into a string of the file's length (what was read is kept if the
        // file ends early).
        stream.seekg(0);
        std::string bytes(static_cast<std::size_t>(length), '\0');
        stream.read(bytes.data(), length);
        bytes.resize(static_cast<std::size_t>(stream.gcount()));
        return ReadPnm(bytes, picture);
    }
    return ReadWithToolkit(path, picture);
}

}  // namespace disctool
