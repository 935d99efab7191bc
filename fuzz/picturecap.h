// The largest picture the fuzz targets let a loader build. Bigger ones are valid inputs
// (the toolkit's own cap is RAWBITM_MaxBytes), but under coverage instrumentation and the
// sanitizers a tall picture of hundreds of megabytes takes seconds to fill row by row, which
// starves the fuzzer and trips its per-input timeout. The targets read the size the way the
// format stores it and skip inputs above this cap; everything else about a header still
// reaches the loader.
#pragma once

#include <cstdint>

namespace fuzz {

inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 22;  // 4 Mpixel
inline constexpr std::int64_t kMaxRows = 65536;

// True when a width x height picture is small enough to load (negative sizes pass: the
// loader refuses them itself).
inline bool SizeAllowed(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) return true;
    return height <= kMaxRows && width * height <= kMaxPixels;
}

}  // namespace fuzz
