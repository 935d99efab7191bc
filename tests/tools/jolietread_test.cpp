// Reading back a Joliet tree from an image laid out sector by sector here: names, sizes and
// recording times as Windows reads them, and damaged images refused without reading outside
// the file or walking a folder twice.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tools/disctool/jolietread.h"

namespace {

using disctool::ImageFile;
using disctool::ReadJolietTree;
using Image = std::vector<std::uint8_t>;

constexpr std::size_t kSector = 2048;

// A both-endian 32-bit number, as directory records hold extents and sizes.
void Put32(Image* image, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        (*image)[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        (*image)[at + 7 - i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// A Joliet identifier: UTF-16 code units, big-endian.
std::string Ucs2(const std::u16string& name) {
    std::string bytes;
    for (const char16_t unit : name) {
        bytes += static_cast<char>(unit >> 8);
        bytes += static_cast<char>(unit & 0xFF);
    }
    return bytes;
}

// 2023-11-15 00:13:20 at UTC+1 (four quarter hours): 2023-11-14 23:13:20 UTC.
const std::uint8_t kTime[7] = {123, 11, 15, 0, 13, 20, 4};
constexpr std::int64_t kSeconds = 1700003600;

// Writes a directory record at offset at and returns its length.
std::size_t PutRecord(Image* image, std::size_t at, std::uint32_t extent, std::uint32_t size,
                      std::uint8_t flags, const std::string& name) {
    const std::size_t length = (33 + name.size() + 1) & ~std::size_t{1};
    (*image)[at] = static_cast<std::uint8_t>(length);
    Put32(image, at + 2, extent);
    Put32(image, at + 10, size);
    for (std::size_t i = 0; i < 7; ++i) (*image)[at + 18 + i] = kTime[i];
    (*image)[at + 25] = flags;
    (*image)[at + 32] = static_cast<std::uint8_t>(name.size());
    for (std::size_t i = 0; i < name.size(); ++i)
        (*image)[at + 33 + i] = static_cast<std::uint8_t>(name[i]);
    return length;
}

// Sectors 16-18: a primary descriptor, the Joliet one (root at 19) and the terminator. The
// root holds "Données" (a folder at sector 20, whose parent record points back at the root)
// and "A.DAT;1" of 300 bytes; the folder holds "Ж😀.TXT;1" of 5 bytes.
Image GoodImage() {
    Image image(22 * kSector, 0);
    for (std::size_t n = 16; n <= 18; ++n) {
        image[n * kSector] = n == 16 ? 1 : n == 17 ? 2 : 255;
        for (std::size_t i = 0; i < 5; ++i)
            image[n * kSector + 1 + i] = static_cast<std::uint8_t>("CD001"[i]);
    }
    image[17 * kSector + 88] = '%';
    image[17 * kSector + 89] = '/';
    image[17 * kSector + 90] = 'E';
    PutRecord(&image, 17 * kSector + 156, 19, kSector, 2, std::string(1, '\0'));
    std::size_t at = 19 * kSector;
    at += PutRecord(&image, at, 19, kSector, 2, std::string(1, '\0'));
    at += PutRecord(&image, at, 19, kSector, 2, std::string(1, '\1'));
    at += PutRecord(&image, at, 20, kSector, 2, Ucs2(u"Donn\u00e9es"));
    PutRecord(&image, at, 21, 300, 0, Ucs2(u"A.DAT;1"));
    at = 20 * kSector;
    at += PutRecord(&image, at, 20, kSector, 2, std::string(1, '\0'));
    at += PutRecord(&image, at, 19, kSector, 2, std::string(1, '\1'));
    PutRecord(&image, at, 21, 5, 0, Ucs2(u"\u0416\U0001F600.TXT;1"));
    return image;
}

std::optional<std::vector<ImageFile>> Read(const Image& image, std::string* reason) {
    char name[] = "/tmp/jolietread-XXXXXX";
    const int descriptor = mkstemp(name);
    EXPECT_GE(descriptor, 0);
    unlink(name);
    EXPECT_EQ(write(descriptor, image.data(), image.size()), static_cast<ssize_t>(image.size()));
    auto files = ReadJolietTree(descriptor, reason);
    close(descriptor);
    return files;
}

TEST(JolietRead, NamesSizesAndTimesAsWindowsReadsThem) {
    std::string reason;
    const auto files = Read(GoodImage(), &reason);
    ASSERT_TRUE(files) << reason;
    ASSERT_EQ(files->size(), 2u);
    EXPECT_EQ((*files)[0].path, "A.DAT");
    EXPECT_EQ((*files)[0].size, 300u);
    EXPECT_EQ((*files)[0].writeTime, kSeconds);
    EXPECT_EQ((*files)[1].path,
              "Donn\xC3\xA9"
              "es/\xD0\x96\xF0\x9F\x98\x80.TXT");
    EXPECT_EQ((*files)[1].size, 5u);
}

// Each damage is refused with a reason, read inside the file only (the host suite runs under
// AddressSanitizer), and a folder that names its ancestor is walked once.
TEST(JolietRead, DamagedImagesAreRefusedOrWalkedOnce) {
    const struct {
        const char* what;
        std::function<void(Image*)> damage;
        bool reads;
    } cases[] = {
        {"no Joliet descriptor", [](Image* image) { (*image)[17 * kSector + 90] = 'X'; }, false},
        {"image ends in the descriptors", [](Image* image) { image->resize(17 * kSector + 100); },
         false},
        {"root beyond the image",
         [](Image* image) { Put32(image, 17 * kSector + 156 + 2, 0x7FFFFFFF); }, false},
        {"folder larger than the image",
         [](Image* image) { Put32(image, 17 * kSector + 156 + 10, 0xFFFFFFFF); }, false},
        {"record past its folder", [](Image* image) { Put32(image, 17 * kSector + 156 + 10, 100); },
         false},
        {"record shorter than its head", [](Image* image) { (*image)[19 * kSector] = 10; }, false},
        {"name past its record", [](Image* image) { (*image)[19 * kSector + 32] = 200; }, false},
        {"folder that names the root as a child",
         [](Image* image) { PutRecord(image, 20 * kSector + 68, 19, kSector, 2, Ucs2(u"LOOP")); },
         true},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        Image image = GoodImage();
        each.damage(&image);
        std::string reason;
        const auto files = Read(image, &reason);
        EXPECT_EQ(files.has_value(), each.reads) << reason;
        if (!files) EXPECT_FALSE(reason.empty());
    }
}

}  // namespace
