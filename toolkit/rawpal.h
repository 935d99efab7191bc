// 256-entry palettes of red, green, blue triples.
#pragma once

#include <cstdint>

// Entry i lies at rgb[3 * i]: red, green, blue, each 0-255. Always 256 entries.
struct RawPalette {
    std::uint8_t rgb[768];
};

// Returns a new all-black palette, or null. Free with RAWPAL_Free.
RawPalette* RAWPAL_Create();
// Releases a palette; null is accepted.
void RAWPAL_Free(RawPalette* palette);
// Copies the toolkit's default palette into palette.
void RAWPAL_SetDefault(RawPalette* palette);
// The default palette's 768 bytes (read-only).
const std::uint8_t* RAWPAL_DefaultColours();
