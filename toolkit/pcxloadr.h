// PCX pictures of 8 bits per pixel in one plane, run-length coded, with the 256-colour
// palette in the last 768 bytes of the file.
#pragma once

#include <cstdint>

#include "toolkit/rawpict.h"
#include "toolkit/toolread.h"

// Returns a new picture (bitmap and palette), or null; on null, *reason (when reason is not
// null) names why. Refused: a header other than manufacturer 10, version 5, 8 bits per
// pixel and one plane; bytes per line below the width; xmax below xmin or ymax below ymin;
// more than RAWBITM_MaxBytes pixels. Pixel data that ends early leaves the rows it does not
// reach at index 0; a file without 768 bytes after the header keeps a black palette.
// Free the picture with RAWPICT_Free.
RawPicture* PCX_Load(const char* path, const char** reason = nullptr);

// Decodes one row of pixel data from reader: width pixels into row, then steps over the
// bytes that complete the bytes per line (skip). A byte with its two top bits set is a run
// of count (its low six bits) copies of the byte that follows; any other byte is one pixel.
// A run that reaches past the row is cut to what the row still needs, and what it would
// have written beyond is taken off the bytes to step over. When the data ends first, the
// pixels it did not reach are set to 0 and the result is Ended (Failed when a read failed);
// otherwise Done.
// PCX_DecodeRow takes up to eight pixels a step where the buffer and the row have room;
// PCX_DecodeRowPlain takes one byte or run at a time and is the reference the tests hold
// the fast one to. Both give the same row and leave the reader in the same place.
RowOutcome PCX_DecodeRow(TOOLREAD* reader, std::uint8_t* row, std::int32_t width,
                         std::int32_t skip);
RowOutcome PCX_DecodeRowPlain(TOOLREAD* reader, std::uint8_t* row, std::int32_t width,
                              std::int32_t skip);
