// The display surface: an off-screen 8-bit picture buffer that the platform copies to a
// window quickly. A memory device context holds a 256-colour device-independent bitmap whose
// colour indices line up one to one with the surface's logical palette, and a RawBitmap view
// of the bitmap's pixel memory lets the ordinary bitmap operations draw straight into it.
// The surface is built on DIB sections or, failing those, on the WinG library; both are
// looked up at run time. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/rawbitm.h"
#include "toolkit/rawpal.h"

// How surfaces are made in this process, chosen at the first successful creation.
enum SurfaceMethod : int {
    SURFACE_METHOD_NONE = 0,
    SURFACE_METHOD_WING = 100,
    SURFACE_METHOD_DIBSECTION = 200,
};

struct DisplaySurface {
    PALETTEENTRY entries[256];   // the colours as given to the logical palette
    std::uint8_t reserved[256];  // 1 where the entry holds a reserved system colour
    HGDIOBJ previousBitmap;      // what dc held before bitmap was selected
    RawPalette colours;          // the same 256 colours as red, green, blue triples
    HPALETTE previousPalette;    // what dc held before palette was selected (DIB sections)
    RawBitmap view;              // the bitmap's pixel memory, not owned; see below
    HPALETTE palette;            // the logical palette of 256 entries
    void* bits;                  // the pixel memory the platform returned
    std::int32_t width;          // pixels per row
    std::int32_t height;         // rows
    HBITMAP bitmap;              // the DIB section or WinG bitmap
    HDC dc;                      // the memory device context
};
// The platform lays out an 8-bit bitmap's rows on four-byte boundaries, while a RawBitmap's
// stride is its width. The view is therefore as wide as one padded row (width rounded up to
// a multiple of four) and as high as the surface: a picture copied into its top-left corner
// lands exactly, and the padding columns are never drawn.

// The method chosen so far in this process (SURFACE_METHOD_NONE until a creation succeeds
// in probing).
int SURFACE_GetMethod();

// Returns a new surface of width x height (both at least 1) whose non-reserved palette
// entries carry the flags byte, all pixels index 0, or null when no mechanism exists or any
// platform step fails. The caller frees it with SURFACE_Free.
DisplaySurface* SURFACE_Create(std::int32_t width, std::int32_t height, std::uint8_t flags);
// Releases every platform object of the surface and the record; null is accepted.
void SURFACE_Free(DisplaySurface* surface);
// Takes the palette's colours for every entry that is not a reserved system colour; when
// apply is 1 pushes them to the logical palette and the bitmap's colour table at once.
void SURFACE_SetColors(DisplaySurface* surface, const RawPalette* palette, int apply);
// Pushes the entries to the logical palette and to the bitmap's colour table.
void SURFACE_ApplyPalette(DisplaySurface* surface);
// Copies the source rectangle of the surface to the destination rectangle of dc,
// stretching when their sizes differ.
void SURFACE_Blit(HDC dc, const ToolRect* destination, const DisplaySurface* surface,
                  const ToolRect* source);
// Copies the whole surface, unscaled, with its top-left corner at (x, y) of dc.
void SURFACE_Draw(HDC dc, std::int32_t x, std::int32_t y, const DisplaySurface* surface);
// Loads the picture at path by its extension (".LBM", ".PCX", ".WIZ") and returns a new
// surface of its size holding its pixels and, when it has them, its colours; or null.
// The caller frees it with SURFACE_Free.
DisplaySurface* SURFACE_LoadPicture(const char* path, std::uint8_t flags);
