// IFF pictures: the planar "ILBM" form (up to eight bit-planes) and the chunky "PBM " form,
// rows stored plainly or packed with ByteRun1.
#pragma once

#include <cstdint>

#include "toolkit/rawbitm.h"
#include "toolkit/rawpict.h"
#include "toolkit/toolfile.h"
#include "toolkit/toolread.h"

// The loader's copy of a "BMHD" chunk (20 bytes, big-endian in the file).
struct BitmapHeader {
    std::uint16_t w;
    std::uint16_t h;
    std::int16_t x;
    std::int16_t y;
    std::uint8_t nPlanes;
    std::uint8_t masking;      // 1: a mask row follows each row's image data; 2, 3: none
    std::uint8_t compression;  // 0: plain rows; otherwise ByteRun1
    std::uint8_t pad1;
    std::uint16_t transparentColor;
    std::uint8_t xAspect;
    std::uint8_t yAspect;
    std::int16_t pageWidth;
    std::int16_t pageHeight;
};

// Returns a new picture (bitmap and palette), or null; on null, *reason (when reason is not
// null) names why. Free the picture with RAWPICT_Free.
RawPicture* IFF_Load(const char* path, const char** reason = nullptr);
// Unpacks count bytes of ByteRun1 data from the file's current position into destination
// (or steps over them when destination is null). Never produces more than count bytes: a
// run or literal that reaches past them is cut, and a literal's surplus is stepped over. A
// control byte of 0x80 is a no-op. Nothing is written past the bytes produced. The file is
// left right after the bytes used. Returns 1 when count bytes were produced and the file's
// error flags are clear, else 0 (also when the file ended first).
int IFF_UnpackByteRun1(std::uint8_t* destination, std::int32_t count, TOOLFILE* file);
// Reads the chunky ("PBM ") body of header->h rows of header->w bytes (each followed by a
// mask row of w bytes when masking is 1) from the file's current position into bitmap, which
// must be header->w x header->h. Rows the file does not reach are left as they were.
// Returns 1 unless the bitmap does not match or the file reports an error.
int IFF_ReadChunkyBody(RawBitmap* bitmap, const BitmapHeader* header, TOOLFILE* file);

// The row decoders of the loader, each in two forms: the one the loader uses, and a plain
// one that works as the format reads, one packet or pixel at a time, which is the
// reference the tests hold the fast one to. Both give the same bytes and leave the reader
// in the same place.

// Unpacks count bytes of ByteRun1 data from reader into destination (or steps over them when
// it is null), with the rules of IFF_UnpackByteRun1. IFF_UnpackRun1 reads whole packets
// straight from the buffer while it holds the longest there is, and writes short ones
// without a call.
RowOutcome IFF_UnpackRun1(TOOLREAD* reader, std::uint8_t* destination, std::int32_t count);
RowOutcome IFF_UnpackRun1Plain(TOOLREAD* reader, std::uint8_t* destination, std::int32_t count);

// Turns the plane rows (used of them, 1-8, plane 0 first, rowBytes each) into width colour
// indexes: bit p of pixel x is bit 7 - x % 8 of byte x / 8 of plane p, so the leftmost pixel
// comes from the top bits and plane 0 gives the lowest bit. IFF_PlanesToPixels makes eight
// pixels at a time from a table.
void IFF_PlanesToPixels(const std::uint8_t* planes, std::int32_t rowBytes, int used,
                        std::uint8_t* row, std::int32_t width);
void IFF_PlanesToPixelsPlain(const std::uint8_t* planes, std::int32_t rowBytes, int used,
                             std::uint8_t* row, std::int32_t width);
