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

// Skips the first `skip` pixels of the line, then draws up to `width` pixels at out.
void DecodeLine(const std::uint8_t* p, const std::uint8_t* end, std::uint8_t* out,
                std::int64_t skip, std::int64_t width) {
    // Skip phase: whole runs left of the area are consumed without writing anything.
    while (skip > 0) {
        if (p == end) {
            return;
        }
        const unsigned code = *p++;
        std::int64_t length;
        const std::uint8_t* bytes = p;
        if ((code & 1u) != 0) {
            length = code >> 1;
        } else {
            length = (code >> 2) + 1;
            const std::int64_t follow = (code & 2u) != 0 ? 1 : length;
            if (end - p < follow) {
                return;
            }
            p += follow;
        }
        if (length <= skip) {
            skip -= length;
            continue;
        }
        // The run crosses the left edge: its last pixels are drawn.
        const std::int64_t visible = std::min(length - skip, width);
        const auto n = static_cast<std::size_t>(visible);
        if ((code & 1u) == 0) {
            if ((code & 2u) != 0) {
                std::memset(out, *bytes, n);
            } else {
                std::memcpy(out, bytes + skip, n);
            }
        }
        out += n;
        width -= visible;
        if (width <= 0) {
            return;
        }
        skip = 0;
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
            std::memset(out, *p++, n);
        } else {
            if (end - p < length) {
                return;
            }
            std::memcpy(out, p, n);
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
