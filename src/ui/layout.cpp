#include "ui/layout.h"

#include <cstdint>

namespace korimo::ui {

int TwipsToPixels(int twips, int dpi) {
    const std::int64_t product = static_cast<std::int64_t>(twips) * dpi;
    const std::int64_t half = 720;
    return static_cast<int>(product >= 0 ? (product + half) / 1440 : (product - half) / 1440);
}

PixelRect TwipsToPixels(int left, int top, int width, int height, int dpi) {
    const int l = TwipsToPixels(left, dpi);
    const int t = TwipsToPixels(top, dpi);
    return {l, t, TwipsToPixels(left + width, dpi) - l, TwipsToPixels(top + height, dpi) - t};
}

PixelRect ControlRect(const ControlSpec& entry, int dpi) {
    return TwipsToPixels(entry.left, entry.top, entry.width, entry.height, dpi);
}

PixelPoint DockedPanelOrigin(const PixelRect& mainWindow) { return {mainWindow.left, mainWindow.bottom()}; }

PixelPoint CentredOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
    return {screenWidth / 2 - windowWidth / 2, screenHeight / 2 - windowHeight / 2};
}

PixelPoint BottomCentreOrigin(const PixelRect& area, int windowWidth, int windowHeight, int bottomMargin) {
    return {area.left + area.width / 2 - windowWidth / 2, area.bottom() - windowHeight - bottomMargin};
}

namespace {
int Inside(int start, int length, int areaStart, int areaLength) {
    if (length >= areaLength || start < areaStart) return areaStart;
    return start + length > areaStart + areaLength ? areaStart + areaLength - length : start;
}
} // namespace

PixelPoint BroughtInside(const PixelRect& area, const PixelRect& window) {
    return {Inside(window.left, window.width, area.left, area.width),
            Inside(window.top, window.height, area.top, area.height)};
}

int RescaledPixels(int pixels, int fromDpi, int toDpi) {
    if (fromDpi <= 0) return pixels;
    const std::int64_t product = static_cast<std::int64_t>(pixels) * toDpi;
    const std::int64_t half = fromDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / fromDpi : (product - half) / fromDpi);
}

const ControlSpec* FindControl(std::span<const ControlSpec> table, std::wstring_view name) {
    for (const ControlSpec& entry : table)
        if (entry.name == name) return &entry;
    return nullptr;
}

const ControlSpec* FindControl(std::span<const ControlSpec> table, int id) {
    for (const ControlSpec& entry : table)
        if (entry.id == id && id != 0) return &entry;
    return nullptr;
}

} // namespace korimo::ui
