// Rectangles with inclusive corners and 8-bit bitmaps: creation, fills, copies and drawing of
// run-length coded pixels, all clipped to the bitmap.
#include "toolkit/rawbitm.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "toolkit/rledecode.h"
#include "toolkit/toolmem.h"

namespace {

// Rectangle arithmetic runs in 64 bits and saturates into 32, so coordinates taken from a
// picture header can never overflow; a saturated rectangle lies far outside any bitmap.
std::int32_t Saturate(std::int64_t value) {
    constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(value, low, high));
}

std::int64_t Extent(std::int32_t from, std::int32_t to) {
    const std::int64_t span = std::int64_t{to} - from;
    return (span < 0 ? -span : span) + 1;
}

// Offset of pixel (x, y) in a bitmap whose rows are width bytes apart; x and y lie inside it.
std::size_t PixelOffset(const RawBitmap* bitmap, std::int32_t x, std::int32_t y) {
    return static_cast<std::size_t>(bitmap->width) * static_cast<std::size_t>(y) +
           static_cast<std::size_t>(x);
}

}  // namespace

void RECT_Set(ToolRect* rect, std::int32_t left, std::int32_t top, std::int32_t right,
              std::int32_t bottom) {
    rect->left = left;
    rect->top = top;
    rect->right = right;
    rect->bottom = bottom;
}

void RECT_SetSize(ToolRect* rect, std::int32_t width, std::int32_t height) {
    RECT_Set(rect, 0, 0, Saturate(std::int64_t{width} - 1), Saturate(std::int64_t{height} - 1));
}

std::int32_t RECT_Width(const ToolRect* rect) { return Saturate(Extent(rect->left, rect->right)); }

std::int32_t RECT_Height(const ToolRect* rect) { return Saturate(Extent(rect->top, rect->bottom)); }

int RECT_IsValid(const ToolRect* rect) {
    return rect->right >= rect->left && rect->bottom >= rect->top ? 1 : 0;
}

void RECT_Offset(ToolRect* rect, std::int32_t dx, std::int32_t dy) {
    rect->left = Saturate(std::int64_t{rect->left} + dx);
    rect->right = Saturate(std::int64_t{rect->right} + dx);
    rect->top = Saturate(std::int64_t{rect->top} + dy);
    rect->bottom = Saturate(std::int64_t{rect->bottom} + dy);
}

int RECT_Intersect(ToolRect* a, const ToolRect* b) {
    if (a->left > b->right || a->top > b->bottom || a->right < b->left || a->bottom < b->top) {
        *a = RECT_Empty;
        return 0;
    }
    a->left = std::max(a->left, b->left);
    a->top = std::max(a->top, b->top);
    a->right = std::min(a->right, b->right);
    a->bottom = std::min(a->bottom, b->bottom);
    return 1;
}

void RECT_ClipPair(ToolRect* source, ToolRect* destination, const ToolRect* bounds) {
    std::int64_t d = std::int64_t{destination->left} - bounds->left;
    if (d < 0) {
        source->left = Saturate(source->left - d);
        destination->left = Saturate(destination->left - d);
    }
    d = std::int64_t{destination->right} - bounds->right;
    if (d > 0) {
        source->right = Saturate(source->right - d);
        destination->right = Saturate(destination->right - d);
    }
    d = std::int64_t{destination->top} - bounds->top;
    if (d < 0) {
        source->top = Saturate(source->top - d);
        destination->top = Saturate(destination->top - d);
    }
    d = std::int64_t{destination->bottom} - bounds->bottom;
    if (d > 0) {
        source->bottom = Saturate(source->bottom - d);
        destination->bottom = Saturate(destination->bottom - d);
    }
}

RawBitmap* RAWBITM_Create(std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) {
        return nullptr;
    }
    const std::int64_t size = std::int64_t{width} * height;
    if (size > RAWBITM_MaxBytes) {
        return nullptr;
    }
    auto* bitmap = static_cast<RawBitmap*>(TOOLMEM_Alloc(1, sizeof(RawBitmap)));
    if (bitmap == nullptr) {
        return nullptr;
    }
    bitmap->pixels = static_cast<std::uint8_t*>(TOOLMEM_Alloc(static_cast<std::size_t>(size), 1));
    if (bitmap->pixels == nullptr) {
        TOOLMEM_Free(bitmap);
        return nullptr;
    }
    bitmap->width = width;
    bitmap->height = height;
    bitmap->size = static_cast<std::int32_t>(size);
    return bitmap;
}

void RAWBITM_Free(RawBitmap* bitmap) {
    if (bitmap == nullptr) {
        return;
    }
    TOOLMEM_Free(bitmap->pixels);
    TOOLMEM_Free(bitmap);
}

void RAWBITM_FillRect(RawBitmap* bitmap, const ToolRect* rect, std::uint8_t colour) {
    ToolRect r = *rect;
    ToolRect bounds;
    RECT_SetSize(&bounds, bitmap->width, bitmap->height);
    // A reversed rectangle stays reversed after the intersection; RECT_Width would still
    // give it a positive width, so it is refused here rather than filled past the bitmap.
    if (!RECT_Intersect(&r, &bounds) || !RECT_IsValid(&r)) {
        return;
    }
    const auto length = static_cast<std::size_t>(RECT_Width(&r));
    const std::int32_t rows = RECT_Height(&r);
    std::uint8_t* row = bitmap->pixels + PixelOffset(bitmap, r.left, r.top);
    // Whole rows of the bitmap lie one after another: one block.
    if (length == static_cast<std::size_t>(bitmap->width)) {
        std::memset(row, colour, length * static_cast<std::size_t>(rows));
        return;
    }
    for (std::int32_t i = 0; i < rows; ++i, row += bitmap->width) {
        std::memset(row, colour, length);
    }
}

void RAWBITM_Copy(RawBitmap* destination, const ToolRect* destRect, const RawBitmap* source,
                  const ToolRect* sourceRect) {
    ToolRect s = *sourceRect;
    ToolRect d = *destRect;
    ToolRect bounds;
    RECT_SetSize(&bounds, destination->width, destination->height);
    RECT_ClipPair(&s, &d, &bounds);
    if (!RECT_IsValid(&d) || !RECT_IsValid(&s)) {
        return;
    }
    // The clipped destination sets the size and s gives the top-left corner of the area
    // read. That area is also kept inside the source bitmap, trimming the destination by the
    // same amounts, so a source rectangle that reaches past its bitmap never reads outside.
    ToolRect area = {s.left, s.top, Saturate(std::int64_t{s.left} + RECT_Width(&d) - 1),
                     Saturate(std::int64_t{s.top} + RECT_Height(&d) - 1)};
    ToolRect sourceBounds;
    RECT_SetSize(&sourceBounds, source->width, source->height);
    RECT_ClipPair(&d, &area, &sourceBounds);
    if (!RECT_IsValid(&d) || !RECT_IsValid(&area)) {
        return;
    }
    const std::int32_t length = std::min(RECT_Width(&d), RECT_Width(&area));
    const std::int32_t rows = std::min(RECT_Height(&d), RECT_Height(&area));
    const std::uint8_t* from = source->pixels + PixelOffset(source, area.left, area.top);
    std::uint8_t* to = destination->pixels + PixelOffset(destination, d.left, d.top);
    // memmove rather than memcpy: a caller that passes one bitmap twice gets overlapping rows
    // copied in a defined way instead of undefined behaviour.
    if (length == source->width && length == destination->width) {
        std::memmove(to, from, static_cast<std::size_t>(length) * static_cast<std::size_t>(rows));
        return;
    }
    for (std::int32_t i = 0; i < rows; ++i) {
        std::memmove(to, from, static_cast<std::size_t>(length));
        from += source->width;
        to += destination->width;
    }
}

void RAWBITM_DrawPacked(RawBitmap* bitmap, const std::uint8_t* data, std::size_t dataSize,
                        std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y,
                        const ToolRect* sourceRect, const ToolRect* clipRect) {
    ToolRect s;
    if (sourceRect != nullptr) {
        s = *sourceRect;
        width = RECT_Width(sourceRect);
        height = RECT_Height(sourceRect);
    } else {
        RECT_SetSize(&s, width, height);
    }
    ToolRect d = {x, y, Saturate(std::int64_t{x} + width - 1),
                  Saturate(std::int64_t{y} + height - 1)};
    ToolRect b;
    RECT_SetSize(&b, bitmap->width, bitmap->height);
    if (clipRect != nullptr) {
        ToolRect whole = b;
        b = *clipRect;
        if (!RECT_Intersect(&b, &whole) || !RECT_IsValid(&b)) {
            return;
        }
    }
    RECT_ClipPair(&s, &d, &b);
    if (!RECT_IsValid(&d) || !RECT_IsValid(&s)) {
        return;
    }
    // After the clipping both areas have the same size; should saturated coordinates ever
    // make them differ, the smaller one is drawn so nothing outside d is touched.
    const std::int32_t w = std::min(RECT_Width(&d), RECT_Width(&s));
    const std::int32_t h = std::min(RECT_Height(&d), RECT_Height(&s));
    s.right = s.left + (w - 1);
    s.bottom = s.top + (h - 1);
    RLE_Decode(bitmap->pixels, bitmap->width, &d, data, dataSize, &s);
}
