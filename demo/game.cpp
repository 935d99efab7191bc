// The sample product's game: a window with an animated plasma and the product's title,
// drawn with GDI from a 32-bit bitmap section. A key press or a mouse click ends it.
//
// Environment:
//   DEMO_GAME_SECONDS  when set to a positive number, the game also ends by itself after that
//                      many seconds (for unattended runs).
#include <windows.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT_PTR kQuitTimer = 2;
constexpr UINT kFrameMs = 40;
constexpr char kClassName[] = "DemoGameWindow";
constexpr char kTitle[] = "Tivoroo Demo";

struct Frame {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    std::uint32_t* pixels = nullptr;
};

Frame g_frame;
HFONT g_titleFont = nullptr;
HFONT g_smallFont = nullptr;
unsigned g_tick = 0;
// One period of a sine, scaled to 0..255, so that each pixel costs a few table look-ups.
unsigned char g_sine[256];
// The colour ramp the plasma walks through, as 0x00RRGGBB.
std::uint32_t g_ramp[256];

void BuildTables() {
    for (int i = 0; i < 256; ++i) {
        const double a = 2.0 * std::numbers::pi * i / 256.0;
        g_sine[i] = static_cast<unsigned char>(127.5 + 127.5 * std::sin(a));
        const auto channel = [a](double phase) {
            return static_cast<std::uint32_t>(96.0 + 80.0 * std::sin(a + phase));
        };
        g_ramp[i] = (channel(0.0) << 16) | (channel(2.1) << 8) | channel(4.2);
    }
}

bool CreateFrame(HWND hwnd) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(hwnd);
    g_frame.dc = CreateCompatibleDC(screen);
    void* bits = nullptr;
    g_frame.bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(hwnd, screen);
    if (g_frame.dc == nullptr || g_frame.bitmap == nullptr || bits == nullptr) return false;
    g_frame.pixels = static_cast<std::uint32_t*>(bits);
    g_frame.previous = SelectObject(g_frame.dc, g_frame.bitmap);
    return true;
}

void DestroyFrame() {
    if (g_frame.dc != nullptr && g_frame.previous != nullptr)
        SelectObject(g_frame.dc, g_frame.previous);
    if (g_frame.bitmap != nullptr) DeleteObject(g_frame.bitmap);
    if (g_frame.dc != nullptr) DeleteDC(g_frame.dc);
    g_frame = {};
}

unsigned char Sine(unsigned index) { return g_sine[index & 255U]; }

void DrawPlasma() {
    GdiFlush();
    const unsigned t = g_tick;
    for (int y = 0; y < kHeight; ++y) {
        const auto uy = static_cast<unsigned>(y);
        const unsigned rowA = Sine(uy + t * 2U);
        const unsigned rowB = Sine(uy / 2U + t);
        std::uint32_t* row = g_frame.pixels + static_cast<std::size_t>(y) * kWidth;
        for (int x = 0; x < kWidth; ++x) {
            const auto ux = static_cast<unsigned>(x);
            const unsigned v =
                Sine(ux + t * 3U) + rowA + Sine((ux + uy) / 2U + rowB) + Sine(ux / 3U + t);
            row[x] = g_ramp[(v / 4U + t) & 255U];
        }
    }
}

void DrawCenteredText(HFONT font, int top, int bottom, const char* text, COLORREF colour) {
    HGDIOBJ old = SelectObject(g_frame.dc, font);
    SetBkMode(g_frame.dc, TRANSPARENT);
    RECT shadow = {3, top + 3, kWidth + 3, bottom + 3};
    SetTextColor(g_frame.dc, RGB(16, 16, 32));
    DrawTextA(g_frame.dc, text, -1, &shadow, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT box = {0, top, kWidth, bottom};
    SetTextColor(g_frame.dc, colour);
    DrawTextA(g_frame.dc, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(g_frame.dc, old);
}

void DrawFrame() {
    DrawPlasma();
    // The title bobs gently on its line.
    const int bob = (Sine(g_tick * 4U) - 128) / 16;
    DrawCenteredText(g_titleFont, 120 + bob, 220 + bob, kTitle, RGB(255, 248, 220));
    DrawCenteredText(g_smallFont, 330, 370, "Press any key or click to quit", RGB(240, 240, 255));
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (g_frame.dc != nullptr) BitBlt(dc, 0, 0, kWidth, kHeight, g_frame.dc, 0, 0, SRCCOPY);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            if (!CreateFrame(hwnd)) return -1;
            DrawFrame();
            SetTimer(hwnd, kFrameTimer, kFrameMs, nullptr);
            return 0;
        case WM_TIMER:
            if (wParam == kQuitTimer) {
                DestroyWindow(hwnd);
            } else {
                ++g_tick;
                DrawFrame();
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            return 0;
        case WM_PAINT:
            OnPaint(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_KEYDOWN:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            KillTimer(hwnd, kFrameTimer);
            KillTimer(hwnd, kQuitTimer);
            DestroyFrame();
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// Seconds from DEMO_GAME_SECONDS, or 0 when it is unset or not a positive number.
UINT QuitAfterSeconds() {
    char text[32];
    const DWORD n = GetEnvironmentVariableA("DEMO_GAME_SECONDS", text, sizeof text);
    if (n == 0 || n >= sizeof text) return 0;
    char* end = nullptr;
    const long seconds = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || seconds <= 0 || seconds > 3600) return 0;
    return static_cast<UINT>(seconds);
}

HFONT MakeFont(int height, int weight) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "Tahoma");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    BuildTables();
    g_titleFont = MakeFont(72, FW_BOLD);
    g_smallFont = MakeFont(22, FW_NORMAL);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    wc.lpszClassName = kClassName;
    if (RegisterClassA(&wc) == 0) return 1;

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kWidth, kHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const int w = frame.right - frame.left;
    const int h = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    HWND hwnd = CreateWindowExA(0, kClassName, kTitle, style, x, y, w, h, nullptr, nullptr,
                                instance, nullptr);
    if (hwnd == nullptr) return 1;
    if (const UINT seconds = QuitAfterSeconds(); seconds > 0)
        SetTimer(hwnd, kQuitTimer, seconds * 1000U, nullptr);
    ShowWindow(hwnd, show == 0 ? SW_SHOWNORMAL : show);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(g_titleFont);
    DeleteObject(g_smallFont);
    return 0;
}
