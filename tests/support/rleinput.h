// The layout of a run-length fuzz input: a 15-byte head of drawing parameters followed by
// the coded lines. The seed writer builds heads with RleInputHead; the harness and the golden
// table read them with ParseRleInput.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/rawbitm.h"

namespace fuzz {

inline constexpr std::size_t kRleInputHeadSize = 15;

struct RleInput {
    std::int32_t bitmapWidth;   // 0-64
    std::int32_t bitmapHeight;  // 0-64
    std::int32_t imageWidth;    // 0-128
    std::int32_t imageHeight;   // 0-128
    std::int32_t x;             // -128..127
    std::int32_t y;
    bool hasSource;
    bool hasClip;
    ToolRect source;  // each edge -128..127
    ToolRect clip;
};

// Reads the head of data; false when data is shorter than the head.
bool ParseRleInput(const std::uint8_t* data, std::size_t size, RleInput* input);
// Returns the head bytes that ParseRleInput reads back as input (values out of range wrap).
std::vector<std::uint8_t> RleInputHead(const RleInput& input);

}  // namespace fuzz
