// A 32-bit memory canvas that surfaces are drawn into, so tests can read back exactly what
// a window would receive.
#pragma once

#include <windows.h>

#include <cstdint>

namespace surface_probe {

inline std::uint32_t Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | b;
}

class Canvas {
public:
    Canvas(int width, int height, std::uint32_t background) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_pixels = static_cast<std::uint32_t*>(bits);
        m_previous = SelectObject(m_dc, m_bitmap);
        for (int i = 0; i < width * height; ++i) m_pixels[i] = background;
    }
    ~Canvas() {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_dc; }
    // The pixel at (x, y) as 0x00RRGGBB.
    std::uint32_t Pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0xFFFFFFFFu;
        return m_pixels[y * m_width + x] & 0x00FFFFFFu;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_pixels = nullptr;
};

}  // namespace surface_probe
