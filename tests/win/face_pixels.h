// The pixels of a window as it is on screen, checked against the system colours, and a high-contrast theme
// for the length of a test: the system colours of a black theme, and the program's high-contrast flag (Wine
// keeps no high-contrast setting: SPI_SETHIGHCONTRAST fails there).
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "ui/contrast.h"

namespace korimo::test {

inline constexpr int kThemedElements[] = {COLOR_WINDOW,    COLOR_WINDOWTEXT, COLOR_BTNFACE,  COLOR_BTNTEXT,
                                          COLOR_HIGHLIGHT, COLOR_HOTLIGHT,   COLOR_GRAYTEXT, COLOR_BTNSHADOW,
                                          COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT, COLOR_HIGHLIGHTTEXT};

class HighContrastTheme {
public:
    HighContrastTheme() {
        const COLORREF black[] = {RGB(0, 0, 0),       RGB(255, 255, 255), RGB(0, 0, 0),       RGB(255, 255, 255),
                                  RGB(0, 255, 255),   RGB(255, 255, 0),   RGB(0, 255, 0),     RGB(128, 128, 128),
                                  RGB(255, 255, 255), RGB(0, 0, 0),       RGB(192, 192, 192), RGB(0, 0, 0)};
        for (int element : kThemedElements) saved_.push_back(GetSysColor(element));
        ui::OverrideHighContrast(true);
        SetSysColors(static_cast<int>(std::size(kThemedElements)), kThemedElements, black); // tells every window
    }
    ~HighContrastTheme() {
        ui::OverrideHighContrast(false);
        SetSysColors(static_cast<int>(std::size(kThemedElements)), kThemedElements, saved_.data());
        ui::OverrideHighContrast(std::nullopt);
    }
    HighContrastTheme(const HighContrastTheme&) = delete;
    HighContrastTheme& operator=(const HighContrastTheme&) = delete;

private:
    std::vector<COLORREF> saved_;
};

// The client area of a window as it shows now (children included), top row first.
inline std::vector<COLORREF> ClientPixels(HWND window, SIZE& size) {
    RECT client{};
    GetClientRect(window, &client);
    size = {client.right, client.bottom};
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
    std::vector<COLORREF> pixels(static_cast<size_t>(size.cx) * size.cy);
    const auto* quads = static_cast<const RGBQUAD*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return pixels;
}

// Whether a colour is one of the system colours or a blend of two of them (the smoothed edge of a letter).
inline bool SystemColourOrBlend(COLORREF pixel, const std::vector<COLORREF>& system) {
    const int p[3] = {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)};
    for (COLORREF a : system)
        for (COLORREF b : system) {
            const int ca[3] = {GetRValue(a), GetGValue(a), GetBValue(a)}, cb[3] = {GetRValue(b), GetGValue(b), GetBValue(b)};
            int widest = 0;
            for (int c = 1; c < 3; ++c)
                if (std::abs(cb[c] - ca[c]) > std::abs(cb[widest] - ca[widest])) widest = c;
            const int span = cb[widest] - ca[widest];
            const double t = span ? double(p[widest] - ca[widest]) / span : 0.0;
            if (t < -0.02 || t > 1.02) continue;
            bool on = true;
            for (int c = 0; c < 3 && on; ++c) on = std::abs(ca[c] + t * (cb[c] - ca[c]) - p[c]) <= 6;
            if (on) return true;
        }
    return false;
}

// Pixels that are neither a system colour nor a blend of two: the face's own colours. A pixel of another colour
// right beside one of the system's own (within two columns) is forgiven: it is the coloured edge of a letter that
// ClearType draws, not a fill.
inline size_t PixelsOutsideSystemColours(HWND window) {
    std::vector<COLORREF> system;
    for (int element : kThemedElements) system.push_back(GetSysColor(element));
    const auto exact = [&](COLORREF pixel) {
        for (COLORREF colour : system)
            if (std::abs(GetRValue(pixel) - GetRValue(colour)) + std::abs(GetGValue(pixel) - GetGValue(colour)) +
                    std::abs(GetBValue(pixel) - GetBValue(colour)) <= 6)
                return true;
        return false;
    };
    SIZE size{};
    const std::vector<COLORREF> pixels = ClientPixels(window, size);
    size_t outside = 0;
    for (long y = 0; y < size.cy; ++y)
        for (long x = 0; x < size.cx; ++x) {
            const COLORREF pixel = pixels[y * size.cx + x];
            if (SystemColourOrBlend(pixel, system)) continue;
            bool besideSystemColour = false;
            for (long nx = std::max(0L, x - 2); nx <= std::min(size.cx - 1, x + 2) && !besideSystemColour; ++nx)
                besideSystemColour = nx != x && exact(pixels[y * size.cx + nx]);
            outside += !besideSystemColour;
        }
    return outside;
}

// Saves the window as <name>.bmp in the folder KORIMO_SCREENSHOTS names (scripts/screenshot.sh sets it).
inline void SaveScreenshot(HWND window, const std::wstring& name) {
    const char* folder = std::getenv("KORIMO_SCREENSHOTS");
    if (!folder) return;
    SIZE size{};
    const std::vector<COLORREF> pixels = ClientPixels(window, size);
    BITMAPINFOHEADER header{sizeof(header), size.cx, -size.cy, 1, 32, BI_RGB};
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(header)};
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
    std::ofstream out(std::string(folder) + "\\" + std::string(name.begin(), name.end()) + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    for (COLORREF pixel : pixels) {
        const RGBQUAD quad{GetBValue(pixel), GetGValue(pixel), GetRValue(pixel), 0};
        out.write(reinterpret_cast<const char*>(&quad), sizeof(quad));
    }
}

} // namespace korimo::test
