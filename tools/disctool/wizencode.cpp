#include "tools/disctool/wizencode.h"

#include <algorithm>
#include <limits>

#include "toolkit/wizimage.h"

namespace disctool {
namespace {

// The largest block the loader finds: a larger size ends its search in the container.
constexpr std::uint64_t kMaxBlockBytes = WIZ_BlockSizeLimit - 1;

void PutLE16(Bytes& out, std::size_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutLE32(Bytes& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// Writes the size field of the block that starts at offset start.
void SetBlockSize(Bytes& out, std::size_t start, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        out[start + 4 + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// Appends a block header whose size is filled in by EndBlock; returns its offset.
std::size_t BeginBlock(Bytes& out, const char* tag) {
    const std::size_t start = out.size();
    out.insert(out.end(), tag, tag + 4);
    out.insert(out.end(), 4, 0);
    return start;
}

bool EndBlock(Bytes& out, std::size_t start, std::string* reason) {
    const std::uint64_t size = out.size() - start;
    if (size > kMaxBlockBytes) {
        *reason = "the picture data exceeds the 2 GiB a WIZ block can hold";
        return false;
    }
    SetBlockSize(out, start, static_cast<std::uint32_t>(size));
    return true;
}

void AppendBlock(Bytes& out, const char* tag, const Bytes& payload) {
    const std::size_t start = BeginBlock(out, tag);
    out.insert(out.end(), payload.begin(), payload.end());
    SetBlockSize(out, start, static_cast<std::uint32_t>(out.size() - start));
}

Bytes WizhPayload(const IndexedPicture& picture) {
    Bytes payload;
    PutLE32(payload, WIZ_CompressionRle);
    PutLE32(payload, picture.width);
    PutLE32(payload, picture.height);
    return payload;
}

// Appends an image's blocks (header, own palette when wanted, pixels) to out.
bool AppendImageBlocks(Bytes& out, const IndexedPicture& picture, bool ownPalette,
                       std::optional<std::uint8_t> transparent, std::string* reason) {
    const std::optional<Bytes> pixels = wiz::EncodePixels(picture, transparent, reason);
    if (!pixels) return false;
    AppendBlock(out, "WIZH", WizhPayload(picture));
    if (ownPalette) AppendBlock(out, "RGBS", Bytes(picture.palette.begin(), picture.palette.end()));
    if (pixels->size() > kMaxBlockBytes - WIZ_BlockHeaderSize) {
        *reason = "the picture data exceeds the 2 GiB a WIZ block can hold";
        return false;
    }
    AppendBlock(out, "WIZD", *pixels);
    return true;
}

enum RunKind : std::uint8_t { kTransparentRun, kFillRun, kLiteralRun };

// The cheapest cover of a line by runs: cost[i] is the fewest code bytes covering pixels
// [0, i), and runKind/runLength the last run of that cover.
struct LineParse {
    std::vector<std::size_t> cost;
    std::vector<std::uint8_t> runKind;
    std::vector<std::uint8_t> runLength;
};

// Every run ends where the cover it extends ended, so the table is filled left to right from
// each reached position.
LineParse ParseLine(const std::uint8_t* pixels, std::size_t width,
                    std::optional<std::uint8_t> transparent) {
    const auto isTransparent = [&](std::size_t i) {
        return transparent.has_value() && pixels[i] == *transparent;
    };
    constexpr std::size_t kUnreached = std::numeric_limits<std::size_t>::max();
    LineParse parse{std::vector<std::size_t>(width + 1, kUnreached),
                    std::vector<std::uint8_t>(width + 1, kTransparentRun),
                    std::vector<std::uint8_t>(width + 1, 0)};
    parse.cost[0] = 0;
    const auto offer = [&](std::size_t end, std::size_t total, RunKind kind, std::size_t length) {
        if (total < parse.cost[end]) {
            parse.cost[end] = total;
            parse.runKind[end] = kind;
            parse.runLength[end] = static_cast<std::uint8_t>(length);
        }
    };
    for (std::size_t i = 0; i < width; ++i) {
        const std::size_t cost = parse.cost[i];
        if (cost == kUnreached) continue;
        if (isTransparent(i)) {
            for (std::size_t k = 1;
                 k <= wiz::kMaxTransparentRun && i + k <= width && isTransparent(i + k - 1); ++k) {
                offer(i + k, cost + 1, kTransparentRun, k);
            }
            continue;
        }
        for (std::size_t k = 1; k <= wiz::kMaxFillRun && i + k <= width; ++k) {
            const std::size_t last = i + k - 1;
            if (isTransparent(last) || pixels[last] != pixels[i]) break;
            offer(i + k, cost + 2, kFillRun, k);
        }
        for (std::size_t k = 1; k <= wiz::kMaxLiteralRun && i + k <= width; ++k) {
            if (isTransparent(i + k - 1)) break;
            offer(i + k, cost + 1 + k, kLiteralRun, k);
        }
    }
    return parse;
}

// The codes of the chosen runs: walked back from the end, then written in line order.
Bytes WriteRuns(const LineParse& parse, const std::uint8_t* pixels, std::size_t width) {
    std::vector<std::pair<std::size_t, std::size_t>> runs;  // start, end
    for (std::size_t end = width; end > 0; end -= parse.runLength[end])
        runs.emplace_back(end - parse.runLength[end], end);
    Bytes codes;
    codes.reserve(parse.cost[width]);
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        const auto [start, end] = *run;
        const std::size_t length = end - start;
        switch (parse.runKind[end]) {
            case kTransparentRun:
                codes.push_back(static_cast<std::uint8_t>(length << 1 | 1));
                break;
            case kFillRun:
                codes.push_back(static_cast<std::uint8_t>((length - 1) << 2 | 2));
                codes.push_back(pixels[start]);
                break;
            default:
                codes.push_back(static_cast<std::uint8_t>((length - 1) << 2));
                codes.insert(codes.end(), pixels + start, pixels + end);
                break;
        }
    }
    return codes;
}

}  // namespace

Bytes wiz::EncodeLine(const std::uint8_t* pixels, std::size_t width,
                      std::optional<std::uint8_t> transparent) {
    bool allTransparent = true;
    for (std::size_t i = 0; i < width && allTransparent; ++i)
        allTransparent = transparent.has_value() && pixels[i] == *transparent;
    if (allTransparent) return {};
    return WriteRuns(ParseLine(pixels, width, transparent), pixels, width);
}

std::optional<Bytes> wiz::EncodePixels(const IndexedPicture& picture,
                                       std::optional<std::uint8_t> transparent,
                                       std::string* reason) {
    Bytes data;
    const std::size_t width = picture.width;
    for (std::size_t y = 0; y < picture.height; ++y) {
        const Bytes codes = wiz::EncodeLine(picture.pixels.data() + y * width, width, transparent);
        if (codes.size() > wiz::kMaxLineCodeBytes) {
            *reason = "line " + std::to_string(y) + " needs " + std::to_string(codes.size()) +
                      " code bytes; a WIZ line holds at most 65535 (the picture is too wide "
                      "for its detail)";
            return std::nullopt;
        }
        PutLE16(data, codes.size());
        data.insert(data.end(), codes.begin(), codes.end());
    }
    return data;
}

std::optional<Bytes> wiz::EncodeFile(const std::vector<IndexedPicture>& pictures,
                                     std::optional<std::uint8_t> transparent, std::string* reason) {
    Bytes out;
    if (pictures.size() == 1) {
        const std::size_t root = BeginBlock(out, "IMAG");
        if (!AppendImageBlocks(out, pictures[0], true, transparent, reason)) return std::nullopt;
        if (!EndBlock(out, root, reason)) return std::nullopt;
        return out;
    }

    const bool shared = std::all_of(pictures.begin(), pictures.end(), [&](const IndexedPicture& p) {
        return p.palette == pictures[0].palette;
    });
    const std::size_t root = BeginBlock(out, "MULT");
    if (shared) {
        const std::size_t defaults = BeginBlock(out, "DEFA");
        AppendBlock(out, "RGBS", Bytes(pictures[0].palette.begin(), pictures[0].palette.end()));
        EndBlock(out, defaults, reason);
    }
    const std::size_t wrap = BeginBlock(out, "WRAP");
    // The offset table comes first; its entries count from the "OFFS" tag.
    const std::size_t offs = BeginBlock(out, "OFFS");
    out.insert(out.end(), 4 * pictures.size(), 0);
    EndBlock(out, offs, reason);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const std::size_t offset = out.size() - offs;
        if (offset > kMaxBlockBytes) {
            *reason = "the pictures exceed the 2 GiB a WIZ file can hold";
            return std::nullopt;
        }
        for (std::size_t b = 0; b < 4; ++b) {
            out[offs + 8 + 4 * i + b] = static_cast<std::uint8_t>(offset >> (8 * b));
        }
        const std::size_t image = BeginBlock(out, "IMAG");
        if (!AppendImageBlocks(out, pictures[i], !shared, transparent, reason) ||
            !EndBlock(out, image, reason)) {
            return std::nullopt;
        }
    }
    if (!EndBlock(out, wrap, reason) || !EndBlock(out, root, reason)) return std::nullopt;
    return out;
}

}  // namespace disctool
