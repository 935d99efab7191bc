// Draws run-length coded lines with RAWBITM_DrawPacked at a position, source rectangle and
// clip rectangle taken from the input (see rleinput.h), into a bitmap whose size also comes
// from the input. Besides the sanitizers' checks on reads and writes, it checks that no
// pixel outside the destination area (clipped to the clip rectangle) changed.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "toolkit/rawbitm.h"
#include "tests/support/rleinput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::uint8_t kUntouched = 0xA5;

bool Inside(const ToolRect& r, std::int32_t x, std::int32_t y) {
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::RleInput in;
    if (!fuzz::ParseRleInput(data, size, &in)) return 0;

    // The coded lines in a buffer of their own, so that a read before or after them is
    // caught by the address sanitizer.
    const std::size_t codedSize = size - fuzz::kRleInputHeadSize;
    std::unique_ptr<std::uint8_t[]> coded(new std::uint8_t[codedSize]);
    if (codedSize > 0) std::memcpy(coded.get(), data + fuzz::kRleInputHeadSize, codedSize);

    RawBitmap* bitmap = RAWBITM_Create(in.bitmapWidth, in.bitmapHeight);
    if (bitmap == nullptr) std::abort();
    if (bitmap->size > 0)
        std::memset(bitmap->pixels, kUntouched, static_cast<std::size_t>(bitmap->size));

    RAWBITM_DrawPacked(bitmap, coded.get(), codedSize, in.imageWidth, in.imageHeight, in.x, in.y,
                       in.hasSource ? &in.source : nullptr, in.hasClip ? &in.clip : nullptr);

    // The area the draw may change: the destination rectangle the image (or its source
    // area) covers at (x, y), within the clip rectangle when one is given.
    ToolRect area;
    if (in.hasSource)
        RECT_Set(&area, in.x, in.y, in.x + RECT_Width(&in.source) - 1,
                 in.y + RECT_Height(&in.source) - 1);
    else
        RECT_Set(&area, in.x, in.y, in.x + in.imageWidth - 1, in.y + in.imageHeight - 1);
    for (std::int32_t y = 0; y < bitmap->height; ++y)
        for (std::int32_t x = 0; x < bitmap->width; ++x) {
            const bool allowed = Inside(area, x, y) && (!in.hasClip || Inside(in.clip, x, y));
            if (!allowed && bitmap->pixels[y * bitmap->width + x] != kUntouched) std::abort();
        }
    RAWBITM_Free(bitmap);
    return 0;
}
