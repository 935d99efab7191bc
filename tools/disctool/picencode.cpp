#include "tools/disctool/picencode.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "tools/disctool/picread.h"
#include "tools/disctool/picwrite.h"
#include "toolkit/rawpict.h"
#include "tools/disctool/wizencode.h"
#include "toolkit/wizimage.h"
#include "tools/disctool/text.h"

namespace disctool {

namespace {

const Option kTransparentOption = {
    "--transparent", "INDEX",
    "codes pixels of palette index INDEX (0-255) as transparent runs.\n"
    "The launcher fills a picture with colour 255 before drawing it,\n"
    "so those pixels show palette entry 255, not INDEX."};

}  // namespace

const OptionUse kPictureEncodeOptions[1] = {{&kTransparentOption}};

namespace {

// The colour the launcher fills a WIZ picture with before drawing, and so the colour that
// transparent pixels show.
constexpr std::uint8_t kLauncherFillColour = 255;

int Fail(const std::string& subject, const std::string& reason) {
    std::fprintf(stderr, "disctool: %s: %s\n", subject.c_str(), reason.c_str());
    return kExitFailed;
}

// Decodes every image of the file with the toolkit's loader and compares it with what was
// meant to be stored. Returns an empty string, or what differs.
std::string CheckRoundTrip(Bytes& file, const std::vector<IndexedPicture>& pictures,
                           std::optional<std::uint8_t> transparent) {
    const WIZ_MEMFILE memfile{static_cast<std::uint32_t>(file.size()), file.data()};
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const IndexedPicture& expected = pictures[i];
        const char* failure = nullptr;
        std::unique_ptr<RawPicture, decltype(&RAWPICT_Free)> decoded(
            WIZ_LoadImage(&memfile, static_cast<std::uint32_t>(i), kLauncherFillColour, &failure),
            &RAWPICT_Free);
        const std::string which = "image " + std::to_string(i);
        if (decoded == nullptr || decoded->palette == nullptr) {
            return which + " does not load (" + (failure != nullptr ? failure : "no palette") + ")";
        }
        const RawBitmap& bitmap = *decoded->bitmap;
        if (static_cast<std::uint32_t>(bitmap.width) != expected.width ||
            static_cast<std::uint32_t>(bitmap.height) != expected.height) {
            return which + " loads with another size";
        }
        if (std::memcmp(decoded->palette->rgb, expected.palette.data(), 768) != 0) {
            return which + " loads with other colours";
        }
        for (std::size_t p = 0; p < expected.pixels.size(); ++p) {
            const std::uint8_t want = transparent && expected.pixels[p] == *transparent
                                          ? kLauncherFillColour
                                          : expected.pixels[p];
            if (bitmap.pixels[p] != want) return which + " loads with other pixels";
        }
    }
    return {};
}

}  // namespace

const char* CheckPictureEncode(Operands operands) {
    const char* output = operands.back();
    if (EndsWithNoCase(output, ".wiz")) return nullptr;
    return "the last operand, OUT, must end in .wiz";
}

int RunPictureEncode(const Invocation& invocation) {
    std::optional<std::uint8_t> transparent;
    if (const char* text = invocation.Value("--transparent")) {
        const std::size_t length = std::strlen(text);
        const bool digits = length > 0 && length <= 3 && std::strspn(text, "0123456789") == length;
        const int value = digits ? std::atoi(text) : -1;
        if (value < 0 || value > 255) {
            Fail("--transparent", std::string("'") + text + "' is not a palette index (0 to 255)");
            return kExitUsage;
        }
        transparent = static_cast<std::uint8_t>(value);
    }

    const Operands& operands = invocation.operands;
    const char* output = operands.back();
    std::vector<IndexedPicture> pictures(operands.size() - 1);
    for (std::size_t i = 0; i + 1 < operands.size(); ++i) {
        const std::string reason = ReadIndexedPicture(operands[i], &pictures[i]);
        if (!reason.empty()) {
            Fail(operands[i], reason);
            return InputStatus(operands[i]);
        }
    }

    std::string reason;
    std::optional<Bytes> file = wiz::EncodeFile(pictures, transparent, &reason);
    if (!file) return Fail(output, reason);
    reason = CheckRoundTrip(*file, pictures, transparent);
    if (!reason.empty())
        return Fail(output, "internal error, the encoded file is wrong: " + reason);
    reason = WriteFileBytes(output, *file);
    if (!reason.empty()) return Fail(output, reason);
    return kExitOk;
}

}  // namespace disctool
