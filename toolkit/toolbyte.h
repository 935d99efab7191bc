// Bytes and short runs for the decoders: integers read from byte positions in a fixed order
// (little- or big-endian, whatever the machine's), and the copy and fill of a run of 1 to 64
// pixels that the PCX, IFF, run-length and WIZ code share. Every function touches exactly
// the bytes it names, never one before or after them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Returns the 16-bit little-endian value at bytes[0 .. 2).
inline std::uint32_t TOOLBYTE_GetLE16(const std::uint8_t* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint16_t value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    } else {
        return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8);
    }
}

// Returns the 32-bit little-endian value at bytes[0 .. 4).
inline std::uint32_t TOOLBYTE_GetLE32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// Returns the 32-bit big-endian value at bytes[0 .. 4).
inline std::uint32_t TOOLBYTE_GetBE32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
}

// Returns the eight bytes at bytes[0 .. 8) as one little-endian word: byte 0 in the low bits.
inline std::uint64_t TOOLBYTE_GetLE64(const std::uint8_t* bytes) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    } else {
        std::uint64_t value = 0;
        for (int i = 7; i >= 0; --i) {
            value = (value << 8) | bytes[i];
        }
        return value;
    }
}

// Writes n (1-64) pixels of one colour at out with a few overlapping stores and no loop:
// runs of 16 and more take two or four sixteen-byte stores, shorter ones two stores of 8, 4
// or 1 bytes. (A call to memset costs more than the whole run at these lengths.)
inline void TOOLBYTE_FillRun(std::uint8_t* out, std::uint8_t colour, std::size_t n) {
    if (n >= 16) {
        std::uint8_t pattern[16];
        std::memset(pattern, colour, sizeof pattern);
        std::memcpy(out, pattern, 16);
        std::memcpy(out + (n - 16), pattern, 16);
        if (n > 32) {
            std::memcpy(out + 16, pattern, 16);
            std::memcpy(out + (n - 32), pattern, 16);
        }
    } else if (n >= 8) {
        const std::uint64_t pattern = colour * std::uint64_t{0x0101010101010101};
        std::memcpy(out, &pattern, 8);
        std::memcpy(out + (n - 8), &pattern, 8);
    } else if (n >= 4) {
        const std::uint32_t pattern = colour * std::uint32_t{0x01010101};
        std::memcpy(out, &pattern, 4);
        std::memcpy(out + (n - 4), &pattern, 4);
    } else {
        out[0] = colour;
        out[n / 2] = colour;
        out[n - 1] = colour;
    }
}

// Copies n (1-64) pixels from `from` to out in the same way: two or four sixteen-byte moves,
// or two of 8, 4 or 1 bytes. The two ranges must not overlap.
inline void TOOLBYTE_CopyRun(std::uint8_t* out, const std::uint8_t* from, std::size_t n) {
    if (n >= 16) {
        // All loads before the stores: the moves overlap each other, never the source.
        std::uint8_t a[16];
        std::uint8_t b[16];
        std::memcpy(a, from, 16);
        std::memcpy(b, from + (n - 16), 16);
        if (n > 32) {
            std::uint8_t c[16];
            std::uint8_t d[16];
            std::memcpy(c, from + 16, 16);
            std::memcpy(d, from + (n - 32), 16);
            std::memcpy(out + 16, c, 16);
            std::memcpy(out + (n - 32), d, 16);
        }
        std::memcpy(out, a, 16);
        std::memcpy(out + (n - 16), b, 16);
    } else if (n >= 8) {
        std::uint64_t head;
        std::uint64_t tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + (n - 8), 8);
        std::memcpy(out, &head, 8);
        std::memcpy(out + (n - 8), &tail, 8);
    } else if (n >= 4) {
        std::uint32_t head;
        std::uint32_t tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + (n - 4), 4);
        std::memcpy(out, &head, 4);
        std::memcpy(out + (n - 4), &tail, 4);
    } else {
        const std::uint8_t first = from[0];
        const std::uint8_t middle = from[n / 2];
        const std::uint8_t last = from[n - 1];
        out[0] = first;
        out[n / 2] = middle;
        out[n - 1] = last;
    }
}
