#include "toolkit/tooliff.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "toolkit/picreason.h"
#include "toolkit/rawpal.h"
#include "toolkit/toolbyte.h"
#include "toolkit/toolmem.h"
#include "toolkit/toolread.h"

namespace {

constexpr std::uint32_t MakeId(const char (&tag)[5]) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(tag[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(tag[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(tag[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(tag[3]));
}

constexpr std::uint32_t kIdForm = MakeId("FORM");
constexpr std::uint32_t kIdIlbm = MakeId("ILBM");
constexpr std::uint32_t kIdPbm = MakeId("PBM ");
constexpr std::uint32_t kIdBmhd = MakeId("BMHD");
constexpr std::uint32_t kIdCmap = MakeId("CMAP");
constexpr std::uint32_t kIdBody = MakeId("BODY");

constexpr std::uint32_t kBmhdSize = 20;
constexpr std::uint32_t kPaletteSize = 768;
// The body is read from the file in blocks of this size; ByteRun1 control and run bytes
// are then taken from memory.
constexpr std::uint32_t kBodyBufferSize = 65536;
// The longest ByteRun1 packet in the file: a control byte and 128 literal bytes.
constexpr std::ptrdiff_t kMaxPacket = 129;
// Packets of up to this many bytes are written without a call to memcpy or memset.
constexpr std::int32_t kShortPacket = 16;
// Bit-planes that contribute to an 8-bit colour index; further planes are read and dropped.
constexpr int kMaxUsedPlanes = 8;
// Only masking 1 ("has mask") stores a mask row after each row; 2 (transparent colour) and
// 3 (lasso) store none.
constexpr std::uint8_t kMaskHasMask = 1;

}  // namespace

RowOutcome IFF_UnpackRun1(TOOLREAD* reader, std::uint8_t* destination, std::int32_t count) {
    while (count > 0) {
        // Fast path while the buffer holds a whole packet of any kind (up to 129 bytes):
        // no end-of-buffer checks, and packets of up to 16 bytes written with two
        // overlapping stores instead of a call.
        const std::uint8_t* source = reader->buffer + reader->position;
        const std::uint8_t* const sourceEnd = reader->buffer + reader->end;
        while (count > 0 && sourceEnd - source >= kMaxPacket) {
            const std::uint8_t control = *source++;
            if (control < 0x80) {
                const std::int32_t n = control + 1;
                const std::int32_t take = n < count ? n : count;
                if (destination) {
                    if (take <= kShortPacket)
                        TOOLBYTE_CopyRun(destination, source, static_cast<std::size_t>(take));
                    else
                        std::memcpy(destination, source, static_cast<std::size_t>(take));
                    destination += take;
                }
                source += n;
                count -= take;
            } else if (control > 0x80) {
                const std::int32_t n = 257 - control;
                const std::uint8_t value = *source++;
                const std::int32_t take = n < count ? n : count;
                if (destination) {
                    if (take <= kShortPacket)
                        TOOLBYTE_FillRun(destination, value, static_cast<std::size_t>(take));
                    else
                        std::memset(destination, value, static_cast<std::size_t>(take));
                    destination += take;
                }
                count -= take;
            }
        }
        reader->position = static_cast<std::uint32_t>(source - reader->buffer);
        if (count == 0) break;

        // Near the end of the buffer: one packet at a time, refilling as needed.
        std::uint8_t control;
        if (!TOOLREAD_GetByte(reader, &control)) return TOOLREAD_Stopped(reader);
        if (control < 0x80) {
            const std::int32_t n = control + 1;
            const std::int32_t take = n < count ? n : count;
            if (!TOOLREAD_Take(reader, destination, static_cast<std::uint32_t>(take)))
                return TOOLREAD_Stopped(reader);
            if (destination) destination += take;
            count -= take;
            // Running out while stepping over the surplus is noticed by the next read.
            if (n > take) TOOLREAD_Take(reader, nullptr, static_cast<std::uint32_t>(n - take));
        } else if (control > 0x80) {
            const std::int32_t n = 257 - control;
            std::uint8_t value;
            if (!TOOLREAD_GetByte(reader, &value)) return TOOLREAD_Stopped(reader);
            const std::int32_t take = n < count ? n : count;
            if (destination) {
                std::memset(destination, value, static_cast<std::size_t>(take));
                destination += take;
            }
            count -= take;
        }
    }
    return reader->failed ? RowOutcome::Failed : RowOutcome::Done;
}

RowOutcome IFF_UnpackRun1Plain(TOOLREAD* reader, std::uint8_t* destination, std::int32_t count) {
    while (count > 0) {
        std::uint8_t control;
        if (!TOOLREAD_GetByte(reader, &control)) return TOOLREAD_Stopped(reader);
        if (control < 0x80) {
            const std::int32_t n = control + 1;
            const std::int32_t take = std::min(n, count);
            if (!TOOLREAD_Take(reader, destination, static_cast<std::uint32_t>(take)))
                return TOOLREAD_Stopped(reader);
            // Running out while stepping over the surplus is noticed by the next read.
            if (n > take) TOOLREAD_Take(reader, nullptr, static_cast<std::uint32_t>(n - take));
            if (destination) destination += take;
            count -= take;
        } else if (control > 0x80) {
            const std::int32_t n = 257 - control;
            std::uint8_t value;
            if (!TOOLREAD_GetByte(reader, &value)) return TOOLREAD_Stopped(reader);
            const std::int32_t take = std::min(n, count);
            if (destination) {
                std::memset(destination, value, static_cast<std::size_t>(take));
                destination += take;
            }
            count -= take;
        }
    }
    return reader->failed ? RowOutcome::Failed : RowOutcome::Done;
}

namespace {

// Reads one stretch of count bytes of a row: plainly, or ByteRun1-packed.
RowOutcome ReadStretch(TOOLREAD* reader, std::uint8_t* destination, std::int32_t count,
                       bool packed) {
    if (packed) return IFF_UnpackRun1(reader, destination, count);
    if (!TOOLREAD_Take(reader, destination, static_cast<std::uint32_t>(count)))
        return TOOLREAD_Stopped(reader);
    return RowOutcome::Done;
}

RowOutcome ReadChunky(RawBitmap* bitmap, const BitmapHeader* header, TOOLREAD* reader) {
    const std::int32_t w = header->w;
    const bool packed = header->compression != 0;
    std::uint8_t* row = bitmap->pixels;
    for (std::int32_t y = 0; y < header->h; ++y, row += w) {
        RowOutcome outcome = ReadStretch(reader, row, w, packed);
        if (outcome != RowOutcome::Done) return outcome;
        if (header->masking == kMaskHasMask) {
            outcome = ReadStretch(reader, nullptr, w, packed);
            if (outcome != RowOutcome::Done) return outcome;
        }
    }
    return RowOutcome::Done;
}

// kPlaneBits[b] spreads the eight bits of a plane byte over eight pixel bytes, each 0 or
// 1: the most significant bit goes to the leftmost pixel, the first byte in memory.
// Shifted left by p (at most 7, so no bit crosses into the next byte) it gives plane p's
// contribution to eight colour indexes.
constexpr std::array<std::uint64_t, 256> MakePlaneBits() {
    std::array<std::uint64_t, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        std::uint64_t value = 0;
        for (unsigned k = 0; k < 8; ++k) {
            const std::uint64_t bit = (b >> (7 - k)) & 1u;
            const unsigned byteInWord = std::endian::native == std::endian::little ? k : 7 - k;
            value |= bit << (8 * byteInWord);
        }
        table[b] = value;
    }
    return table;
}

constexpr std::array<std::uint64_t, 256> kPlaneBits = MakePlaneBits();

template <int Planes>
std::uint64_t Gather(const std::uint8_t* planes, std::int32_t rowBytes, std::int32_t index) {
    std::uint64_t eight = 0;
    for (int p = 0; p < Planes; ++p) eight |= kPlaneBits[planes[p * rowBytes + index]] << p;
    return eight;
}

// Turns the plane rows (plane 0 first, rowBytes each) into width colour indexes, eight
// pixels per step.
template <int Planes>
void PlanesToPixels(const std::uint8_t* planes, std::int32_t rowBytes, std::uint8_t* row,
                    std::int32_t width) {
    const std::int32_t whole = width / 8;
    for (std::int32_t i = 0; i < whole; ++i) {
        const std::uint64_t eight = Gather<Planes>(planes, rowBytes, i);
        std::memcpy(row + 8 * i, &eight, 8);
    }
    const std::int32_t rest = width % 8;
    if (rest != 0) {
        const std::uint64_t eight = Gather<Planes>(planes, rowBytes, whole);
        std::memcpy(row + 8 * whole, &eight, static_cast<std::size_t>(rest));
    }
}

using PlaneConverter = void (*)(const std::uint8_t*, std::int32_t, std::uint8_t*, std::int32_t);

constexpr PlaneConverter kConverters[kMaxUsedPlanes] = {
    PlanesToPixels<1>, PlanesToPixels<2>, PlanesToPixels<3>, PlanesToPixels<4>,
    PlanesToPixels<5>, PlanesToPixels<6>, PlanesToPixels<7>, PlanesToPixels<8>};

}  // namespace

void IFF_PlanesToPixels(const std::uint8_t* planes, std::int32_t rowBytes, int used,
                        std::uint8_t* row, std::int32_t width) {
    kConverters[used - 1](planes, rowBytes, row, width);
}

void IFF_PlanesToPixelsPlain(const std::uint8_t* planes, std::int32_t rowBytes, int used,
                             std::uint8_t* row, std::int32_t width) {
    for (std::int32_t x = 0; x < width; ++x) {
        const int shift = 7 - x % 8;
        unsigned pixel = 0;
        for (int p = 0; p < used; ++p) pixel |= ((planes[p * rowBytes + x / 8] >> shift) & 1u) << p;
        row[x] = static_cast<std::uint8_t>(pixel);
    }
}

namespace {

// The bytes of one plane row of the planar body: whole 16-bit words.
std::int32_t PlaneRowBytes(const BitmapHeader* header) { return ((header->w + 15) / 16) * 2; }

// The bit-planes that give a colour index its bits; further planes are read and dropped.
int UsedPlanes(const BitmapHeader* header) {
    return header->nPlanes < kMaxUsedPlanes ? header->nPlanes : kMaxUsedPlanes;
}

// The planar body: per row nPlanes plane rows of whole 16-bit words, then the mask row
// when there is one. planeRows (UsedPlanes x PlaneRowBytes bytes) holds one row's planes.
// A row that the data does not complete stays index 0.
RowOutcome ReadPlanar(RawBitmap* bitmap, const BitmapHeader* header, TOOLREAD* reader,
                      std::uint8_t* planeRows) {
    const std::int32_t w = header->w;
    const std::int32_t rowBytes = PlaneRowBytes(header);
    const int planes = header->nPlanes;
    const int used = UsedPlanes(header);
    const bool packed = header->compression != 0;
    RowOutcome outcome = RowOutcome::Done;
    std::uint8_t* row = bitmap->pixels;
    for (std::int32_t y = 0; y < header->h && outcome == RowOutcome::Done; ++y, row += w) {
        for (int p = 0; p < planes && outcome == RowOutcome::Done; ++p) {
            std::uint8_t* slot = p < used ? planeRows + p * rowBytes : nullptr;
            outcome = ReadStretch(reader, slot, rowBytes, packed);
        }
        if (outcome == RowOutcome::Done) IFF_PlanesToPixels(planeRows, rowBytes, used, row, w);
        if (outcome == RowOutcome::Done && header->masking == kMaskHasMask)
            outcome = ReadStretch(reader, nullptr, rowBytes, packed);
    }
    return outcome;
}

// Runs body on a reader over the rest of the file from the current position, then puts
// the file position right after the bytes the body consumed.
template <typename Body>
RowOutcome ReadFromFile(TOOLFILE* file, std::uint8_t* buffer, std::uint32_t capacity, Body body) {
    const std::uint32_t start = TOOLFILE_Tell(file);
    const std::uint32_t length = TOOLFILE_GetLength(file);
    TOOLREAD reader = TOOLREAD_Start(file, buffer, capacity, length > start ? length - start : 0);
    const RowOutcome outcome = body(&reader);
    const std::uint32_t unconsumed = reader.end - reader.position;
    if (unconsumed > 0) TOOLFILE_Seek(file, -static_cast<std::int32_t>(unconsumed), 1);
    return outcome;
}

// What IFF_Load has made so far; the destructor closes the file and frees whatever is
// still there on every path out of the load.
struct LoadState {
    TOOLFILE* file = nullptr;
    BitmapHeader* header = nullptr;
    RawPalette* palette = nullptr;
    RawBitmap* bitmap = nullptr;
    std::uint8_t* bodyBuffer = nullptr;
    std::uint8_t* planeRows = nullptr;

    LoadState() = default;
    LoadState(const LoadState&) = delete;
    LoadState& operator=(const LoadState&) = delete;
    ~LoadState() {
        if (file) TOOLFILE_Close(file);
        TOOLMEM_Free(header);
        RAWPAL_Free(palette);
        RAWBITM_Free(bitmap);
        TOOLMEM_Free(bodyBuffer);
        TOOLMEM_Free(planeRows);
    }
};

// Reads the thirteen fields of a "BMHD" chunk into a header made on first use (a second
// "BMHD" replaces the first). Returns null or the reason the load fails.
const char* ReadBitmapHeader(LoadState* state, std::uint32_t size) {
    if (size < kBmhdSize) return PICREASON_IffShortHeader;
    if (!state->header) {
        state->header = static_cast<BitmapHeader*>(TOOLMEM_Alloc(1, sizeof(BitmapHeader)));
        if (!state->header) return PICREASON_Memory;
    }
    TOOLFILE* file = state->file;
    BitmapHeader* header = state->header;
    header->w = TOOLFILE_ReadWord(file);
    header->h = TOOLFILE_ReadWord(file);
    header->x = static_cast<std::int16_t>(TOOLFILE_ReadWord(file));
    header->y = static_cast<std::int16_t>(TOOLFILE_ReadWord(file));
    header->nPlanes = TOOLFILE_ReadByte(file);
    header->masking = TOOLFILE_ReadByte(file);
    header->compression = TOOLFILE_ReadByte(file);
    header->pad1 = TOOLFILE_ReadByte(file);
    header->transparentColor = TOOLFILE_ReadWord(file);
    header->xAspect = TOOLFILE_ReadByte(file);
    header->yAspect = TOOLFILE_ReadByte(file);
    header->pageWidth = static_cast<std::int16_t>(TOOLFILE_ReadWord(file));
    header->pageHeight = static_cast<std::int16_t>(TOOLFILE_ReadWord(file));
    return TOOLFILE_GetFlags(file) != 0 ? PICREASON_Read : nullptr;
}

// Reads a "CMAP" chunk of size bytes. Entries that a short chunk does not reach are black;
// a second "CMAP" replaces the first.
const char* ReadColourMap(LoadState* state, std::uint32_t size) {
    if (!state->palette) {
        state->palette = RAWPAL_Create();
        if (!state->palette) return PICREASON_Memory;
    }
    std::memset(state->palette->rgb, 0, kPaletteSize);
    TOOLFILE_Read(state->palette->rgb, size < kPaletteSize ? size : kPaletteSize, state->file);
    return TOOLFILE_GetFlags(state->file) != 0 ? PICREASON_Read : nullptr;
}

// Checks the header before the bitmap is made. Returns null or the reason it is refused.
const char* CheckHeader(const BitmapHeader* header, bool planar) {
    if (header->w == 0 || header->h == 0) return PICREASON_IffEmpty;
    if (planar && header->nPlanes == 0) return PICREASON_IffNoPlanes;
    // Both sides are at most 65535, so the product fits in 64 bits.
    if (static_cast<std::int64_t>(header->w) * header->h > RAWBITM_MaxBytes)
        return PICREASON_TooLarge;
    return nullptr;
}

// Reads a "BODY" chunk of size bytes into a new bitmap. A body whose data ends before the
// last row keeps what it had; rows it does not reach stay index 0. All the memory the body
// needs is taken before it is read, so a failed read is the only failure of the rows.
const char* ReadBody(LoadState* state, bool planar, std::uint32_t size) {
    if (!state->header || !state->palette) return PICREASON_IffBodyFirst;
    const BitmapHeader* header = state->header;
    if (const char* why = CheckHeader(header, planar)) return why;
    state->bitmap = RAWBITM_Create(header->w, header->h);
    state->bodyBuffer = static_cast<std::uint8_t*>(TOOLMEM_AllocRaw(kBodyBufferSize));
    if (!state->bitmap || !state->bodyBuffer) return PICREASON_Memory;
    if (planar) {
        state->planeRows = static_cast<std::uint8_t*>(
            TOOLMEM_AllocRaw(static_cast<std::size_t>(UsedPlanes(header)) *
                             static_cast<std::size_t>(PlaneRowBytes(header))));
        if (!state->planeRows) return PICREASON_Memory;
    }
    TOOLREAD reader = TOOLREAD_Start(state->file, state->bodyBuffer, kBodyBufferSize, size);
    const RowOutcome outcome = planar ? ReadPlanar(state->bitmap, header, &reader, state->planeRows)
                                      : ReadChunky(state->bitmap, header, &reader);
    TOOLMEM_Free(state->bodyBuffer);
    state->bodyBuffer = nullptr;
    TOOLMEM_Free(state->planeRows);
    state->planeRows = nullptr;
    return outcome == RowOutcome::Failed ? PICREASON_Read : nullptr;
}

// Walks the chunks of the FORM. Returns null when a picture can be made, else the reason.
const char* LoadForm(LoadState* state) {
    TOOLFILE* file = state->file;
    const std::uint32_t length = TOOLFILE_GetLength(file);
    const std::uint32_t id = TOOLFILE_ReadLong(file);
    const std::uint32_t formLength = TOOLFILE_ReadLong(file);
    if (length < 12 || TOOLFILE_GetFlags(file) != 0 || id != kIdForm) return PICREASON_IffNotForm;
    const std::uint32_t type = TOOLFILE_ReadLong(file);
    if (type != kIdIlbm && type != kIdPbm) return PICREASON_IffFormType;
    const bool planar = type == kIdIlbm;

    // Chunks must lie inside both the FORM and the file. Offsets are 64-bit so that no
    // declared size can wrap around to an earlier position.
    const std::uint64_t formEnd = 8 + static_cast<std::uint64_t>(formLength);
    const std::uint64_t end = formEnd < length ? formEnd : length;
    std::uint64_t position = 12;
    while (position + 8 <= end) {
        TOOLFILE_Seek(file, static_cast<std::int32_t>(position), 0);
        const std::uint32_t chunkId = TOOLFILE_ReadLong(file);
        const std::uint32_t size = TOOLFILE_ReadLong(file);
        if (TOOLFILE_GetFlags(file) != 0 || chunkId == 0) break;
        const std::uint64_t dataStart = position + 8;
        // The pad byte of an odd-sized last chunk may be missing; the data itself must fit.
        if (dataStart + size > end) break;

        const char* why = nullptr;
        if (chunkId == kIdBmhd) {
            why = ReadBitmapHeader(state, size);
        } else if (chunkId == kIdCmap) {
            why = ReadColourMap(state, size);
        } else if (chunkId == kIdBody && !state->bitmap) {
            why = ReadBody(state, planar, size);
        }
        // Other chunks, and a second BODY, are passed over.
        if (why) return why;
        position = dataStart + size + (size & 1u);
    }
    return state->bitmap ? nullptr : PICREASON_IffNoBody;
}

}  // namespace

RawPicture* IFF_Load(const char* path, const char** reason) {
    LoadState state;
    state.file = TOOLFILE_Open(path, "rb");
    if (!state.file) return PICREASON_Fail(reason, PICREASON_NotFound);
    if (const char* why = LoadForm(&state)) return PICREASON_Fail(reason, why);
    RawPicture* picture = RAWPICT_Wrap(state.bitmap, state.palette);
    if (!picture) return PICREASON_Fail(reason, PICREASON_Memory);
    state.bitmap = nullptr;
    state.palette = nullptr;
    if (reason) *reason = nullptr;
    return picture;
}

int IFF_UnpackByteRun1(std::uint8_t* destination, std::int32_t count, TOOLFILE* file) {
    // The reader looks ahead at most this far and gives back what it did not use.
    std::uint8_t buffer[512];
    const RowOutcome outcome = ReadFromFile(file, buffer, sizeof buffer, [&](TOOLREAD* reader) {
        return IFF_UnpackRun1(reader, destination, count);
    });
    return outcome == RowOutcome::Done && TOOLFILE_GetFlags(file) == 0 ? 1 : 0;
}

int IFF_ReadChunkyBody(RawBitmap* bitmap, const BitmapHeader* header, TOOLFILE* file) {
    if (!bitmap || !header || bitmap->width != header->w || bitmap->height != header->h) return 0;
    auto* buffer = static_cast<std::uint8_t*>(TOOLMEM_AllocRaw(kBodyBufferSize));
    if (!buffer) return 0;
    const RowOutcome outcome = ReadFromFile(file, buffer, kBodyBufferSize, [&](TOOLREAD* reader) {
        return ReadChunky(bitmap, header, reader);
    });
    TOOLMEM_Free(buffer);
    return outcome != RowOutcome::Failed && TOOLFILE_GetFlags(file) == 0 ? 1 : 0;
}
