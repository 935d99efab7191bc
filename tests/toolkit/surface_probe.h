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
    Canvas(int width, int height, std::uint32_t background) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<std::uint32_t*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < width * height; ++i) pixels_[i] = background;
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    // The pixel at (x, y) as 0x00RRGGBB.
    std::uint32_t Pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0xFFFFFFFFu;
        return pixels_[y * width_ + x] & 0x00FFFFFFu;
    }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
};

}  // namespace surface_probe
