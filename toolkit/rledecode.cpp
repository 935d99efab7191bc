// Decoder of run-length coded pixel lines. It works run by run: a fill is one block store, a
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
#include "rledecode.h"

#include <algorithm>
#include <cstring>

namespace {

// The bytes of one line's codes, [begin, end).
struct Line {
    const std::uint8_t* begin;
    const std::uint8_t* end;
};

// Reads the line at data[offset]; returns false when not even its count is in the data.
// On success offset moves to the next line (possibly past dataSize, which ends the next read).
bool NextLine(const std::uint8_t* data, std::size_t dataSize, std::size_t& offset, Line& line) {
    if (offset >= dataSize || dataSize - offset < 2) {
        return false;
    }
    const std::size_t count = std::size_t{data[offset]} | (std::size_t{data[offset + 1]} << 8);
    const std::size_t start = offset + 2;
    const std::size_t end = std::min(start + count, dataSize);
    line.begin = data + start;
    line.end = data + end;
    offset = start + count;
    return true;
}

// Writes n (1-64) pixels of one colour with a few overlapping stores and no loop: runs of
// 16 and more take two or four sixteen-byte stores, shorter ones two stores of 8, 4 or 1
// bytes. (A call to memset costs more than the whole run at these lengths.)
inline void FillRun(std::uint8_t* out, std::uint8_t colour, std::size_t n) {
    if (n >= 16) {
        std::uint8_t pattern[16];
        std::memset(pattern, colour, sizeof pattern);
        std::memcpy(out, pattern, 16);
        std::memcpy(out + (n - 16), pattern, 16);
        if (n > 32) {
            std::memcpy(out + 16, pattern, 16);
            std::memcpy(out + (n - 32), pattern, 16);
        }
    } else if (n >= 8) {
        const std::uint64_t pattern = colour * std::uint64_t{0x0101010101010101};
        std::memcpy(out, &pattern, 8);
        std::memcpy(out + (n - 8), &pattern, 8);
    } else if (n >= 4) {
        const std::uint32_t pattern = colour * std::uint32_t{0x01010101};
        std::memcpy(out, &pattern, 4);
        std::memcpy(out + (n - 4), &pattern, 4);
    } else {
        out[0] = colour;
        out[n / 2] = colour;
        out[n - 1] = colour;
    }
}

// Copies n (1-64) literal pixels in the same way: two or four sixteen-byte moves, or two
// of 8, 4 or 1 bytes.
inline void CopyRun(std::uint8_t* out, const std::uint8_t* from, std::size_t n) {
    if (n >= 16) {
        // All loads before the stores: the moves overlap each other, never the source.
        std::uint8_t a[16];
        std::uint8_t b[16];
        std::memcpy(a, from, 16);
        std::memcpy(b, from + (n - 16), 16);
        if (n > 32) {
            std::uint8_t c[16];
            std::uint8_t d[16];
            std::memcpy(c, from + 16, 16);
            std::memcpy(d, from + (n - 32), 16);
            std::memcpy(out + 16, c, 16);
            std::memcpy(out + (n - 32), d, 16);
        }
        std::memcpy(out, a, 16);
        std::memcpy(out + (n - 16), b, 16);
    } else if (n >= 8) {
        std::uint64_t head;
        std::uint64_t tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + (n - 8), 8);
        std::memcpy(out, &head, 8);
        std::memcpy(out + (n - 8), &tail, 8);
    } else if (n >= 4) {
        std::uint32_t head;
        std::uint32_t tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + (n - 4), 4);
        std::memcpy(out, &head, 4);
        std::memcpy(out + (n - 4), &tail, 4);
    } else {
        const std::uint8_t first = from[0];
        const std::uint8_t middle = from[n / 2];
        const std::uint8_t final = from[n - 1];
        out[0] = first;
        out[n / 2] = middle;
        out[n - 1] = final;
    }
}

// Skips the first `skip` pixels of the line [p, end), then draws up to `width` (> 0)
// pixels at out.
void DecodeLine(const std::uint8_t* p, const std::uint8_t* end, std::uint8_t* out,
                std::int64_t skip, std::int64_t width) {
    // Skip phase: whole runs left of the area are consumed without writing anything. The
    // three kinds advance the input by separate branches, so a predictable picture is
    // skipped at branch speed rather than at the speed of its loads.
    if (skip > 0) {
        unsigned code;
        std::int64_t length;
        const std::uint8_t* bytes;
        for (;;) {
            if (p == end) {
                return;
            }
            code = *p++;
            bytes = p;
            if ((code & 1u) != 0) {
                length = code >> 1;
            } else if ((code & 2u) != 0) {
                if (p == end) {
                    return;
                }
                length = (code >> 2) + 1;
                ++p;
            } else {
                length = (code >> 2) + 1;
                if (end - p < length) {
                    return;
                }
                p += length;
            }
            if (length > skip) {
                break;
            }
            skip -= length;
        }
        // The run crosses the left edge: its last pixels are drawn.
        const std::int64_t visible = std::min(length - skip, width);
        const auto n = static_cast<std::size_t>(visible);
        if ((code & 1u) == 0) {
            if ((code & 2u) != 0) {
                FillRun(out, *bytes, n);
            } else {
                CopyRun(out, bytes + skip, n);
            }
        }
        width -= visible;
        if (width <= 0) {
            return;
        }
        out += n;
    }
    // Draw phase: each run is cut at the right edge.
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
            FillRun(out, *p++, n);
        } else {
            if (end - p < length) {
                return;
            }
            CopyRun(out, p, n);
            p += length;
        }
        if (length >= width) {
            return;
        }
        out += n;
        width -= length;
    }
}

}  // namespace

void RLE_Decode(std::uint8_t* destination, std::int32_t stride, const ToolRect* position,
                const std::uint8_t* data, std::size_t dataSize, const ToolRect* sourceRect) {
    if (destination == nullptr || data == nullptr) {
        return;
    }
    std::int64_t left = sourceRect->left;
    std::int64_t top = sourceRect->top;
    const std::int64_t right = sourceRect->right;
    const std::int64_t bottom = sourceRect->bottom;
    std::int64_t x = position->left;
    std::int64_t y = position->top;
    if (bottom < top || right < left || right < 0 || bottom < 0) {
        return;
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
        return;
    }

    std::size_t offset = 0;
    Line line{};
    for (std::int64_t i = 0; i < top; ++i) {
        if (!NextLine(data, dataSize, offset, line)) {
            return;
        }
    }

    const std::int64_t width = right - left + 1;
    const std::int64_t lines = bottom - top + 1;
    auto rowOffset = static_cast<std::size_t>(y * stride + x);
    for (std::int64_t i = 0; i < lines; ++i, rowOffset += static_cast<std::size_t>(stride)) {
        if (!NextLine(data, dataSize, offset, line)) {
            return;
        }
        DecodeLine(line.begin, line.end, destination + rowOffset, left, width);
    }
}
