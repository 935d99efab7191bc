// Buffered sequential reading of a stretch of a file: the picture loaders take their pixel
// data through a memory buffer of their own, filled a block at a time with TOOLFILE_Read,
// instead of one file-layer call per byte. A decoder's fast path may read
// buffer[position .. end) directly and store the new position; the buffer is refilled only
// once it is used up.
#pragma once

#include <cstdint>
#include <cstring>

#include "toolkit/toolfile.h"

struct TOOLREAD {
    TOOLFILE* file;
    std::uint8_t* buffer;  // the caller's, capacity bytes
    std::uint32_t capacity;
    std::uint32_t position;   // next byte to take from the buffer
    std::uint32_t end;        // bytes of the buffer that hold data
    std::uint32_t remaining;  // bytes of the stretch still in the file, not yet in the buffer
    bool failed;              // a read set an error bit of the file; the stretch ended there
};

// How decoding a row, or a stretch of one, from a reader ended. It speaks of the data alone:
// the loaders take all their memory before they decode, and report a lack of it themselves.
enum class RowOutcome {
    Done,    // every byte asked for was produced
    Ended,   // the data ended first
    Failed,  // the file layer reported a read error
};

// Returns a reader over the next limit bytes of file from its current position, taken
// through buffer (capacity bytes, at least 1). Nothing is read yet. The caller keeps both
// the file and the buffer, and frees them after the last read.
TOOLREAD TOOLREAD_Start(TOOLFILE* file, std::uint8_t* buffer, std::uint32_t capacity,
                        std::uint32_t limit);

// Reads the next block of the stretch into the buffer, whose bytes must all have been taken.
// Returns false at the end of the stretch, or when the read sets an error bit of the file:
// failed is then set, and the stretch ends there.
bool TOOLREAD_Refill(TOOLREAD* reader);

// Takes the next byte into *value. Returns false at the end of the stretch (see
// TOOLREAD_Refill).
inline bool TOOLREAD_GetByte(TOOLREAD* reader, std::uint8_t* value) {
    if (reader->position == reader->end && !TOOLREAD_Refill(reader)) return false;
    *value = reader->buffer[reader->position++];
    return true;
}

// The outcome of a row whose data stopped before it was complete: Failed when a read
// failed, else Ended.
inline RowOutcome TOOLREAD_Stopped(const TOOLREAD* reader) {
    return reader->failed ? RowOutcome::Failed : RowOutcome::Ended;
}

// Copies the next count bytes to destination, or steps over them when destination is null.
// Returns false when the stretch ended first; the bytes before that were copied.
inline bool TOOLREAD_Take(TOOLREAD* reader, std::uint8_t* destination, std::uint32_t count) {
    while (count > 0) {
        if (reader->position == reader->end && !TOOLREAD_Refill(reader)) return false;
        const std::uint32_t available = reader->end - reader->position;
        const std::uint32_t n = available < count ? available : count;
        if (destination) {
            std::memcpy(destination, reader->buffer + reader->position, n);
            destination += n;
        }
        reader->position += n;
        count -= n;
    }
    return true;
}
