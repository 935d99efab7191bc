// Decoders of run-length coded pixel lines: RLE_DecodePlain, one run at a time as the coding
// reads, and RLE_Decode, the same with the skipping of lines and runs outside the area made
// fast enough for drawing small windows of large pictures; the tests hold it to the plain
// one. Both work run by run: a fill is one block store, a
// literal one block copy and a transparent run a pointer advance. Lines above the area are
// skipped by their byte counts alone, and a line stops as soon as the area's width is
// covered. Every read is checked against the line's end, which never lies past the data.
//
// Malformed data is treated so: a line's codes are read only within its own count (never
// into the next line); a run whose colour or literal bytes are cut off by that end, or codes
// that end before the area's right edge, end the line, and the rest of its row keeps what
// it had. A count that points past the end of the data leaves that line cut at the data's
// end, and it is the last line drawn; when the data holds fewer lines than the area needs,
// drawing stops after the last whole line.
#include "toolkit/rledecode.h"

#include <algorithm>
#include <cstring>

#include "toolkit/toolbyte.h"

namespace {

// Returns the start of the line `lines` lines after the one at p, or null when a count on
// the way is not wholly in the data or points past its end (no further line is there).
// Only the counts are read, and each line's start depends on the count before it, so this
// is a chain of dependent loads. It is kept short: q is the line's start less two bytes for
// each line already passed in this group of four, so a step is one load (whose offset is a
// constant) and one add, and the two bytes per line are added once per group.
const std::uint8_t* SkipLines(const std::uint8_t* p, const std::uint8_t* end, std::int64_t lines) {
    const std::uint8_t* q = p;
    // Reads the count of the line at q + offset; false when the line is not in the data.
    auto step = [&q, end](std::size_t offset) {
        const auto available = static_cast<std::size_t>(end - q) - offset;
        if (available < 2) {
            return false;
        }
        const std::size_t count = TOOLBYTE_GetLE16(q + offset);
        if (count > available - 2) {
            return false;
        }
        q += count;
        return true;
    };
    for (; lines >= 4; lines -= 4) {
        if (!step(0) || !step(2) || !step(4) || !step(6)) {
            return nullptr;
        }
        q += 8;
    }
    for (; lines > 0; --lines) {
        if (!step(0)) {
            return nullptr;
        }
        q += 2;
    }
    return q;
}

// Skipping several codes at once. A word is eight code bytes of a line, byte 0 lowest.
constexpr std::uint64_t kFillMask = 0x0003000300030003;
constexpr std::uint64_t kFillCodes = 0x0002000200020002;
constexpr std::uint64_t kTransparentMask = 0x0101010101010101;
// The code of a literal of 64 pixels, the longest there is.
constexpr std::uint64_t kFullLiteral = 0xFC;

// Whether the word is four fills in a row: 2 in the low two bits of bytes 0, 2, 4 and 6
// (their colours are bytes 1, 3, 5 and 7).
inline bool IsFourFills(std::uint64_t word) { return (word & kFillMask) == kFillCodes; }

// Whether the word is eight transparent runs in a row: the low bit of every byte set.
inline bool IsEightTransparents(std::uint64_t word) {
    return (word & kTransparentMask) == kTransparentMask;
}

// Whether the word starts with the code of a literal of the full 64 pixels.
inline bool StartsFullLiteral(std::uint64_t word) { return (word & 0xFF) == kFullLiteral; }

// Pixels covered by the four fills of such a word: the sum of (code >> 2) + 1.
inline std::int64_t FillsLength(std::uint64_t word) {
    const std::uint64_t lengths = (word >> 2) & 0x003F003F003F003F;
    return static_cast<std::int64_t>((lengths * 0x0001000100010001) >> 48) + 4;
}

// Pixels covered by the eight transparent runs of such a word: the sum of code >> 1. Pairs
// are added into 16-bit lanes first, so no partial sum overflows its lane.
inline std::int64_t TransparentsLength(std::uint64_t word) {
    const std::uint64_t lengths = (word >> 1) & 0x7F7F7F7F7F7F7F7F;
    constexpr std::uint64_t kLow = 0x00FF00FF00FF00FF;
    const std::uint64_t pairs = (lengths & kLow) + ((lengths >> 8) & kLow);
    return static_cast<std::int64_t>((pairs * 0x0001000100010001) >> 48);
}

// The run of a line that crosses the area's left edge.
struct EdgeRun {
    unsigned code;
    std::int64_t length;        // pixels of the whole run
    std::int64_t hidden;        // of them, left of the edge (less than length)
    const std::uint8_t* bytes;  // its colour byte, or its literal bytes
    const std::uint8_t* next;   // the code after the run
};

// Finds where the area starts in the line [p, end): the runs that lie wholly in its first
// `skip` (> 0) pixels are consumed without writing anything, and the run that reaches past
// them is returned in *run. False when the line's codes end first (or a run's bytes are cut
// off by the line's end).
//
// Where eight bytes of the line are left, they are looked at as one word first: four fills
// in a row or eight transparent runs in a row are passed together, and a literal of the full
// 64 pixels moves on by a constant, so the next code's address does not wait for this code's
// load. Other runs are taken one at a time, each kind by its own branch.
inline bool FindAreaStart(const std::uint8_t* p, const std::uint8_t* end, std::int64_t skip,
                          EdgeRun* run) {
    for (;;) {
        if (end - p >= 8) {
            const std::uint64_t word = TOOLBYTE_GetLE64(p);
            if (IsFourFills(word)) {
                const std::int64_t covered = FillsLength(word);
                if (covered <= skip) {
                    skip -= covered;
                    p += 8;
                    continue;
                }
            } else if (IsEightTransparents(word)) {
                const std::int64_t covered = TransparentsLength(word);
                if (covered <= skip) {
                    skip -= covered;
                    p += 8;
                    continue;
                }
            } else if (StartsFullLiteral(word) && end - p > 64 && skip >= 64) {
                skip -= 64;
                p += 65;
                continue;
            }
        }
        if (p == end) {
            return false;
        }
        const unsigned code = *p++;
        const std::uint8_t* const bytes = p;
        std::int64_t length;
        if ((code & 1u) != 0) {
            length = code >> 1;
        } else if ((code & 2u) != 0) {
            if (p == end) {
                return false;
            }
            length = (code >> 2) + 1;
            ++p;
        } else {
            length = (code >> 2) + 1;
            if (end - p < length) {
                return false;
            }
            p += length;
        }
        if (length > skip) {
            *run = {code, length, skip, bytes, p};
            return true;
        }
        skip -= length;
    }
}

// Draws the first n pixels of what the edge run shows inside the area at out: its colour,
// its literal bytes from the edge on, or nothing for a transparent run.
inline void DrawEdgeRun(const EdgeRun& run, std::uint8_t* out, std::size_t n) {
    if ((run.code & 1u) != 0) {
        return;
    }
    if ((run.code & 2u) != 0) {
        TOOLBYTE_FillRun(out, *run.bytes, n);
    } else {
        TOOLBYTE_CopyRun(out, run.bytes + run.hidden, n);
    }
}

// Draws the runs of the line [p, end) at out until `width` (> 0) pixels are covered, each
// run cut at the right edge; stops early when the codes end or a run's bytes are cut off.
inline void DrawRuns(const std::uint8_t* p, const std::uint8_t* end, std::uint8_t* out,
                     std::int64_t width) {
    while (p != end) {
        const unsigned code = *p++;
        if ((code & 1u) != 0) {
            const std::int64_t length = code >> 1;
            if (length >= width) {
                return;
            }
            out += length;
            width -= length;
            continue;
        }
        const std::int64_t length = (code >> 2) + 1;
        const auto n = static_cast<std::size_t>(std::min(length, width));
        if ((code & 2u) != 0) {
            if (p == end) {
                return;
            }
            TOOLBYTE_FillRun(out, *p++, n);
        } else {
            if (end - p < length) {
                return;
            }
            TOOLBYTE_CopyRun(out, p, n);
            p += length;
        }
        if (length >= width) {
            return;
        }
        out += n;
        width -= length;
    }
}

// Skips the first `skip` pixels of the line [p, end), then draws up to `width` (> 0)
// pixels at out.
void DecodeLine(const std::uint8_t* p, const std::uint8_t* end, std::uint8_t* out,
                std::int64_t skip, std::int64_t width) {
    if (skip > 0) {
        EdgeRun run;
        if (!FindAreaStart(p, end, skip, &run)) {
            return;
        }
        const std::int64_t visible = std::min(run.length - run.hidden, width);
        const auto n = static_cast<std::size_t>(visible);
        DrawEdgeRun(run, out, n);
        width -= visible;
        if (width <= 0) {
            return;
        }
        out += n;
        p = run.next;
    }
    DrawRuns(p, end, out, width);
}

// The part of the destination a decode draws: source columns from left and lines from top
// (both at least 0), width x lines pixels, the first at row.
struct Area {
    std::int64_t left;
    std::int64_t top;
    std::int64_t width;
    std::int64_t lines;
    std::uint8_t* row;
};

// Works out the area from the arguments of RLE_Decode; false when nothing is drawn.
bool FindArea(std::uint8_t* destination, std::int32_t stride, const ToolRect* position,
              const std::uint8_t* data, const ToolRect* sourceRect, Area* area) {
    if (destination == nullptr || data == nullptr) {
        return false;
    }
    std::int64_t left = sourceRect->left;
    std::int64_t top = sourceRect->top;
    const std::int64_t right = sourceRect->right;
    const std::int64_t bottom = sourceRect->bottom;
    std::int64_t x = position->left;
    std::int64_t y = position->top;
    if (bottom < top || right < left || right < 0 || bottom < 0) {
        return false;
    }
    // Columns and rows before the image's first do not exist; their destination pixels are
    // left as they are, like transparent ones.
    if (left < 0) {
        x -= left;
        left = 0;
    }
    if (top < 0) {
        y -= top;
        top = 0;
    }
    if (x < 0 || y < 0 || stride < 0) {
        return false;
    }
    *area = {left, top, right - left + 1, bottom - top + 1, destination + (y * stride + x)};
    return true;
}

// Decodes the line [p, end) one run at a time: its first `skip` pixels are passed over, the
// next `width` (> 0) are drawn at out. x is the position of the next run relative to the
// first pixel drawn; each run is clipped to [0, width), and the loop ends once the area is
// covered, when the codes run out, or when a run's bytes are cut off by the line's end.
void DecodeLinePlain(const std::uint8_t* p, const std::uint8_t* end, std::uint8_t* out,
                     std::int64_t skip, std::int64_t width) {
    std::int64_t x = -skip;
    while (x < width && p != end) {
        const unsigned code = *p++;
        if ((code & 1u) != 0) {  // transparent: the destination keeps its pixels
            x += code >> 1;
            continue;
        }
        const std::int64_t length = (code >> 2) + 1;
        const std::int64_t from = std::max<std::int64_t>(x, 0);
        const std::int64_t to = std::min(x + length, width);
        if ((code & 2u) != 0) {  // fill: one colour byte
            if (p == end) return;
            const std::uint8_t colour = *p++;
            if (to > from) std::memset(out + from, colour, static_cast<std::size_t>(to - from));
        } else {  // literal: length bytes
            if (end - p < length) return;
            if (to > from)
                std::memcpy(out + from, p + (from - x), static_cast<std::size_t>(to - from));
            p += length;
        }
        x += length;
    }
}

}  // namespace

void RLE_Decode(std::uint8_t* destination, std::int32_t stride, const ToolRect* position,
                const std::uint8_t* data, std::size_t dataSize, const ToolRect* sourceRect) {
    Area area;
    if (!FindArea(destination, stride, position, data, sourceRect, &area)) {
        return;
    }
    const std::int64_t left = area.left;
    const std::int64_t width = area.width;
    const std::int64_t lines = area.lines;
    std::uint8_t* row = area.row;
    const std::uint8_t* const end = data + dataSize;
    const std::uint8_t* p = SkipLines(data, end, area.top);
    if (p == nullptr) {
        return;
    }
    // The count of each line is read before the line before it is decoded, so that its
    // load overlaps that line's work instead of waiting behind it.
    std::size_t available = static_cast<std::size_t>(end - p);
    if (available < 2) {
        return;
    }
    std::size_t count = TOOLBYTE_GetLE16(p);
    for (std::int64_t i = 0;;) {
        const std::uint8_t* codes = p + 2;
        // A count past the data's end leaves the line cut there, and it is the last one.
        const bool whole = count <= available - 2;
        const std::uint8_t* lineEnd = whole ? codes + count : end;
        p = lineEnd;
        available = static_cast<std::size_t>(end - p);
        const bool more = whole && ++i < lines && available >= 2;
        if (more) {
            count = TOOLBYTE_GetLE16(p);
        }
        DecodeLine(codes, lineEnd, row, left, width);
        if (!more) {
            return;
        }
        row += stride;
    }
}

void RLE_DecodePlain(std::uint8_t* destination, std::int32_t stride, const ToolRect* position,
                     const std::uint8_t* data, std::size_t dataSize, const ToolRect* sourceRect) {
    Area area;
    if (!FindArea(destination, stride, position, data, sourceRect, &area)) {
        return;
    }
    const std::uint8_t* const end = data + dataSize;
    const std::uint8_t* p = data;
    // Lines above the area, by their counts alone.
    for (std::int64_t line = 0; line < area.top; ++line) {
        const auto available = static_cast<std::size_t>(end - p);
        if (available < 2 || TOOLBYTE_GetLE16(p) > available - 2) return;
        p += 2 + TOOLBYTE_GetLE16(p);
    }
    for (std::int64_t line = 0; line < area.lines; ++line) {
        const auto available = static_cast<std::size_t>(end - p);
        if (available < 2) return;
        const std::size_t count = TOOLBYTE_GetLE16(p);
        // A count past the data's end leaves the line cut there, and it is the last one.
        const bool whole = count <= available - 2;
        const std::uint8_t* lineEnd = whole ? p + 2 + count : end;
        DecodeLinePlain(p + 2, lineEnd, area.row + line * stride, area.left, area.width);
        if (!whole) return;
        p = lineEnd;
    }
}
