// Loads a WIZ image from memory with WIZ_LoadImage. The first byte chooses the image index
// (0-7 mostly, sometimes one near the top of the range), the second the fill colour; the
// rest is the file, in a buffer of its own so that any read outside it is caught.
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/loadcheck.h"
#include "fuzz/picturecap.h"
#include "toolkit/wizimage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint32_t index = data[0] < 0xF0 ? data[0] % 8u : 0xFFFFFFFFu - (data[0] & 0x0Fu);
    const int fill = data[1];
    const std::size_t fileSize = size - 2;
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[fileSize == 0 ? 1 : fileSize]);
    if (fileSize > 0) std::memcpy(bytes.get(), data + 2, fileSize);

    WIZ_MEMFILE file{static_cast<std::uint32_t>(fileSize), bytes.get()};
    const std::uint8_t* header = WIZ_FindBlock(&file, index, "WIZH");
    if (header != nullptr && WIZ_GetBE32(header + 4) >= WIZ_HeaderBlockSize &&
        !fuzz::SizeAllowed(WIZ_GetLE32(header + 12), WIZ_GetLE32(header + 16)))
        return 0;
    const char* reason = nullptr;
    RawPicture* picture = WIZ_LoadImage(&file, index, fill, &reason);
    fuzz::CheckLoad(picture, reason);
    return 0;
}
