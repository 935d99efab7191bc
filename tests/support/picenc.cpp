#include "tests/support/picenc.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>

#include "tests/support/testbytes.h"

namespace picenc {

namespace {

std::uint32_t NextRandom(std::uint32_t& state) {
    // xorshift32: fast, and the same sequence on every platform.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

std::uint8_t Byte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

using testbytes::PutBE16;
using testbytes::PutBE32;
using testbytes::PutLE16;
using testbytes::PutLE32;
using testbytes::SetLE16;

void PutTag(Bytes& out, const char* tag) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

// A WIZ block: tag, big-endian size including the 8-byte header, payload.
Bytes WizBlock(const char* tag, const Bytes& payload) {
    Bytes out;
    PutTag(out, tag);
    PutBE32(out, static_cast<std::uint32_t>(payload.size() + 8));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// Length of the run of bytes equal to row[i], at most limit.
int RunLength(const std::uint8_t* row, int i, int count, int limit) {
    int n = 1;
    while (i + n < count && n < limit && row[i + n] == row[i]) ++n;
    return n;
}

// An IFF chunk, padded to even length.
void PutChunk(Bytes& out, const char* id, const Bytes& data) {
    PutTag(out, id);
    PutBE32(out, static_cast<std::uint32_t>(data.size()));
    Append(out, data);
    if (data.size() % 2 != 0) out.push_back(0);
}

Bytes IffBitmapHeader(const Picture& picture, int nPlanes, bool packed, bool masking) {
    Bytes h;
    PutBE16(h, static_cast<std::uint32_t>(picture.width));
    PutBE16(h, static_cast<std::uint32_t>(picture.height));
    PutBE16(h, 0);  // x
    PutBE16(h, 0);  // y
    h.push_back(Byte(nPlanes));
    h.push_back(masking ? 1 : 0);
    h.push_back(packed ? 1 : 0);
    h.push_back(0);   // pad1
    PutBE16(h, 0);    // transparentColor
    h.push_back(10);  // xAspect
    h.push_back(11);  // yAspect
    PutBE16(h, static_cast<std::uint32_t>(picture.width));
    PutBE16(h, static_cast<std::uint32_t>(picture.height));
    return h;
}

Bytes IffForm(const char* type, const Bytes& bmhd, const Bytes& cmap, const Bytes& body) {
    Bytes chunks;
    PutTag(chunks, type);
    PutChunk(chunks, "BMHD", bmhd);
    PutChunk(chunks, "CMAP", cmap);
    PutChunk(chunks, "BODY", body);
    Bytes out;
    PutTag(out, "FORM");
    PutBE32(out, static_cast<std::uint32_t>(chunks.size()));
    Append(out, chunks);
    return out;
}

void CheckPicture(const Picture& picture) {
    if (picture.width < 1 || picture.height < 1 || picture.width > 65535 ||
        picture.height > 65535 ||
        picture.pixels.size() !=
            static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) ||
        picture.palette.size() != 768)
        throw std::invalid_argument("picture has no valid size or palette");
}

}  // namespace

Picture MakePicture(int width, int height, Content content, std::uint32_t seed) {
    Picture p;
    p.width = width;
    p.height = height;
    p.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    p.palette.resize(768);
    for (int i = 0; i < 256; ++i) {
        p.palette[static_cast<std::size_t>(3 * i)] = Byte(i);
        p.palette[static_cast<std::size_t>(3 * i + 1)] = Byte(255 - i);
        p.palette[static_cast<std::size_t>(3 * i + 2)] = Byte(i * 7);
    }
    std::uint32_t state = seed | 1u;
    std::uint8_t* out = p.pixels.data();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int v = 0;
            switch (content) {
                case Content::Flat:
                    v = (x / 200) * 37 + (y / 64) * 11;
                    break;
                case Content::Noise:
                    v = static_cast<int>(NextRandom(state) >> 24);
                    break;
                case Content::Mixed:
                    switch (y * 4 / height) {
                        case 0:
                            v = x * 256 / width;
                            break;  // gradient
                        case 1:
                            v = (x + y) / 8;
                            break;  // diagonal
                        case 2:
                            v = (x / 256) * 7 + (y / 128) * 13;
                            break;  // flat areas
                        default:    // noisy gradient
                            v = (NextRandom(state) & 7) == 0 ? static_cast<int>(state >> 24)
                                                             : x / 16;
                            break;
                    }
                    break;
            }
            *out++ = Byte(v);
        }
    }
    return p;
}

Bytes RleLines(const Picture& picture, int transparent) {
    CheckPicture(picture);
    Bytes out;
    Bytes codes;
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row =
            picture.pixels.data() +
            static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
        const int w = picture.width;
        codes.clear();
        int i = 0;
        while (i < w) {
            if (row[i] == transparent) {
                int n = RunLength(row, i, w, 127);
                codes.push_back(Byte((n << 1) | 1));
                i += n;
                continue;
            }
            int run = RunLength(row, i, w, 64);
            if (run >= 3) {
                codes.push_back(Byte(((run - 1) << 2) | 2));
                codes.push_back(row[i]);
                i += run;
                continue;
            }
            // Literal: up to 64 bytes, ending before a transparent pixel or a run of three.
            int n = 0;
            while (i + n < w && n < 64 && row[i + n] != transparent &&
                   RunLength(row, i + n, w, 3) < 3)
                ++n;
            if (n == 0) n = 1;
            codes.push_back(Byte((n - 1) << 2));
            codes.insert(codes.end(), row + i, row + i + n);
            i += n;
        }
        if (codes.size() > 0xFFFF) throw std::invalid_argument("row too wide to code");
        PutLE16(out, static_cast<std::uint32_t>(codes.size()));
        Append(out, codes);
    }
    return out;
}

namespace {

Bytes WizImageChildren(const Picture& picture, std::uint32_t compression, bool withPalette,
                       int transparent) {
    Bytes header;
    PutLE32(header, compression);
    PutLE32(header, static_cast<std::uint32_t>(picture.width));
    PutLE32(header, static_cast<std::uint32_t>(picture.height));
    Bytes children = WizBlock("WIZH", header);
    if (withPalette) Append(children, WizBlock("RGBS", picture.palette));
    Append(children, WizBlock("WIZD", RleLines(picture, transparent)));
    return children;
}

}  // namespace

Bytes Wiz(const Picture& picture, std::uint32_t compression, bool withPalette, int transparent) {
    return WizBlock("PICT", WizImageChildren(picture, compression, withPalette, transparent));
}

Bytes WizMulti(const std::vector<Picture>& pictures, bool ownPalettes) {
    if (pictures.empty()) throw std::invalid_argument("no pictures");
    std::vector<Bytes> images;
    for (const Picture& p : pictures)
        images.push_back(WizBlock("IMAG", WizImageChildren(p, 1, ownPalettes, -1)));
    // Entries count from the first byte of the "OFFS" block; the images follow it.
    Bytes table;
    std::uint32_t offset = static_cast<std::uint32_t>(8 + 4 * images.size());
    for (const Bytes& image : images) {
        PutLE32(table, offset);
        offset += static_cast<std::uint32_t>(image.size());
    }
    Bytes wrap = WizBlock("OFFS", table);
    for (const Bytes& image : images) Append(wrap, image);
    Bytes root = WizBlock("WRAP", wrap);
    Append(root, WizBlock("DEFA", WizBlock("RGBS", pictures.front().palette)));
    return WizBlock("MULT", root);
}

Bytes Pcx(const Picture& picture) {
    CheckPicture(picture);
    const int bytesPerLine = picture.width + (picture.width & 1);
    Bytes out(128, 0);
    out[0] = 10;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    SetLE16(out, 8, static_cast<std::uint32_t>(picture.width - 1));
    SetLE16(out, 10, static_cast<std::uint32_t>(picture.height - 1));
    SetLE16(out, 12, 72);
    SetLE16(out, 14, 72);
    out[65] = 1;
    SetLE16(out, 66, static_cast<std::uint32_t>(bytesPerLine));
    SetLE16(out, 68, 1);
    Bytes row(static_cast<std::size_t>(bytesPerLine), 0);
    for (int y = 0; y < picture.height; ++y) {
        std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture.width,
                    picture.width, row.begin());
        int i = 0;
        while (i < bytesPerLine) {
            int run = RunLength(row.data(), i, bytesPerLine, 63);
            const std::uint8_t v = row[static_cast<std::size_t>(i)];
            if (run > 1 || v >= 0xC0) out.push_back(Byte(0xC0 | run));
            out.push_back(v);
            i += run;
        }
    }
    out.push_back(0x0C);
    Append(out, picture.palette);
    return out;
}

void ByteRun1(const std::uint8_t* row, int count, Bytes& out) {
    int i = 0;
    while (i < count) {
        int run = RunLength(row, i, count, 128);
        if (run >= 3) {
            out.push_back(Byte(257 - run));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        int n = 0;
        while (i + n < count && n < 128 && RunLength(row, i + n, count, 3) < 3) ++n;
        if (n == 0) n = 1;
        out.push_back(Byte(n - 1));
        out.insert(out.end(), row + i, row + i + n);
        i += n;
    }
}

Bytes Ilbm(const Picture& picture, int nPlanes, bool packed, bool masking) {
    CheckPicture(picture);
    if (nPlanes < 1 || nPlanes > 8) throw std::invalid_argument("planes must be 1-8");
    const int w = picture.width;
    const int rowBytes = (w + 15) / 16 * 2;
    Bytes body;
    Bytes plane(static_cast<std::size_t>(rowBytes));
    const Bytes mask(static_cast<std::size_t>(rowBytes), 0xFF);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row =
            picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        for (int p = 0; p < nPlanes; ++p) {
            std::fill(plane.begin(), plane.end(), 0);
            for (int x = 0; x < w; ++x)
                if ((row[x] >> p) & 1)
                    plane[static_cast<std::size_t>(x / 8)] |= Byte(0x80 >> (x % 8));
            if (packed)
                ByteRun1(plane.data(), rowBytes, body);
            else
                Append(body, plane);
        }
        if (masking) {
            if (packed)
                ByteRun1(mask.data(), rowBytes, body);
            else
                Append(body, mask);
        }
    }
    return IffForm("ILBM", IffBitmapHeader(picture, nPlanes, packed, masking), picture.palette,
                   body);
}

Bytes Pbm(const Picture& picture, bool packed) {
    CheckPicture(picture);
    Bytes body;
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row =
            picture.pixels.data() +
            static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
        if (packed)
            ByteRun1(row, picture.width, body);
        else
            body.insert(body.end(), row, row + picture.width);
    }
    return IffForm("PBM ", IffBitmapHeader(picture, 8, packed, false), picture.palette, body);
}

}  // namespace picenc
