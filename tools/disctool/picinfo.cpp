#include "tools/disctool/picinfo.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/picload.h"
#include "toolkit/picreason.h"
#include "toolkit/rawpict.h"
#include "toolkit/wizimage.h"
#include "tools/disctool/text.h"

namespace disctool {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The largest file read whole for inspection. A WIZ file is loaded whole by the launcher
// too, and no start-up picture comes near this; it keeps a stray huge file from taking all
// memory.
constexpr std::uintmax_t kMaxInspectBytes = 1024u * 1024u * 1024u;

constexpr std::size_t kOffsEntriesShown = 16;

// Reads the whole file into bytes; returns an empty string or why it could not.
std::string ReadWholeFile(const char* path, Bytes* bytes) {
    std::ifstream stream(path, std::ios::binary | std::ios::ate);
    if (!stream) return PICREASON_NotFound;
    const std::streamoff length = stream.tellg();
    if (length < 0) return "cannot measure the file";
    if (static_cast<std::uintmax_t>(length) > kMaxInspectBytes) return "file too large to inspect";
    bytes->resize(static_cast<std::size_t>(length));
    stream.seekg(0);
    if (!stream.read(reinterpret_cast<char*>(bytes->data()), length)) return PICREASON_Read;
    return {};
}

// Four bytes as they stand when printable, else as \xNN, in double quotes.
std::string Tag(const std::uint8_t* bytes) {
    std::string text = "\"";
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t c = bytes[i];
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
    }
    return text + "\"";
}

bool TagIs(const std::uint8_t* bytes, const char* tag) { return std::memcmp(bytes, tag, 4) == 0; }

std::uint16_t GetLE16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint16_t GetBE16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

// ---- WIZ ---------------------------------------------------------------------------------

enum class WizKind { Leaf, Root, MultRoot, Wrap, Defaults, Image };

struct WizFile {
    const Bytes& bytes;
    std::uint32_t size;
};

void PrintWizLeafDetails(const WizFile& file, std::uint32_t offset, std::uint32_t size) {
    const std::uint8_t* block = file.bytes.data() + offset;
    if (TagIs(block, "WIZH")) {
        if (size < WIZ_HeaderBlockSize) {
            std::printf(": too short for compression, width and height");
        } else {
            std::printf(": compression %u, width %u, height %u", WIZ_GetLE32(block + 8),
                        WIZ_GetLE32(block + 12), WIZ_GetLE32(block + 16));
        }
    } else if (TagIs(block, "RGBS")) {
        std::printf(size < WIZ_PaletteBlockSize ? ": too short for 256 colours" : ": 256 colours");
    } else if (TagIs(block, "OFFS")) {
        const std::uint32_t count = (size - WIZ_BlockHeaderSize) / 4;
        std::printf(": %u %s", count, count == 1 ? "entry" : "entries");
        for (std::uint32_t i = 0; i < count && i < kOffsEntriesShown; ++i) {
            std::printf("%s%u", i == 0 ? " " : ", ", WIZ_GetLE32(block + 8 + 4 * i));
        }
        if (count > kOffsEntriesShown) std::printf(", ...");
    }
}

WizKind ChildKind(WizKind parent, const std::uint8_t* child) {
    switch (parent) {
        case WizKind::MultRoot:
            if (TagIs(child, "WRAP")) return WizKind::Wrap;
            if (TagIs(child, "DEFA")) return WizKind::Defaults;
            return WizKind::Leaf;
        case WizKind::Wrap:
            return TagIs(child, "OFFS") ? WizKind::Leaf : WizKind::Image;
        case WizKind::Leaf:
        case WizKind::Root:
        case WizKind::Defaults:
        case WizKind::Image:
            return WizKind::Leaf;
    }
    return WizKind::Leaf;
}

// Prints the children of the container at offset whose size (already checked to lie in the
// file) is size. A child is walked by the loader's rules: a header that does not fit, a size
// under 8 or at 0x80000000 and above, or one that reaches past the container ends the walk.
void PrintWizChildren(const WizFile& file, std::uint32_t offset, std::uint32_t size, WizKind kind,
                      int depth) {
    const std::uint32_t end = offset + size;
    std::uint32_t p = offset + WIZ_BlockHeaderSize;
    while (p < end) {
        const std::uint8_t* child = file.bytes.data() + p;
        const int indent = 2 * depth;
        if (end - p < WIZ_BlockHeaderSize) {
            std::printf("%*s%u: %u bytes, too few for a block header; the walk stops here\n",
                        indent, "", p, end - p);
            return;
        }
        const std::uint32_t childSize = WIZ_GetBE32(child + 4);
        std::printf("%*s%u: %s size %u", indent, "", p, Tag(child).c_str(), childSize);
        if (childSize < WIZ_BlockHeaderSize || childSize >= WIZ_BlockSizeLimit ||
            childSize > end - p) {
            std::printf(childSize < WIZ_BlockHeaderSize
                            ? " is smaller than a block header; the walk stops here\n"
                            : " reaches past its container; the walk stops here\n");
            return;
        }
        const WizKind childKind = ChildKind(kind, child);
        if (childKind == WizKind::Leaf) {
            PrintWizLeafDetails(file, p, childSize);
            std::printf("\n");
        } else {
            std::printf("\n");
            PrintWizChildren(file, p, childSize, childKind, depth + 1);
        }
        p += childSize;
    }
}

// The "OFFS" block of a "MULT" file, found as the loader finds it, or null.
const std::uint8_t* WizOffsetTable(const WIZ_MEMFILE* memfile) {
    const std::uint8_t* data = memfile->data;
    const std::uint8_t* wrap = WIZ_FindChild("WRAP", data, memfile->size);
    if (wrap == nullptr) return nullptr;
    return WIZ_FindChild("OFFS", wrap, memfile->size - static_cast<std::uint32_t>(wrap - data));
}

bool IsMulti(const WIZ_MEMFILE* memfile) {
    return memfile->size >= 4 && TagIs(memfile->data, "MULT");
}

// The number of images: 1 in a single-image file, the OFFS entries in a "MULT" file.
std::uint32_t WizImageCount(const WIZ_MEMFILE* memfile) {
    if (!IsMulti(memfile)) return 1;
    const std::uint8_t* table = WizOffsetTable(memfile);
    return table == nullptr ? 0 : (WIZ_GetBE32(table + 4) - WIZ_BlockHeaderSize) / 4;
}

// The block of image index (< WizImageCount): the root of a single-image file, or the
// target of the OFFS entry in a "MULT" file; null when no block header fits there.
const std::uint8_t* WizImageBlock(const WIZ_MEMFILE* memfile, std::uint32_t index) {
    if (!IsMulti(memfile)) return memfile->data;
    const std::uint8_t* table = WizOffsetTable(memfile);
    if (table == nullptr) return nullptr;
    const std::uint32_t tableOffset = static_cast<std::uint32_t>(table - memfile->data);
    const std::uint32_t entry = WIZ_GetLE32(table + 8 + 4 * index);
    if (entry > memfile->size - tableOffset ||
        memfile->size - tableOffset - entry < WIZ_BlockHeaderSize) {
        return nullptr;
    }
    return table + entry;
}

// "own", "shared (DEFA)" or "none (the toolkit default palette)" for image index.
const char* WizPaletteSource(WIZ_MEMFILE* memfile, std::uint32_t index) {
    const std::uint8_t* rgbs = WIZ_FindBlock(memfile, index, "RGBS");
    if (rgbs == nullptr || WIZ_GetBE32(rgbs + 4) < WIZ_PaletteBlockSize) {
        return "none (the toolkit default palette)";
    }
    const std::uint8_t* image = WizImageBlock(memfile, index);
    if (image != nullptr && rgbs > image &&
        static_cast<std::uint32_t>(rgbs - image) < WIZ_GetBE32(image + 4)) {
        return "own";
    }
    return "shared (RGBS in DEFA)";
}

void PrintWizImages(WIZ_MEMFILE* memfile) {
    const std::uint32_t count = WizImageCount(memfile);
    std::printf("images: %u\n", count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* header = WIZ_FindBlock(memfile, i, "WIZH");
        std::printf("  image %u: ", i);
        if (header == nullptr || WIZ_GetBE32(header + 4) < WIZ_HeaderBlockSize) {
            std::printf("no WIZH block\n");
            continue;
        }
        std::printf("%u x %u, compression %u, palette %s, %s\n", WIZ_GetLE32(header + 12),
                    WIZ_GetLE32(header + 16), WIZ_GetLE32(header + 8), WizPaletteSource(memfile, i),
                    WIZ_FindBlock(memfile, i, "WIZD") != nullptr ? "WIZD pixels"
                                                                 : "no WIZD (all fill colour)");
    }
}

void PrintWizStructure(const Bytes& bytes) {
    if (bytes.size() < WIZ_BlockHeaderSize) {
        std::printf("blocks: none (%zu bytes, too few for a block header)\n", bytes.size());
        return;
    }
    const WizFile file{bytes, static_cast<std::uint32_t>(bytes.size())};
    WIZ_MEMFILE memfile{file.size, const_cast<std::uint8_t*>(bytes.data())};
    const std::uint8_t* root = bytes.data();
    const std::uint32_t rootSize = WIZ_GetBE32(root + 4);
    const bool multi = TagIs(root, "MULT");
    std::printf("layout: %s\n", multi ? "several images (MULT)" : "single image");
    std::printf("blocks:\n  0: %s size %u", Tag(root).c_str(), rootSize);
    if (rootSize < WIZ_BlockHeaderSize || rootSize >= WIZ_BlockSizeLimit || rootSize > file.size) {
        std::printf(" does not fit the file of %u bytes; nothing in it is found\n", file.size);
        return;
    }
    std::printf("\n");
    PrintWizChildren(file, 0, rootSize, multi ? WizKind::MultRoot : WizKind::Root, 2);
    if (rootSize < file.size) {
        std::printf("  %u: %u bytes after the root block, not read\n", rootSize,
                    file.size - rootSize);
    }
    PrintWizImages(&memfile);
}

// ---- PCX ---------------------------------------------------------------------------------

void PrintPcxStructure(const Bytes& bytes) {
    constexpr std::size_t kHeaderBytes = 128;
    constexpr std::size_t kPaletteBytes = 768;
    if (bytes.size() < kHeaderBytes) {
        std::printf("header: missing (%zu bytes, fewer than 128)\n", bytes.size());
        return;
    }
    const std::uint8_t* h = bytes.data();
    std::printf("header: manufacturer %u, version %u, encoding %u, bits per pixel %u\n", h[0], h[1],
                h[2], h[3]);
    std::printf("window: xmin %u, ymin %u, xmax %u, ymax %u\n", GetLE16(h + 4), GetLE16(h + 6),
                GetLE16(h + 8), GetLE16(h + 10));
    std::printf("planes: %u, bytes per line: %u\n", h[65], GetLE16(h + 66));
    if (bytes.size() >= kHeaderBytes + kPaletteBytes + 1) {
        const std::uint8_t marker = bytes[bytes.size() - kPaletteBytes - 1];
        std::printf("palette marker: 0x%02X%s\n", marker,
                    marker == 0x0C ? "" : " (not 0x0C; the last 768 bytes are used anyway)");
    } else {
        std::printf("palette marker: none (file too short for a palette after the pixels)\n");
    }
}

// ---- IFF ---------------------------------------------------------------------------------

void PrintIffStructure(const Bytes& bytes) {
    const std::size_t size = bytes.size();
    if (size < 12) {
        std::printf("chunks: none (%zu bytes, too few for a FORM header)\n", size);
        return;
    }
    const std::uint8_t* data = bytes.data();
    const std::uint32_t formLength = WIZ_GetBE32(data + 4);
    std::printf("form: %s size %u, type %s\n", Tag(data).c_str(), formLength,
                Tag(data + 8).c_str());
    std::printf("chunks:\n");
    // Chunks lie between offset 12 and the end of the FORM, cut to the end of the file.
    const std::uint64_t formEnd = 8 + static_cast<std::uint64_t>(formLength);
    const std::uint64_t end = formEnd < size ? formEnd : size;
    std::uint64_t p = 12;
    while (p < end) {
        if (end - p < 8) {
            std::printf("  %llu: %llu bytes, too few for a chunk header\n",
                        static_cast<unsigned long long>(p),
                        static_cast<unsigned long long>(end - p));
            return;
        }
        const std::uint8_t* chunk = data + p;
        const std::uint32_t chunkSize = WIZ_GetBE32(chunk + 4);
        std::printf("  %llu: %s size %u", static_cast<unsigned long long>(p), Tag(chunk).c_str(),
                    chunkSize);
        const std::uint64_t padded = chunkSize + (chunkSize & 1u);
        if (chunkSize == 0 || WIZ_GetBE32(chunk) == 0) {
            std::printf(" ends the walk\n");
            return;
        }
        if (padded > size - p - 8) {
            std::printf(" reaches past the end of the file\n");
            return;
        }
        if (TagIs(chunk, "BMHD") && chunkSize >= 20) {
            std::printf(": %u x %u, %u planes, masking %u, compression %u", GetBE16(chunk + 8),
                        GetBE16(chunk + 10), chunk[16], chunk[17], chunk[18]);
        } else if (TagIs(chunk, "CMAP")) {
            std::printf(": %u colours", chunkSize / 3);
        }
        std::printf("%s\n", chunkSize & 1u ? " (and a pad byte)" : "");
        p += 8 + padded;
    }
}

// ---- the command -------------------------------------------------------------------------

enum class Format { Wiz, Pcx, Iff, Unknown };

Format FormatOf(const char* path) {
    const char* extension = PICTURE_GetExtension(path);
    if (SameNoCase(extension, ".WIZ")) return Format::Wiz;
    if (SameNoCase(extension, ".PCX")) return Format::Pcx;
    if (SameNoCase(extension, ".LBM")) return Format::Iff;
    return Format::Unknown;
}

}  // namespace

int RunPictureInfo(const Invocation& invocation) {
    const char* path = invocation.operands[0];
    const Format format = FormatOf(path);
    const char* reason = nullptr;
    std::unique_ptr<RawPicture, decltype(&RAWPICT_Free)> picture(PICTURE_Load(path, &reason),
                                                                 &RAWPICT_Free);
    if (format == Format::Unknown) {
        std::fprintf(stderr, "disctool: %s: %s\n", path,
                     reason != nullptr ? reason : PICREASON_UnknownExtension);
        return InputStatus(path);
    }
    Bytes bytes;
    const std::string readFailure = ReadWholeFile(path, &bytes);
    if (!readFailure.empty()) {
        std::fprintf(stderr, "disctool: %s: %s\n", path,
                     reason != nullptr ? reason : readFailure.c_str());
        return kExitUsage;
    }

    std::printf("file: %s\n", path);
    std::printf("format: %s\n", format == Format::Wiz   ? "WIZ"
                                : format == Format::Pcx ? "PCX"
                                                        : "IFF");
    std::printf("length: %zu bytes\n", bytes.size());
    if (picture != nullptr) {
        std::printf("width: %d\nheight: %d\n", picture->bitmap->width, picture->bitmap->height);
        if (format != Format::Wiz) {
            std::printf("palette: own\n");
        } else if (bytes.size() >= WIZ_BlockHeaderSize) {
            WIZ_MEMFILE memfile{static_cast<std::uint32_t>(bytes.size()), bytes.data()};
            std::printf("palette: %s\n", WizPaletteSource(&memfile, 0));
        }
    }
    switch (format) {
        case Format::Wiz:
            PrintWizStructure(bytes);
            break;
        case Format::Pcx:
            PrintPcxStructure(bytes);
            break;
        case Format::Iff:
            PrintIffStructure(bytes);
            break;
        case Format::Unknown:
            break;
    }
    std::fflush(stdout);
    if (picture == nullptr) {
        std::fprintf(stderr, "disctool: %s: %s\n", path,
                     reason != nullptr ? reason : "cannot be loaded");
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace disctool
