#include "app/frm_maker.h"

#include <utility>

#include "korimo_version.h"
#include "ui/layout.h"

namespace korimo::app {

namespace {
constexpr int kWidthTwips = 9600;
constexpr int kHeightTwips = 7200;

// Shape1(0..7): outlines over the upper right of the picture, decoration only.
struct ShapeSpec {
    bool round;
    int left, top, size;
    COLORREF colour;
};
constexpr ShapeSpec kShapes[8] = {
    {true, 6600, 360, 1800, RGB(0x3A, 0x8E, 0xE0)},  {true, 7560, 1080, 1320, RGB(0x5F, 0xA8, 0xEE)},
    {false, 8160, 480, 720, RGB(0x8C, 0xC4, 0xF5)},  {true, 6240, 1560, 600, RGB(0xBF, 0xDB, 0xF7)},
    {false, 7080, 2280, 480, RGB(0x3A, 0x8E, 0xE0)}, {true, 8520, 2040, 360, RGB(0xFF, 0xFF, 0xFF)},
    {false, 5880, 600, 300, RGB(0x5F, 0xA8, 0xEE)},  {true, 8880, 240, 240, RGB(0xBF, 0xDB, 0xF7)},
};

struct CreditLine {
    int top;
    const wchar_t* text;
    bool strong;
};
constexpr CreditLine kCredits[] = {
    {2520, L"桌面进程与文件监视", true},
    {3120, L"进程监视 · 文件监视 · 事件日志 · 托盘提示", false},
    {4080, L"设计与编写：Velmora", false},
    {4560, L"版本 " KORIMO_VERSION_WIDE, false},
    {5040, L"感谢你使用 Korimo", false},
    {6480, L"单击任意处关闭", false},
};
} // namespace

bool frm_maker::Show(int dpi) {
    if (!IsLoaded()) {
        // No title: opening the box must not make the process monitor report Korimo as a started program.
        if (!CreateFaced({L"Korimo.frm_maker"}, L"", kWidthTwips, kHeightTwips, dpi)) return false;
        MakeFonts();
        const ui::PixelRect own = ScreenRect();
        const ui::PixelPoint origin =
            ui::CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), own.width, own.height);
        MoveTo(origin.x, origin.y);
    }
    ShowWindow(Hwnd(), SW_SHOW);
    return true;
}

void frm_maker::MakeFonts() {
    titleFont_ = ui::CreateUiFont(Dpi(), 28, true);
    lineFont_ = ui::CreateUiFont(Dpi(), 11);
}

LRESULT frm_maker::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The box opens under the pointer that clicked the credit label; the release of that click lands here and
    // must not put the box away again. Only a press and release on the box itself is a click on it.
    switch (msg) {
    case WM_LBUTTONDOWN:
        pressed_ = true;
        return 0;
    case WM_LBUTTONUP:
        if (std::exchange(pressed_, false)) Hide();
        return 0;
    case WM_CAPTURECHANGED:
    case WM_SHOWWINDOW:
        pressed_ = false;
        break;
    default:
        break;
    }
    return ui::FaceWindow::HandleMessage(msg, wParam, lParam);
}

void frm_maker::PaintShapes(HDC dc, const ui::Scale& s) {
    for (const ShapeSpec& shape : kShapes) {
        ui::GdiObject<HPEN> pen(CreatePen(PS_SOLID, s(30) > 1 ? s(30) : 2, ui::FaceColour(shape.colour, COLOR_HIGHLIGHT)));
        ui::SelectIn usePen(dc, pen.Get());
        ui::SelectIn noFill(dc, GetStockObject(NULL_BRUSH));
        const RECT r = s.Rect(shape.left, shape.top, shape.size, shape.size);
        if (shape.round)
            Ellipse(dc, r.left, r.top, r.right, r.bottom);
        else
            RoundRect(dc, r.left, r.top, r.right, r.bottom, s(120), s(120));
    }
}

void frm_maker::PaintFace(HDC dc, const ui::Scale& s, SIZE client) {
    ui::FillVerticalGradient(dc, RECT{0, 0, client.cx, client.cy}, ui::FaceColour(RGB(0x10, 0x28, 0x4A), COLOR_WINDOW),
                             ui::FaceColour(RGB(0x23, 0x5F, 0xA3), COLOR_WINDOW));
    PaintShapes(dc, s);
    ui::DrawShieldEmblem(dc, s.Rect(600, 600, 1200, 1400));
    ui::DrawTextIn(dc, L"Korimo", s.Rect(2040, 780, 4800, 900), titleFont_.Get(), ui::FaceColour(RGB(0xFF, 0xFF, 0xFF), COLOR_WINDOWTEXT),
                   DT_LEFT | DT_SINGLELINE);
    for (const CreditLine& line : kCredits) {
        const COLORREF colour =
            ui::FaceColour(line.strong ? RGB(0xFF, 0xFF, 0xFF) : RGB(0xC4, 0xDA, 0xF2), COLOR_WINDOWTEXT);
        ui::DrawTextIn(dc, line.text, s.Rect(600, line.top, 8400, 420), lineFont_.Get(), colour,
                       DT_LEFT | DT_SINGLELINE);
    }
}

} // namespace korimo::app
