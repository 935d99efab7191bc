#include "toolkit/dispsurf.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolkit/dispsurf_seams.h"
#include "toolkit/picload.h"
#include "toolkit/rawpict.h"
#include "toolkit/toolmem.h"

int SURFACE_TestFailDibProbe = 0;

namespace {

// Entry points looked up at run time, so that the program starts on systems without them.
using CreateDibSectionFn = HBITMAP(WINAPI*)(HDC, const BITMAPINFO*, UINT, void**, HANDLE, DWORD);
using SetDibColorTableFn = UINT(WINAPI*)(HDC, UINT, UINT, const RGBQUAD*);
using WinGCreateDcFn = HDC(WINAPI*)();
using WinGRecommendDibFormatFn = BOOL(WINAPI*)(BITMAPINFO*);
using WinGCreateBitmapFn = HBITMAP(WINAPI*)(HDC, const BITMAPINFO*, void**);
using WinGSetDibColorTableFn = UINT(WINAPI*)(HDC, UINT, UINT, const RGBQUAD*);
using WinGStretchBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int);

// Module state, one set per process; a module loaded by a successful probe stays loaded.
struct SurfaceModule {
    int method = SURFACE_METHOD_NONE;
    int forceSystemPalette = 1;
    HMODULE gdi = nullptr;
    CreateDibSectionFn createDibSection = nullptr;
    SetDibColorTableFn setDibColorTable = nullptr;
    HMODULE wing = nullptr;
    WinGCreateDcFn wingCreateDc = nullptr;
    WinGRecommendDibFormatFn wingRecommendDibFormat = nullptr;
    WinGCreateBitmapFn wingCreateBitmap = nullptr;
    WinGSetDibColorTableFn wingSetDibColorTable = nullptr;
    WinGStretchBltFn wingStretchBlt = nullptr;
};

SurfaceModule g_module;

// The toolkit's settings section and file. Nothing in this system fills them, so every
// setting keeps its default.
const char g_settingsSection[] = "";
const char g_settingsFile[] = "";

template <typename Fn>
Fn LookUp(HMODULE module, const char* name) {
    // A FARPROC is converted through the generic function-pointer type, which is how a
    // looked-up entry point takes its real signature.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The description of an 8-bit, 256-colour, uncompressed bitmap whose colour table holds
// indices 0..255 into the selected logical palette (DIB_PAL_COLORS).
struct PalColorBitmapInfo {
    BITMAPINFOHEADER header;
    WORD indices[256];
};

// The description of an 8-bit bitmap with a colour table of 256 RGB quads.
struct RgbBitmapInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

// The row length in bytes of an 8-bit device-independent bitmap of the given width.
std::int32_t PaddedStride(std::int32_t width) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(width) + 3u) & ~3u);
}

int TOOLINI_GetInt(const char* key, int defaultValue) {
    char defaultText[16];
    std::snprintf(defaultText, sizeof defaultText, "%d", defaultValue);
    if (g_settingsSection[0] == '\0' || g_settingsFile[0] == '\0') {
        // With no settings file there is nothing to look up; asking the platform with an
        // empty file name would consult a file of its own choosing.
        return defaultValue;
    }
    char result[1024];
    GetPrivateProfileStringA(g_settingsSection, key, defaultText, result, sizeof result,
                             g_settingsFile);
    return static_cast<int>(std::strtol(result, nullptr, 10));
}

PalColorBitmapInfo* SURFACE_MakeBitmapInfo(std::int32_t width, std::int32_t height, int topDown) {
    auto* info = static_cast<PalColorBitmapInfo*>(TOOLMEM_Alloc(1, sizeof(PalColorBitmapInfo)));
    if (info == nullptr) return nullptr;
    info->header.biSize = sizeof(BITMAPINFOHEADER);
    info->header.biWidth = width;
    info->header.biHeight = topDown == 1 ? -height : height;
    info->header.biPlanes = 1;
    info->header.biBitCount = 8;
    info->header.biCompression = BI_RGB;
    info->header.biSizeImage = 0;
    info->header.biXPelsPerMeter = 7200;
    info->header.biYPelsPerMeter = 7200;
    info->header.biClrUsed = 256;
    info->header.biClrImportant = 256;
    for (WORD i = 0; i < 256; ++i) info->indices[i] = i;
    return info;
}

int SURFACE_ProbeDibSection() {
    const UINT savedMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    int ok = 0;
    HMODULE gdi = LoadLibraryA("GDI32.DLL");
    CreateDibSectionFn create = nullptr;
    SetDibColorTableFn setTable = nullptr;
    if (gdi != nullptr) {
        create = LookUp<CreateDibSectionFn>(gdi, "CreateDIBSection");
        setTable = LookUp<SetDibColorTableFn>(gdi, "SetDIBColorTable");
    }
    if (create != nullptr && setTable != nullptr) {
        HDC dc = CreateCompatibleDC(nullptr);
        PalColorBitmapInfo* info = SURFACE_MakeBitmapInfo(16, 16, 1);
        if (dc != nullptr && info != nullptr) {
            void* bits = nullptr;
            SetLastError(0);
            HBITMAP test = create(dc, reinterpret_cast<const BITMAPINFO*>(info), DIB_PAL_COLORS,
                                  &bits, nullptr, 0);
            // Only a platform that says it has no such call fails the probe; a null bitmap
            // for any other reason still means the mechanism exists.
            ok = GetLastError() != ERROR_CALL_NOT_IMPLEMENTED && SURFACE_TestFailDibProbe == 0;
            if (test != nullptr) DeleteObject(test);
        }
        TOOLMEM_Free(info);
        if (dc != nullptr) DeleteDC(dc);
    }
    if (ok) {
        g_module.gdi = gdi;
        g_module.createDibSection = create;
        g_module.setDibColorTable = setTable;
        g_module.method = SURFACE_METHOD_DIBSECTION;
    } else if (gdi != nullptr) {
        FreeLibrary(gdi);
    }
    SetErrorMode(savedMode);
    return ok;
}

int SURFACE_ProbeWinG() {
    const UINT savedMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
    int ok = 0;
    HMODULE wing = LoadLibraryA("WING32.DLL");
    if (wing != nullptr) {
        g_module.wingCreateDc = LookUp<WinGCreateDcFn>(wing, "WinGCreateDC");
        g_module.wingRecommendDibFormat =
            LookUp<WinGRecommendDibFormatFn>(wing, "WinGRecommendDIBFormat");
        g_module.wingCreateBitmap = LookUp<WinGCreateBitmapFn>(wing, "WinGCreateBitmap");
        g_module.wingSetDibColorTable =
            LookUp<WinGSetDibColorTableFn>(wing, "WinGSetDIBColorTable");
        g_module.wingStretchBlt = LookUp<WinGStretchBltFn>(wing, "WinGStretchBlt");
        ok = g_module.wingCreateDc != nullptr && g_module.wingRecommendDibFormat != nullptr &&
             g_module.wingCreateBitmap != nullptr && g_module.wingSetDibColorTable != nullptr &&
             g_module.wingStretchBlt != nullptr;
        if (!ok) {
            FreeLibrary(wing);
            g_module.wingCreateDc = nullptr;
            g_module.wingRecommendDibFormat = nullptr;
            g_module.wingCreateBitmap = nullptr;
            g_module.wingSetDibColorTable = nullptr;
            g_module.wingStretchBlt = nullptr;
        }
    }
    if (ok) {
        g_module.wing = wing;
        g_module.method = SURFACE_METHOD_WING;
    }
    SetErrorMode(savedMode);
    return ok;
}

// The identity palette: on a palette device the reserved system colours keep half of the
// reserved entries at each end, everything else gets the caller's flags; otherwise four
// ramps of 64 levels (grey, red, green, blue).
int SURFACE_BuildPalette(DisplaySurface* surface, std::uint8_t flags) {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return 0;
    const int size = GetDeviceCaps(screen, SIZEPALETTE);
    const int reserved = GetDeviceCaps(screen, NUMRESERVED);
    // A device that reports fewer palette entries than reserved ones (one without a
    // palette reports 0) has no system colours to keep: it gets the ramps.
    if (g_module.forceSystemPalette == 1 && size <= 256 && reserved >= 1 && size >= reserved) {
        GetSystemPaletteEntries(screen, 0, static_cast<UINT>(size), surface->entries);
        for (int i = 0; i < size; ++i) {
            surface->entries[i].peFlags = flags;
            surface->reserved[i] = 0;
        }
        const int half = reserved / 2;
        for (int i = 0; i < half; ++i) {
            surface->entries[i].peFlags = 0;
            surface->reserved[i] = 1;
            surface->entries[size - 1 - i].peFlags = 0;
            surface->reserved[size - 1 - i] = 1;
        }
    } else {
        for (int i = 0; i < 64; ++i) {
            const auto level = static_cast<BYTE>(4 * i);
            surface->entries[i] = PALETTEENTRY{level, level, level, flags};
            surface->entries[64 + i] = PALETTEENTRY{level, 0, 0, flags};
            surface->entries[128 + i] = PALETTEENTRY{0, level, 0, flags};
            surface->entries[192 + i] = PALETTEENTRY{0, 0, level, flags};
        }
        std::memset(surface->reserved, 0, sizeof surface->reserved);
    }
    ReleaseDC(nullptr, screen);

    for (int i = 0; i < 256; ++i) {
        surface->colours.rgb[3 * i] = surface->entries[i].peRed;
        surface->colours.rgb[3 * i + 1] = surface->entries[i].peGreen;
        surface->colours.rgb[3 * i + 2] = surface->entries[i].peBlue;
    }

    struct {
        WORD version;
        WORD count;
        PALETTEENTRY entries[256];
    } logical{};
    logical.version = 0x300;
    logical.count = 256;
    std::memcpy(logical.entries, surface->entries, sizeof logical.entries);
    surface->palette = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&logical));
    return surface->palette != nullptr ? 1 : 0;
}

void Teardown(DisplaySurface* surface) {
    if (surface->dc != nullptr) {
        if (surface->bitmap != nullptr) {
            if (surface->previousBitmap != nullptr)
                SelectObject(surface->dc, surface->previousBitmap);
            DeleteObject(surface->bitmap);
        }
        if (surface->previousPalette != nullptr)
            SelectPalette(surface->dc, surface->previousPalette, FALSE);
        DeleteDC(surface->dc);
    } else if (surface->bitmap != nullptr) {
        DeleteObject(surface->bitmap);
    }
    if (surface->palette != nullptr) DeleteObject(surface->palette);
    TOOLMEM_Free(surface);
}

int CreateOnDibSection(DisplaySurface* surface) {
    PalColorBitmapInfo* info = SURFACE_MakeBitmapInfo(surface->width, surface->height, 1);
    int ok = 0;
    if (info != nullptr) {
        surface->dc = CreateCompatibleDC(nullptr);
        if (surface->dc != nullptr) {
            surface->previousPalette = SelectPalette(surface->dc, surface->palette, FALSE);
            RealizePalette(surface->dc);
            surface->bitmap =
                g_module.createDibSection(surface->dc, reinterpret_cast<const BITMAPINFO*>(info),
                                          DIB_PAL_COLORS, &surface->bits, nullptr, 0);
            if (surface->bitmap != nullptr && surface->bits != nullptr) {
                surface->previousBitmap = SelectObject(surface->dc, surface->bitmap);
                ok = surface->previousBitmap != nullptr;
            }
        }
    }
    TOOLMEM_Free(info);
    return ok;
}

int CreateOnWinG(DisplaySurface* surface) {
    surface->dc = g_module.wingCreateDc();
    if (surface->dc == nullptr) return 0;
    RgbBitmapInfo info{};
    if (!g_module.wingRecommendDibFormat(reinterpret_cast<BITMAPINFO*>(&info))) return 0;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biWidth = surface->width;
    info.header.biHeight = -surface->height;
    info.header.biClrUsed = 0;
    for (int i = 0; i < 256; ++i) {
        info.colours[i] = RGBQUAD{surface->entries[i].peBlue, surface->entries[i].peGreen,
                                  surface->entries[i].peRed, 0};
    }
    surface->bitmap = g_module.wingCreateBitmap(
        surface->dc, reinterpret_cast<const BITMAPINFO*>(&info), &surface->bits);
    if (surface->bitmap == nullptr || surface->bits == nullptr) return 0;
    std::memset(surface->bits, 0,
                static_cast<std::size_t>(PaddedStride(surface->width)) *
                    static_cast<std::size_t>(surface->height));
    surface->previousBitmap = SelectObject(surface->dc, surface->bitmap);
    return surface->previousBitmap != nullptr;
}

}  // namespace

int SURFACE_GetMethod() { return g_module.method; }

DisplaySurface* SURFACE_Create(std::int32_t width, std::int32_t height, std::uint8_t flags) {
    // Same cap as any toolkit bitmap: the view is one.
    if (width < 1 || height < 1 || width > RAWBITM_MaxBytes - 3) return nullptr;
    const std::int64_t bytes = static_cast<std::int64_t>(PaddedStride(width)) * height;
    if (bytes > RAWBITM_MaxBytes) return nullptr;

    if (g_module.method == SURFACE_METHOD_NONE) {
        g_module.forceSystemPalette = TOOLINI_GetInt("ForceWindowsSystemPalette", 1);
        if (!SURFACE_ProbeDibSection() && !SURFACE_ProbeWinG()) return nullptr;
    }

    auto* surface = static_cast<DisplaySurface*>(TOOLMEM_Alloc(1, sizeof(DisplaySurface)));
    if (surface == nullptr) return nullptr;
    surface->width = width;
    surface->height = height;
    if (!SURFACE_BuildPalette(surface, flags)) {
        Teardown(surface);
        return nullptr;
    }
    const int made = g_module.method == SURFACE_METHOD_DIBSECTION ? CreateOnDibSection(surface)
                                                                  : CreateOnWinG(surface);
    if (!made) {
        Teardown(surface);
        return nullptr;
    }
    surface->view.width = PaddedStride(width);
    surface->view.height = height;
    surface->view.size = static_cast<std::int32_t>(bytes);
    surface->view.pixels = static_cast<std::uint8_t*>(surface->bits);
    return surface;
}

void SURFACE_Free(DisplaySurface* surface) {
    if (surface != nullptr) Teardown(surface);
}

void SURFACE_SetColors(DisplaySurface* surface, const RawPalette* palette, int apply) {
    for (int i = 0; i < 256; ++i) {
        if (surface->reserved[i] != 0) continue;
        const std::uint8_t* rgb = &palette->rgb[3 * i];
        surface->colours.rgb[3 * i] = rgb[0];
        surface->colours.rgb[3 * i + 1] = rgb[1];
        surface->colours.rgb[3 * i + 2] = rgb[2];
        surface->entries[i].peRed = rgb[0];
        surface->entries[i].peGreen = rgb[1];
        surface->entries[i].peBlue = rgb[2];
    }
    if (apply == 1) SURFACE_ApplyPalette(surface);
}

void SURFACE_ApplyPalette(DisplaySurface* surface) {
    if (surface->palette != nullptr) SetPaletteEntries(surface->palette, 0, 256, surface->entries);
    RGBQUAD quads[256];
    for (int i = 0; i < 256; ++i) {
        quads[i] = RGBQUAD{surface->entries[i].peBlue, surface->entries[i].peGreen,
                           surface->entries[i].peRed, 0};
    }
    if (g_module.method == SURFACE_METHOD_DIBSECTION) {
        g_module.setDibColorTable(surface->dc, 0, 256, quads);
    } else if (g_module.method == SURFACE_METHOD_WING) {
        g_module.wingSetDibColorTable(surface->dc, 0, 256, quads);
    }
}

void SURFACE_Blit(HDC dc, const ToolRect* destination, const DisplaySurface* surface,
                  const ToolRect* source) {
    if (g_module.method == SURFACE_METHOD_DIBSECTION) {
        StretchBlt(dc, destination->left, destination->top, RECT_Width(destination),
                   RECT_Height(destination), surface->dc, source->left, source->top,
                   RECT_Width(source), RECT_Height(source), SRCCOPY);
    } else if (g_module.method == SURFACE_METHOD_WING) {
        g_module.wingStretchBlt(dc, destination->left, destination->top, RECT_Width(destination),
                                RECT_Height(destination), surface->dc, source->left, source->top,
                                RECT_Width(source), RECT_Height(source));
    }
}

void SURFACE_Draw(HDC dc, std::int32_t x, std::int32_t y, const DisplaySurface* surface) {
    ToolRect source;
    RECT_SetSize(&source, surface->width, surface->height);
    ToolRect destination = source;
    RECT_Offset(&destination, x, y);
    SURFACE_Blit(dc, &destination, surface, &source);
}

DisplaySurface* SURFACE_LoadPicture(const char* path, std::uint8_t flags) {
    RawPicture* picture = PICTURE_Load(path);
    if (picture == nullptr) return nullptr;
    DisplaySurface* surface =
        SURFACE_Create(picture->bitmap->width, picture->bitmap->height, flags);
    if (surface != nullptr) {
        ToolRect area;
        RECT_SetSize(&area, surface->width, surface->height);
        RAWBITM_Copy(&surface->view, &area, picture->bitmap, &area);
        if (picture->palette != nullptr) SURFACE_SetColors(surface, picture->palette, 1);
    }
    RAWPICT_Free(picture);
    return surface;
}
