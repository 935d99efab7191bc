// Rectangles and 8-bit bitmaps: the records every toolkit image lives in.
#pragma once

#include <cstddef>
#include <cstdint>

// A rectangle with inclusive corners: (0, 0, w - 1, h - 1) covers a w x h bitmap. It is
// valid when right >= left and bottom >= top.
struct ToolRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// The empty marker that RECT_Intersect writes when two rectangles do not meet.
inline constexpr ToolRect RECT_Empty = {12345, 12345, -12345, -12345};

// One byte per pixel, each a palette index; rows top to bottom, no padding, so the stride
// is the width. The record owns its pixel buffer.
struct RawBitmap {
    std::int32_t width;
    std::int32_t height;
    std::int32_t size;  // width * height, the byte length of pixels
    std::uint8_t* pixels;
};

// The largest pixel buffer a bitmap may have. Pictures come from discs that anyone can make;
// this cap keeps a forged header from asking for gigabytes, while leaving room for far
// larger pictures than a start-up screen needs (16384 x 16384).
inline constexpr std::int64_t RAWBITM_MaxBytes = 256 * 1024 * 1024;

void RECT_Set(ToolRect* rect, std::int32_t left, std::int32_t top, std::int32_t right,
              std::int32_t bottom);
// (0, 0, width - 1, height - 1).
void RECT_SetSize(ToolRect* rect, std::int32_t width, std::int32_t height);
// abs(right - left) + 1, so a reversed rectangle still has a positive width.
std::int32_t RECT_Width(const ToolRect* rect);
// abs(bottom - top) + 1.
std::int32_t RECT_Height(const ToolRect* rect);
// 1 when right >= left and bottom >= top, else 0.
int RECT_IsValid(const ToolRect* rect);
void RECT_Offset(ToolRect* rect, std::int32_t dx, std::int32_t dy);
// Returns 1 and sets a to a intersected with b when they meet; else 0 and a := RECT_Empty.
int RECT_Intersect(ToolRect* a, const ToolRect* b);
// Clips the destination to the bounds and trims the source by the same amounts. Either
// rectangle may come out invalid; callers test both with RECT_IsValid.
void RECT_ClipPair(ToolRect* source, ToolRect* destination, const ToolRect* bounds);

// Returns a new zero-filled bitmap, or null when memory runs out, a dimension is negative,
// or width * height exceeds RAWBITM_MaxBytes. A width or height of 0 gives size 0.
// The caller frees it with RAWBITM_Free.
RawBitmap* RAWBITM_Create(std::int32_t width, std::int32_t height);
// Frees the pixel buffer (when present) and the record. bitmap may be null.
void RAWBITM_Free(RawBitmap* bitmap);
// Fills the part of rect that lies inside the bitmap with colour. A reversed rect
// (right < left or bottom < top) fills nothing.
void RAWBITM_FillRect(RawBitmap* bitmap, const ToolRect* rect, std::uint8_t colour);
// Copies the source area to the destination area, clipped to the destination bitmap. The
// clipped destination sets the size; the source contributes its top-left corner. A source
// area that reaches outside the source bitmap is cut to it (the destination by the same
// amounts), so nothing outside either buffer is read or written.
void RAWBITM_Copy(RawBitmap* destination, const ToolRect* destRect, const RawBitmap* source,
                  const ToolRect* sourceRect);
// Draws run-length coded pixel lines (see rledecode.h) of a width x height image into the
// bitmap with its top-left pixel at (x, y), restricted to sourceRect (or the whole image
// when null) and clipped to clipRect (or the whole bitmap when null). data holds dataSize
// bytes; nothing outside them is read.
void RAWBITM_DrawPacked(RawBitmap* bitmap, const std::uint8_t* data, std::size_t dataSize,
                        std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y,
                        const ToolRect* sourceRect, const ToolRect* clipRect);
