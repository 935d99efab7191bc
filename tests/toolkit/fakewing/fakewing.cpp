// A stand-in for the WinG library with its five entry points, built on GDI's own DIB
// sections, so that the display surface's WinG path runs on systems that lack the library.
// Loaded by the tests from the folder of the test program under the name WING32.DLL.
#include <windows.h>

extern "C" {

__declspec(dllexport) HDC WINAPI WinGCreateDC();
__declspec(dllexport) BOOL WINAPI WinGRecommendDIBFormat(BITMAPINFO* info);
__declspec(dllexport) HBITMAP WINAPI WinGCreateBitmap(HDC dc, const BITMAPINFO* info, void** bits);
__declspec(dllexport) UINT WINAPI
    WinGSetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colours);
__declspec(dllexport) BOOL WINAPI
    WinGStretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy,
                   int sourceWidth, int sourceHeight);

__declspec(dllexport) HDC WINAPI WinGCreateDC() { return CreateCompatibleDC(nullptr); }

// Recommends an 8-bit top-down bitmap, as the library does on a palette display.
__declspec(dllexport) BOOL WINAPI WinGRecommendDIBFormat(BITMAPINFO* info) {
    if (info == nullptr) return FALSE;
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = 1;
    info->bmiHeader.biHeight = -1;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 8;
    info->bmiHeader.biCompression = BI_RGB;
    return TRUE;
}

__declspec(dllexport) HBITMAP WINAPI WinGCreateBitmap(HDC dc, const BITMAPINFO* info, void** bits) {
    return CreateDIBSection(dc, info, DIB_RGB_COLORS, bits, nullptr, 0);
}

__declspec(dllexport) UINT WINAPI
    WinGSetDIBColorTable(HDC dc, UINT start, UINT count, const RGBQUAD* colours) {
    return SetDIBColorTable(dc, start, count, colours);
}

__declspec(dllexport) BOOL WINAPI
    WinGStretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sx, int sy,
                   int sourceWidth, int sourceHeight) {
    return StretchBlt(destination, x, y, width, height, source, sx, sy, sourceWidth, sourceHeight,
                      SRCCOPY);
}

}  // extern "C"
