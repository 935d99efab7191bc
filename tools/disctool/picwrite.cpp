#include "tools/disctool/picwrite.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "toolkit/rawpal.h"
#include "tools/disctool/stagedfile.h"
#include "tools/disctool/text.h"

namespace disctool {
namespace {

std::string ErrnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

const std::uint8_t* ColoursOf(const RawPicture& picture) {
    return picture.palette != nullptr ? picture.palette->rgb : RAWPAL_DefaultColours();
}

std::string WritePng(const RawPicture& picture, std::FILE* stream) {
    const RawBitmap& bitmap = *picture.bitmap;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(bitmap.width);
    image.height = static_cast<png_uint_32>(bitmap.height);
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = 256;
    const int written = png_image_write_to_stdio(&image, stream, 0, bitmap.pixels, bitmap.width,
                                                 ColoursOf(picture));
    std::string reason;
    if (written == 0) reason = std::string("cannot write PNG: ") + image.message;
    png_image_free(&image);
    return reason;
}

std::string WritePpm(const RawPicture& picture, std::FILE* stream) {
    const RawBitmap& bitmap = *picture.bitmap;
    const std::uint8_t* colours = ColoursOf(picture);
    std::fprintf(stream, "P6\n%d %d\n255\n", bitmap.width, bitmap.height);
    const std::size_t width = static_cast<std::size_t>(bitmap.width);
    std::vector<std::uint8_t> row(3 * width);
    for (std::int32_t y = 0; y < bitmap.height; ++y) {
        const std::uint8_t* pixel = bitmap.pixels + static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t* rgb = colours + 3 * static_cast<std::size_t>(pixel[x]);
            row[3 * x] = rgb[0];
            row[3 * x + 1] = rgb[1];
            row[3 * x + 2] = rgb[2];
        }
        if (std::fwrite(row.data(), 1, row.size(), stream) != row.size()) {
            return ErrnoText("cannot write the file");
        }
    }
    return {};
}

}  // namespace

bool OutputFormatFromPath(const char* path, OutputFormat* format) {
    if (EndsWithNoCase(path, ".png")) {
        *format = OutputFormat::Png;
        return true;
    }
    if (EndsWithNoCase(path, ".ppm")) {
        *format = OutputFormat::Ppm;
        return true;
    }
    return false;
}

std::string WritePicture(const RawPicture& picture, OutputFormat format, const char* path) {
    const RawBitmap* bitmap = picture.bitmap;
    if (bitmap == nullptr || bitmap->width <= 0 || bitmap->height <= 0) {
        const int width = bitmap != nullptr ? bitmap->width : 0;
        const int height = bitmap != nullptr ? bitmap->height : 0;
        return "the picture is empty (" + std::to_string(width) + " x " + std::to_string(height) +
               " pixels); PNG and PPM need at least one pixel";
    }
    StagedFile file(path);
    std::string reason = file.Open();
    if (!reason.empty()) return reason;
    reason = format == OutputFormat::Png ? WritePng(picture, file.Stream())
                                         : WritePpm(picture, file.Stream());
    if (!reason.empty()) return reason;
    return file.Commit();
}

std::string WriteFileBytes(const char* path, const std::vector<std::uint8_t>& bytes) {
    StagedFile file(path);
    std::string reason = file.Open();
    if (!reason.empty()) return reason;
    if (!bytes.empty() &&
        std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()) != bytes.size()) {
        return ErrnoText("cannot write the file");
    }
    return file.Commit();
}

}  // namespace disctool
