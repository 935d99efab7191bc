#include "toolkit/pcxloadr.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "toolkit/picreason.h"
#include "toolkit/rawbitm.h"
#include "toolkit/rawpal.h"
#include "toolkit/toolbyte.h"
#include "toolkit/toolfile.h"
#include "toolkit/toolmem.h"
#include "toolkit/toolread.h"

namespace {

constexpr std::uint32_t kHeaderSize = 128;
constexpr std::uint32_t kPaletteSize = 768;
// The decoder's read buffer: the pixel data is taken from the file in blocks of this size
// instead of one file-layer call per byte.
constexpr std::uint32_t kReadBufferSize = 16384;
// The longest run a count byte can give (0x3F), rounded up to a whole number of stores.
constexpr std::int32_t kMaxRun = 64;

// The fields of the 128-byte header that the loader uses.
struct PcxHeader {
    std::int32_t width;
    std::int32_t height;
    std::int32_t bytesPerLine;
};

// Checks the header and derives the picture's size. Returns null when it is acceptable,
// else the reason it is refused.
const char* ParseHeader(const std::uint8_t* raw, PcxHeader* header) {
    if (raw[0] != 10 || raw[1] != 5 || raw[3] != 8) return PICREASON_PcxFormat;
    // Planes 0 is read as one plane; more planes would give rows of garbage.
    if (raw[65] > 1) return PICREASON_PcxPlanes;
    const std::int32_t xmin = static_cast<std::int32_t>(TOOLBYTE_GetLE16(raw + 4));
    const std::int32_t ymin = static_cast<std::int32_t>(TOOLBYTE_GetLE16(raw + 6));
    const std::int32_t xmax = static_cast<std::int32_t>(TOOLBYTE_GetLE16(raw + 8));
    const std::int32_t ymax = static_cast<std::int32_t>(TOOLBYTE_GetLE16(raw + 10));
    if (xmax < xmin || ymax < ymin) return PICREASON_PcxNegative;
    header->width = xmax - xmin + 1;
    header->height = ymax - ymin + 1;
    // Fewer bytes per line than the width: rows of the width with nothing to skip.
    header->bytesPerLine = static_cast<std::int32_t>(TOOLBYTE_GetLE16(raw + 66));
    // Both sides are at most 65536, so the product fits in 64 bits without a check.
    if (static_cast<std::int64_t>(header->width) * header->height > RAWBITM_MaxBytes)
        return PICREASON_TooLarge;
    return nullptr;
}

// Steps over the skip bytes that complete a row's bytes per line, counting a run as its
// count. Returns the row's outcome: Done, or how the data stopped first.
RowOutcome SkipRest(TOOLREAD* reader, std::int32_t skip) {
    while (skip > 0) {
        std::uint8_t b;
        if (!TOOLREAD_GetByte(reader, &b)) return TOOLREAD_Stopped(reader);
        if (b >= 0xC0) {
            std::uint8_t ignored;
            if (!TOOLREAD_GetByte(reader, &ignored)) return TOOLREAD_Stopped(reader);
            skip -= b & 0x3F;
        } else {
            skip -= 1;
        }
    }
    return RowOutcome::Done;
}

// Sets the n pixels of a row that the data did not reach to 0; returns how the data
// stopped, for the row decoders' exits at the end of the data.
RowOutcome ClearRest(const TOOLREAD* reader, std::uint8_t* rest, std::int32_t n) {
    std::memset(rest, 0, static_cast<std::size_t>(n));
    return TOOLREAD_Stopped(reader);
}

// The run bytes (two top bits set) among the eight bytes of word: bit 7 of each such byte.
inline std::uint64_t RunBytes(std::uint64_t word) {
    return word & (word << 1) & 0x8080808080808080ull;
}

// The position in memory order of the first run byte that RunBytes found (runs != 0).
inline std::int32_t FirstRunByte(std::uint64_t runs) {
    if constexpr (std::endian::native == std::endian::little)
        return std::countr_zero(runs) / 8;
    else
        return std::countl_zero(runs) / 8;
}

}  // namespace

RowOutcome PCX_DecodeRow(TOOLREAD* reader, std::uint8_t* row, std::int32_t width,
                         std::int32_t skip) {
    std::int32_t left = width;
    while (left > 0) {
        // Fast path, while the row has room for eight literals and a longest run and the
        // buffer holds nine bytes: eight bytes are stored as literals at once, and when one
        // of them is a run byte, only the literals before it count and the run follows.
        // Runs are stored as kMaxRun bytes; the bytes beyond the run's count lie in this
        // row and are written again by what follows, or cleared when the data ends first.
        const std::uint8_t* source = reader->buffer + reader->position;
        const std::uint8_t* const sourceEnd = reader->buffer + reader->end;
        while (left >= kMaxRun + 8 && sourceEnd - source >= 9) {
            std::uint64_t word;
            std::memcpy(&word, source, 8);
            std::memcpy(row, &word, 8);
            const std::uint64_t runs = RunBytes(word);
            if (runs == 0) {
                source += 8;
                row += 8;
                left -= 8;
                continue;
            }
            const std::int32_t literals = FirstRunByte(runs);
            source += literals;
            row += literals;
            const std::int32_t count = source[0] & 0x3F;
            std::memset(row, source[1], kMaxRun);
            source += 2;
            row += count;
            left -= literals + count;
        }
        reader->position = static_cast<std::uint32_t>(source - reader->buffer);
        if (left == 0) break;

        // Near the end of the row or of the buffer: one literal or run at a time. When the
        // data ends here, the rest of the row, which may hold bytes stored ahead, is cleared.
        std::uint8_t b;
        if (!TOOLREAD_GetByte(reader, &b)) return ClearRest(reader, row, left);
        if (b < 0xC0) {
            *row++ = b;
            --left;
            continue;
        }
        // A run: count copies of the byte that follows. A count of 0 writes nothing.
        std::int32_t count = b & 0x3F;
        std::uint8_t value;
        if (!TOOLREAD_GetByte(reader, &value)) return ClearRest(reader, row, left);
        if (count > left) {
            skip -= count - left;
            count = left;
        }
        std::memset(row, value, static_cast<std::size_t>(count));
        row += count;
        left -= count;
    }
    return SkipRest(reader, skip);
}

RowOutcome PCX_DecodeRowPlain(TOOLREAD* reader, std::uint8_t* row, std::int32_t width,
                              std::int32_t skip) {
    std::int32_t x = 0;
    while (x < width) {
        std::uint8_t b;
        if (!TOOLREAD_GetByte(reader, &b)) return ClearRest(reader, row + x, width - x);
        if (b < 0xC0) {
            row[x++] = b;
            continue;
        }
        std::int32_t count = b & 0x3F;  // a count of 0 writes nothing
        std::uint8_t value;
        if (!TOOLREAD_GetByte(reader, &value)) return ClearRest(reader, row + x, width - x);
        if (count > width - x) {
            skip -= count - (width - x);
            count = width - x;
        }
        std::memset(row + x, value, static_cast<std::size_t>(count));
        x += count;
    }
    return SkipRest(reader, skip);
}

namespace {

// Closes the file and frees the read buffer and a partly built picture on every path out of
// PCX_Load.
struct LoadParts {
    TOOLFILE* file = nullptr;
    RawPicture* picture = nullptr;
    std::uint8_t* buffer = nullptr;

    LoadParts() = default;
    LoadParts(const LoadParts&) = delete;
    LoadParts& operator=(const LoadParts&) = delete;
    ~LoadParts() {
        TOOLMEM_Free(buffer);
        if (file != nullptr) TOOLFILE_Close(file);
        RAWPICT_Free(picture);
    }
    RawPicture* Release() {
        RawPicture* result = picture;
        picture = nullptr;
        return result;
    }
};

}  // namespace

RawPicture* PCX_Load(const char* path, const char** reason) {
    LoadParts parts;
    parts.file = TOOLFILE_Open(path, "rb");
    if (!parts.file) return PICREASON_Fail(reason, PICREASON_NotFound);
    TOOLFILE* file = parts.file;
    const std::uint32_t length = TOOLFILE_GetLength(file);
    if (length < kHeaderSize) return PICREASON_Fail(reason, PICREASON_PcxShort);
    std::uint8_t raw[kHeaderSize] = {};
    TOOLFILE_Read(raw, kHeaderSize, file);
    if (TOOLFILE_GetFlags(file) != 0) return PICREASON_Fail(reason, PICREASON_Read);
    PcxHeader header = {};
    if (const char* why = ParseHeader(raw, &header)) return PICREASON_Fail(reason, why);
    parts.picture = RAWPICT_Create(header.width, header.height);
    if (!parts.picture) return PICREASON_Fail(reason, PICREASON_Memory);

    // The palette is the last 768 bytes of the file. A file too short to hold it after the
    // header keeps the black palette rather than colours taken from the header.
    if (length - kHeaderSize >= kPaletteSize) {
        TOOLFILE_Seek(file, -static_cast<std::int32_t>(kPaletteSize), 2);
        TOOLFILE_Read(parts.picture->palette->rgb, kPaletteSize, file);
    }
    TOOLFILE_Seek(file, static_cast<std::int32_t>(kHeaderSize), 0);

    // Without memory for the buffer the data is taken one byte at a time.
    std::uint8_t oneByte = 0;
    parts.buffer = static_cast<std::uint8_t*>(TOOLMEM_AllocRaw(kReadBufferSize));
    // The data runs to the end of the file; after a failed palette read or seek there is none.
    const std::uint32_t dataSize = TOOLFILE_GetFlags(file) != 0 ? 0u : length - kHeaderSize;
    TOOLREAD reader = TOOLREAD_Start(file, parts.buffer ? parts.buffer : &oneByte,
                                     parts.buffer ? kReadBufferSize : 1u, dataSize);
    // Rows the data does not reach stay index 0.
    std::uint8_t* row = parts.picture->bitmap->pixels;
    const std::int32_t skip =
        header.bytesPerLine > header.width ? header.bytesPerLine - header.width : 0;
    for (std::int32_t y = 0; y < header.height; ++y) {
        if (PCX_DecodeRow(&reader, row, header.width, skip) != RowOutcome::Done) break;
        row += header.width;
    }
    if (reason) *reason = nullptr;
    return parts.Release();
}
