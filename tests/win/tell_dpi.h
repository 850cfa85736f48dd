// Tells a window of ours that its DPI changed, the way the system does: the new DPI and a suggested rectangle,
// the window's own scaled. Wine never sends it by itself.
#pragma once

#include <windows.h>

#include "../support/desktop.h"
#include "ui/layout.h"

namespace korimo::test {

inline void TellDpi(HWND window, int fromDpi, int toDpi) {
    const RECT now = WindowRectOf(window);
    RECT suggested{now.left, now.top, now.left + ui::RescaledPixels(now.right - now.left, fromDpi, toDpi),
                   now.top + ui::RescaledPixels(now.bottom - now.top, fromDpi, toDpi)};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(toDpi, toDpi), reinterpret_cast<LPARAM>(&suggested));
}

} // namespace korimo::test
