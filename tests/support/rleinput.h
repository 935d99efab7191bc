// The layout of a run-length fuzz input: a 15-byte head of drawing parameters followed by
// the coded lines. The seed writer builds heads with RLEINPUT_Head; the harness reads them
// with RLEINPUT_Parse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/rawbitm.h"

inline constexpr std::size_t RLEINPUT_HeadSize = 15;

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
bool RLEINPUT_Parse(const std::uint8_t* data, std::size_t size, RleInput* input);
// Returns the head bytes that RLEINPUT_Parse reads back as input (values out of range wrap).
std::vector<std::uint8_t> RLEINPUT_Head(const RleInput& input);
