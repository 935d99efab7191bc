#include "toolkit/toolread.h"

TOOLREAD TOOLREAD_Start(TOOLFILE* file, std::uint8_t* buffer, std::uint32_t capacity,
                        std::uint32_t limit) {
    return TOOLREAD{file, buffer, capacity, 0, 0, limit, false};
}

bool TOOLREAD_Refill(TOOLREAD* reader) {
    if (reader->remaining == 0 || reader->failed) return false;
    const std::uint32_t n =
        reader->remaining < reader->capacity ? reader->remaining : reader->capacity;
    // The file layer reports a failed read only through its sticky bits, so a bit that
    // this read adds is what tells it failed.
    const std::uint32_t flagsBefore = TOOLFILE_GetFlags(reader->file);
    TOOLFILE_Read(reader->buffer, n, reader->file);
    if (TOOLFILE_GetFlags(reader->file) != flagsBefore) {
        reader->failed = true;
        reader->remaining = 0;
        return false;
    }
    reader->position = 0;
    reader->end = n;
    reader->remaining -= n;
    return true;
}
