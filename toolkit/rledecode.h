// The run-length pixel coding of WIZ pictures: one line per image row, each line a 16-bit
// little-endian count n followed by n code bytes. A code c with c & 1 is a transparent run
// of c >> 1 pixels; c & 3 == 2 a fill of (c >> 2) + 1 pixels with the next byte; c & 3 == 0
// a literal of (c >> 2) + 1 bytes that follow.
#pragma once

#include <cstddef>
#include <cstdint>

#include "toolkit/rawbitm.h"

// Draws the area sourceRect (image coordinates, inclusive) of the coded image into the
// 8-bit destination, whose rows are stride bytes apart, with the area's top-left pixel at
// (position->left, position->top). Transparent runs leave the destination unchanged.
// The caller guarantees that the destination area lies inside the bitmap; the decoder
// never reads outside data[0 .. dataSize) and never writes outside the area, whatever the
// data says. A line's codes are read only within its own count; a line whose codes end
// (or whose last run is cut off) before the area's right edge leaves the rest of its row
// unchanged, and the picture stops at the first line whose count is not in the data.
// Source columns or rows before 0 are left unchanged too.
void RLE_Decode(std::uint8_t* destination, std::int32_t stride, const ToolRect* position,
                const std::uint8_t* data, std::size_t dataSize, const ToolRect* sourceRect);
// The same decode, one run at a time as the coding reads: each run is clipped to the area
// and drawn with one store or copy, and lines above the area are passed by their counts one
// after the other. RLE_Decode gives the same pixels faster where the area is a small part of
// the picture; this is the reference the tests hold it to.
void RLE_DecodePlain(std::uint8_t* destination, std::int32_t stride, const ToolRect* position,
                     const std::uint8_t* data, std::size_t dataSize, const ToolRect* sourceRect);
