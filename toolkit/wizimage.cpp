// WIZ pictures. The whole file is read into memory, the blocks an image needs are found by
// walking the tagged block tree, and the run-length lines are drawn into a new bitmap. Every
// size and offset read from the file is checked against the bytes that are really there
// before anything is read through it.
#include "toolkit/wizimage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "toolkit/rawbitm.h"
#include "toolkit/rawpal.h"
#include "toolkit/picreason.h"
#include "toolkit/rawpict.h"
#include "toolkit/toolbyte.h"
#include "toolkit/toolfile.h"
#include "toolkit/toolmem.h"

namespace {

bool TagIs(const std::uint8_t* block, const char* tag) { return std::memcmp(block, tag, 4) == 0; }

// The size field of a block whose 8-byte header lies inside the data.
std::uint32_t BlockSize(const std::uint8_t* block) { return WIZ_GetBE32(block + 4); }

// Bytes from block to the end of the file's data; block lies inside it.
std::uint32_t BytesAfter(const WIZ_MEMFILE* file, const std::uint8_t* block) {
    return file->size - static_cast<std::uint32_t>(block - file->data);
}

// The child of container with tag, where container lies inside file's data; null when the
// container is null or has no such child.
const std::uint8_t* FindIn(const WIZ_MEMFILE* file, const char* tag,
                           const std::uint8_t* container) {
    if (container == nullptr) return nullptr;
    return WIZ_FindChild(tag, container, BytesAfter(file, container));
}

// Frees a partly built picture on every failure path.
struct PictureParts {
    RawPicture* picture = nullptr;
    RawPalette* palette = nullptr;
    RawBitmap* bitmap = nullptr;

    PictureParts() = default;
    PictureParts(const PictureParts&) = delete;
    PictureParts& operator=(const PictureParts&) = delete;
    ~PictureParts() {
        if (bitmap != nullptr) RAWBITM_Free(bitmap);
        RAWPAL_Free(palette);
        TOOLMEM_Free(picture);
    }
    RawPicture* Release() {
        picture->bitmap = bitmap;
        picture->palette = palette;
        RawPicture* result = picture;
        picture = nullptr;
        palette = nullptr;
        bitmap = nullptr;
        return result;
    }
};

// Closes the file and frees the file's bytes on every path out of WIZ_LoadFile.
struct FileParts {
    TOOLFILE* file = nullptr;
    WIZ_MEMFILE* memfile = nullptr;

    FileParts() = default;
    FileParts(const FileParts&) = delete;
    FileParts& operator=(const FileParts&) = delete;
    ~FileParts() {
        if (file != nullptr) TOOLFILE_Close(file);
        if (memfile != nullptr) TOOLMEM_Free(memfile->data);
        TOOLMEM_Free(memfile);
    }
};

}  // namespace

std::uint32_t WIZ_GetLE32(const std::uint8_t* bytes) { return TOOLBYTE_GetLE32(bytes); }

std::uint32_t WIZ_GetBE32(const std::uint8_t* bytes) { return TOOLBYTE_GetBE32(bytes); }

const std::uint8_t* WIZ_FindChild(const char* tag, const std::uint8_t* container,
                                  std::uint32_t available) {
    if (container == nullptr || available < WIZ_BlockHeaderSize) return nullptr;
    const std::uint32_t end = BlockSize(container);
    if (end < WIZ_BlockHeaderSize || end >= WIZ_BlockSizeLimit || end > available) return nullptr;
    std::uint32_t p = WIZ_BlockHeaderSize;
    while (p < end) {
        // Every child must hold its own header and lie inside the data; each step moves on
        // by at least 8 bytes, so the walk always ends.
        if (available - p < WIZ_BlockHeaderSize) return nullptr;
        const std::uint8_t* child = container + p;
        const std::uint32_t size = BlockSize(child);
        if (size < WIZ_BlockHeaderSize || size >= WIZ_BlockSizeLimit || size > available - p)
            return nullptr;
        if (TagIs(child, tag)) return child;
        p += size;
    }
    return nullptr;
}

const std::uint8_t* WIZ_FindBlock(const WIZ_MEMFILE* file, std::uint32_t index, const char* tag) {
    if (file == nullptr || file->data == nullptr || file->size < WIZ_BlockHeaderSize)
        return nullptr;
    const std::uint8_t* root = file->data;
    if (!TagIs(root, "MULT")) return WIZ_FindChild(tag, root, file->size);

    const std::uint8_t* offs = FindIn(file, "OFFS", FindIn(file, "WRAP", root));
    if (offs == nullptr) return nullptr;
    const std::uint32_t entries = (BlockSize(offs) - WIZ_BlockHeaderSize) / 4;
    if (index >= entries) return nullptr;
    const std::uint32_t entry = WIZ_GetLE32(offs + WIZ_BlockHeaderSize + 4 * index);
    // The entry counts from the OFFS block's tag; it must leave room for a block header.
    const std::uint32_t afterOffs = BytesAfter(file, offs);
    if (entry > afterOffs || afterOffs - entry < WIZ_BlockHeaderSize) return nullptr;

    const std::uint8_t* own = FindIn(file, tag, offs + entry);
    if (own != nullptr) return own;
    return FindIn(file, tag, FindIn(file, "DEFA", root));
}

RawPicture* WIZ_LoadImage(const WIZ_MEMFILE* file, std::uint32_t index, int fill,
                          const char** reason) {
    if (file == nullptr || file->data == nullptr)
        return PICREASON_Fail(reason, PICREASON_WizNoData);
    PictureParts parts;
    parts.picture = static_cast<RawPicture*>(TOOLMEM_Alloc(1, sizeof(RawPicture)));
    if (parts.picture == nullptr) return PICREASON_Fail(reason, PICREASON_Memory);
    parts.palette = RAWPAL_Create();
    if (parts.palette == nullptr) return PICREASON_Fail(reason, PICREASON_Memory);

    // A palette block too short for 256 entries is ignored like a missing one.
    const std::uint8_t* rgbs = WIZ_FindBlock(file, index, "RGBS");
    if (rgbs != nullptr && BlockSize(rgbs) >= WIZ_PaletteBlockSize) {
        std::memcpy(parts.palette->rgb, rgbs + WIZ_BlockHeaderSize, sizeof parts.palette->rgb);
    } else {
        RAWPAL_SetDefault(parts.palette);
    }

    const std::uint8_t* wizh = WIZ_FindBlock(file, index, "WIZH");
    if (wizh == nullptr) return PICREASON_Fail(reason, PICREASON_WizNoHeader);
    if (BlockSize(wizh) < WIZ_HeaderBlockSize)
        return PICREASON_Fail(reason, PICREASON_WizShortHeader);
    const std::uint32_t compression = WIZ_GetLE32(wizh + 8);
    const std::uint32_t width = WIZ_GetLE32(wizh + 12);
    const std::uint32_t height = WIZ_GetLE32(wizh + 16);
    // Bitmap dimensions are signed 32-bit; a field with the top bit set is a negative size.
    if (width > INT32_MAX || height > INT32_MAX)
        return PICREASON_Fail(reason, PICREASON_WizBadSize);
    if (static_cast<std::uint64_t>(width) * height > static_cast<std::uint64_t>(RAWBITM_MaxBytes)) {
        return PICREASON_Fail(reason, PICREASON_TooLarge);
    }
    const auto w = static_cast<std::int32_t>(width);
    const auto h = static_cast<std::int32_t>(height);
    parts.bitmap = RAWBITM_Create(w, h);
    if (parts.bitmap == nullptr) return PICREASON_Fail(reason, PICREASON_Memory);

    if (w > 0 && h > 0) {
        ToolRect whole;
        RECT_SetSize(&whole, w, h);
        RAWBITM_FillRect(parts.bitmap, &whole, static_cast<std::uint8_t>(fill & 0xFF));
        const std::uint8_t* wizd = WIZ_FindBlock(file, index, "WIZD");
        if (wizd != nullptr && compression == WIZ_CompressionRle) {
            const std::uint32_t payload = BlockSize(wizd) - WIZ_BlockHeaderSize;
            RAWBITM_DrawPacked(parts.bitmap, wizd + WIZ_BlockHeaderSize, payload, w, h, 0, 0,
                               &whole, &whole);
        }
    }
    return parts.Release();
}

RawPicture* WIZ_LoadFile(const char* path, int fill, const char** reason) {
    FileParts parts;
    parts.file = TOOLFILE_Open(path, "rb");
    if (parts.file == nullptr) return PICREASON_Fail(reason, PICREASON_NotFound);
    // Refused by its length before any memory is taken for its bytes (a file of 4 GiB or more
    // on an uncached handle reads as 0xFFFFFFFF and is refused here too).
    const std::uint32_t size = TOOLFILE_GetLength(parts.file);
    if (size > WIZ_MaxFileBytes) return PICREASON_Fail(reason, PICREASON_WizFileTooLarge);
    parts.memfile = static_cast<WIZ_MEMFILE*>(TOOLMEM_Alloc(1, sizeof(WIZ_MEMFILE)));
    if (parts.memfile == nullptr) return PICREASON_Fail(reason, PICREASON_Memory);
    parts.memfile->size = size;
    parts.memfile->data = TOOLFILE_ReadAlloc(parts.memfile->size, parts.file);
    if (parts.memfile->data == nullptr) return PICREASON_Fail(reason, PICREASON_Memory);
    // A stream error leaves part of the data zeroed: decoding it would show a damaged picture
    // as if it were whole, so the load fails instead.
    if ((TOOLFILE_GetFlags(parts.file) & TOOLFILE_ERR_READ) == TOOLFILE_ERR_READ)
        return PICREASON_Fail(reason, PICREASON_Read);
    TOOLFILE_Close(parts.file);
    parts.file = nullptr;
    return WIZ_LoadImage(parts.memfile, 0, fill, reason);
}
