#include "ui/panel_window.h"

#include "ui/contrast.h"

namespace korimo::ui {

bool PanelWindow::Load(int dpi) {
    if (IsLoaded()) return true;
    const PanelInfo info = Info();
    if (!CreateFaced({info.className}, info.title, info.widthTwips, info.heightTwips, dpi)) return false;
    OnLoad();
    return true;
}

void PanelWindow::Unload(UnloadMode mode) {
    if (!IsLoaded()) return;
    OnUnload(mode);
    Destroy();
}

void PanelWindow::DockUnder(const PixelRect& mainWindow) {
    const PixelPoint origin = DockedPanelOrigin(mainWindow);
    MoveTo(origin.x, origin.y);
}

void PanelWindow::ShowDocked(const PixelRect& mainWindow) {
    if (!IsLoaded()) return;
    const PixelPoint origin = DockedPanelOrigin(mainWindow);
    const PixelRect own = ScreenRect();
    SetWindowPos(Hwnd(), nullptr, origin.x, origin.y, mainWindow.width, own.height, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(Hwnd(), SW_SHOWNA); // the keyboard stays where it was; F6 moves it into the panel
}

void PanelWindow::FollowMain(const PixelRect& mainWindow, int dpi) {
    if (!IsLoaded()) return;
    const PixelPoint origin = DockedPanelOrigin(mainWindow);
    const int height = dpi == Dpi() ? ScreenRect().height : TwipsToPixels(Info().heightTwips, dpi);
    const RECT rect{origin.x, origin.y, origin.x + mainWindow.width, origin.y + height};
    if (dpi != Dpi())
        ChangeDpi(dpi, rect);
    else // the system may have told the panel first, as it tells every window on a monitor whose scaling changed
        SetWindowPos(Hwnd(), nullptr, rect.left, rect.top, mainWindow.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PanelWindow::PaintFace(HDC dc, const Scale& scale, SIZE client) {
    FillVerticalGradient(dc, RECT{0, 0, client.cx, client.cy}, FaceColour(RGB(0xF6, 0xF9, 0xFC), COLOR_WINDOW),
                         FaceColour(RGB(0xE2, 0xEA, 0xF3), COLOR_WINDOW));
    const int edge = scale(30) > 0 ? scale(30) : 1;
    RECT top{0, 0, client.cx, edge};
    FillVerticalGradient(dc, top, FaceColour(RGB(0x2F, 0x80, 0xD1), COLOR_HIGHLIGHT),
                         FaceColour(RGB(0x1F, 0x4E, 0x8C), COLOR_HIGHLIGHT));
    Brush border(CreateSolidBrush(FaceColour(RGB(0x9D, 0xB3, 0xCC), COLOR_WINDOWTEXT)));
    RECT frame{0, 0, client.cx, client.cy};
    FrameRect(dc, &frame, border.Get());
}

} // namespace korimo::ui
