// Writing decoded pictures to files: an indexed PNG that keeps the palette, or a binary PPM
// of the colours. A file is written under a temporary name beside its destination and
// renamed into place once complete, so a failed write leaves the destination as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/rawpict.h"

namespace disctool {

enum class OutputFormat { Png, Ppm };

// The format that path's extension names (".png" or ".ppm", any case), or false when it
// names neither.
bool OutputFormatFromPath(const char* path, OutputFormat* format);

// Writes picture to path in format; its own palette, or the toolkit default palette when it
// carries none. Returns an empty string on success, else why nothing was written.
std::string WritePicture(const RawPicture& picture, OutputFormat format, const char* path);

// Writes bytes to path the same way: whole or not at all. Returns an empty string on
// success, else why nothing was written.
std::string WriteFileBytes(const char* path, const std::vector<std::uint8_t>& bytes);

}  // namespace disctool
