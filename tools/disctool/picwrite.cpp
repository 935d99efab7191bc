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
#include "tools/disctool/text.h"

namespace disctool {
namespace {

std::string ErrnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// A new file beside its destination that becomes the destination only on Commit; when the
// object goes away uncommitted the temporary file is removed.
class StagedFile {
public:
    explicit StagedFile(const char* destination) : m_destination(destination) {}
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile() {
        if (m_stream != nullptr) std::fclose(m_stream);
        if (!m_temporaryName.empty()) unlink(m_temporaryName.c_str());
    }

    // Creates the temporary file; returns an empty string or why it could not be made.
    std::string Open() {
        std::vector<char> name(m_destination.begin(), m_destination.end());
        const char suffix[] = ".XXXXXX";
        name.insert(name.end(), suffix, suffix + sizeof suffix);
        const int descriptor = mkstemp(name.data());
        if (descriptor < 0) return ErrnoText("cannot create a temporary file");
        m_temporaryName = name.data();
        // mkstemp makes the file private; the result gets the usual permissions instead.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor, static_cast<mode_t>(0666) & ~mask);
        m_stream = fdopen(descriptor, "wb");
        if (m_stream == nullptr) {
            close(descriptor);
            return ErrnoText("cannot write the temporary file");
        }
        return {};
    }

    std::FILE* Stream() const { return m_stream; }

    // Flushes and closes the temporary file and renames it to the destination. Returns an
    // empty string or why the destination was not written.
    std::string Commit() {
        std::FILE* stream = m_stream;
        m_stream = nullptr;
        bool written =
            std::fflush(stream) == 0 && std::ferror(stream) == 0 && fsync(fileno(stream)) == 0;
        int error = errno;
        if (std::fclose(stream) != 0 && written) {
            written = false;
            error = errno;
        }
        if (!written) {
            errno = error;
            return ErrnoText("cannot write the file");
        }
        if (std::rename(m_temporaryName.c_str(), m_destination.c_str()) != 0) {
            return ErrnoText("cannot replace the file");
        }
        m_temporaryName.clear();
        return {};
    }

private:
    std::string m_destination;
    std::string m_temporaryName;
    std::FILE* m_stream = nullptr;
};

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
