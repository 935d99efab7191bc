// WIZ pictures: a tree of tagged blocks (4-byte tag, 4-byte big-endian size including the
// 8-byte header), one image per file or several under a "MULT" root, pixels coded as in
// rledecode.h. Block sizes and offsets come from the file and are checked against the real
// length of the data before anything is read through them.
#pragma once

#include <cstdint>

#include "toolkit/rawpict.h"

// The block layout, for the loader and for tools that read or write the format. Every block
// starts with a 4-byte tag and a 4-byte big-endian size that counts this header too.
inline constexpr std::uint32_t WIZ_BlockHeaderSize = 8;
// A block size at or above this ends the search in its container.
inline constexpr std::uint32_t WIZ_BlockSizeLimit = 0x80000000u;
// "WIZH": the header, then compression, width and height, u32 little-endian each.
inline constexpr std::uint32_t WIZ_HeaderBlockSize = WIZ_BlockHeaderSize + 12;
// "RGBS": the header, then 256 colours of red, green and blue.
inline constexpr std::uint32_t WIZ_PaletteBlockSize = WIZ_BlockHeaderSize + 768;
// The "WIZH" compression of run-length lines (rledecode.h); with any other value no pixels
// are drawn.
inline constexpr std::uint32_t WIZ_CompressionRle = 1;
// The largest file WIZ_LoadFile reads (64 MiB). The loader holds the whole file in memory
// while it builds the picture; a start-up picture needs a small fraction of this, so a larger
// file is refused by its length before any of it is read.
inline constexpr std::uint32_t WIZ_MaxFileBytes = 64u * 1024u * 1024u;

// A whole file held in memory.
struct WIZ_MEMFILE {
    std::uint32_t size;
    std::uint8_t* data;
};

std::uint32_t WIZ_GetLE32(const std::uint8_t* bytes);
std::uint32_t WIZ_GetBE32(const std::uint8_t* bytes);

// Returns the first child of the container block with the 4-byte tag, or null. available is
// the number of bytes from container to the end of the data; a container or child that
// reaches past it, a child smaller than its 8-byte header, or a size of 0x80000000 or more
// ends the search as not found.
const std::uint8_t* WIZ_FindChild(const char* tag, const std::uint8_t* container,
                                  std::uint32_t available);
// Returns the block with the tag for image index (the root's child in a single-image file;
// in a "MULT" file the image's own block, else the "DEFA" default), or null.
const std::uint8_t* WIZ_FindBlock(const WIZ_MEMFILE* file, std::uint32_t index, const char* tag);
// Returns a new picture of image index, its bitmap filled with the low byte of fill before
// the pixels are drawn, or null. On null, *reason (when reason is not null) names why.
RawPicture* WIZ_LoadImage(const WIZ_MEMFILE* file, std::uint32_t index, int fill,
                          const char** reason = nullptr);
// Reads the file at path whole and returns a new picture of its first image, or null (with
// *reason set when reason is not null). A file longer than WIZ_MaxFileBytes is refused before
// it is read. Free the picture with RAWPICT_Free.
RawPicture* WIZ_LoadFile(const char* path, int fill, const char** reason = nullptr);
