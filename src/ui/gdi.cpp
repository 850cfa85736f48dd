#include "ui/gdi.h"

#include <algorithm>
#include <string>

namespace korimo::ui {

RECT Scale::Rect(int left, int top, int width, int height) const {
    const PixelRect r = TwipsToPixels(left, top, width, height, dpi);
    return {r.left, r.top, r.right(), r.bottom()};
}

Font CreateUiFont(int dpi, int points, bool bold) {
    return Font(CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                            GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                            DEFAULT_PITCH | FF_SWISS, L"Microsoft YaHei"));
}

namespace {
BYTE Blend(BYTE from, BYTE to, int step, int steps) { return static_cast<BYTE>(from + (to - from) * step / steps); }

COLORREF Mix(COLORREF a, COLORREF b, int step, int steps) {
    return RGB(Blend(GetRValue(a), GetRValue(b), step, steps), Blend(GetGValue(a), GetGValue(b), step, steps),
               Blend(GetBValue(a), GetBValue(b), step, steps));
}
} // namespace

void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom) {
    const int rows = std::max<int>(1, rect.bottom - rect.top);
    for (int row = 0; row < rows; ++row) {
        Brush brush(CreateSolidBrush(Mix(top, bottom, row, rows)));
        RECT line{rect.left, rect.top + row, rect.right, rect.top + row + 1};
        FillRect(dc, &line, brush.Get());
    }
}

void FillRounded(HDC dc, const RECT& rect, int radius, COLORREF fill, COLORREF border) {
    Brush brush(CreateSolidBrush(fill));
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, border));
    SelectIn useBrush(dc, brush.Get());
    SelectIn usePen(dc, pen.Get());
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, radius, radius);
}

void DrawTextIn(HDC dc, std::wstring_view text, RECT rect, HFONT font, COLORREF colour, UINT format) {
    SelectIn useFont(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    std::wstring copy(text);
    DrawTextW(dc, copy.c_str(), static_cast<int>(copy.size()), &rect, format | DT_NOPREFIX);
}

namespace {
void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

RECT MarkBox(const RECT& area) {
    const int size = std::min(area.right - area.left, area.bottom - area.top) * 5 / 9;
    const int cx = (area.left + area.right) / 2, cy = (area.top + area.bottom) / 2;
    return {cx - size / 2, cy - size / 2, cx - size / 2 + size, cy - size / 2 + size};
}
} // namespace

void DrawCloseMark(HDC dc, const RECT& area, COLORREF colour, int thickness) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, thickness, colour));
    SelectIn usePen(dc, pen.Get());
    const RECT box = MarkBox(area);
    Line(dc, box.left, box.top, box.right, box.bottom);
    Line(dc, box.left, box.bottom, box.right, box.top);
}

void DrawMinimiseMark(HDC dc, const RECT& area, COLORREF colour, int thickness) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, thickness, colour));
    SelectIn usePen(dc, pen.Get());
    const RECT box = MarkBox(area);
    const int y = (box.top + box.bottom) / 2;
    Line(dc, box.left, y, box.right, y);
}

void DrawPictureButton(const DRAWITEMSTRUCT& item, HFONT font) {
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool disabled = item.itemState & ODS_DISABLED;
    FillRounded(dc, rc, 6, pressed ? RGB(0xDC, 0xE8, 0xF5) : RGB(0xFF, 0xFF, 0xFF), RGB(0x8F, 0xA9, 0xC7));

    // The picture: a short accent strip above the caption, the same on every button.
    const int height = rc.bottom - rc.top;
    const int stripHeight = std::max(2, height / 9);
    RECT strip{rc.left + (rc.right - rc.left) / 4, rc.top + height / 7, rc.right - (rc.right - rc.left) / 4, 0};
    strip.bottom = strip.top + stripHeight;
    FillVerticalGradient(dc, strip, RGB(0x2F, 0x80, 0xD1), RGB(0x1F, 0x4E, 0x8C));

    wchar_t caption[64]{};
    GetWindowTextW(item.hwndItem, caption, 64);
    RECT textRect{rc.left, strip.bottom, rc.right, rc.bottom};
    if (pressed) OffsetRect(&textRect, 1, 1);
    DrawTextIn(dc, caption, textRect, font, disabled ? GetSysColor(COLOR_GRAYTEXT) : RGB(0x1F, 0x3A, 0x5F),
               DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = rc;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

} // namespace korimo::ui

namespace korimo::ui {

void DrawShieldEmblem(HDC dc, const RECT& box) {
    const int w = box.right - box.left, h = box.bottom - box.top;
    auto at = [&](int px, int py) { return POINT{box.left + w * px / 100, box.top + h * py / 100}; };
    const POINT outline[] = {at(50, 0), at(96, 14), at(92, 56), at(50, 100), at(8, 56), at(4, 14)};
    HRGN shape = CreatePolygonRgn(outline, 6, WINDING);
    SelectClipRgn(dc, shape);
    FillVerticalGradient(dc, box, RGB(0x3A, 0x8E, 0xE0), RGB(0x1F, 0x4E, 0x8C));
    SelectClipRgn(dc, nullptr);
    DeleteObject(shape);

    const int thickness = std::max(2, w / 14);
    GdiObject<HPEN> rim(CreatePen(PS_SOLID, std::max(1, thickness / 3), RGB(0xBF, 0xDB, 0xF7)));
    {
        SelectIn usePen(dc, rim.Get());
        SelectIn noFill(dc, GetStockObject(NULL_BRUSH));
        Polygon(dc, outline, 6);
    }
    // The eye of the icon: a white lens (two overlapping circles), a blue iris, a dark pupil.
    Brush white(CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF)));
    Brush iris(CreateSolidBrush(RGB(0x1F, 0x4E, 0x8C)));
    Brush pupil(CreateSolidBrush(RGB(0x0E, 0x24, 0x45)));
    const int lensRadius = w * 40 / 100;
    const POINT lensCentre = at(50, 42);
    const int offset = lensRadius * 3 / 5;
    HRGN upper = CreateEllipticRgn(lensCentre.x - lensRadius, lensCentre.y + offset - lensRadius,
                                   lensCentre.x + lensRadius, lensCentre.y + offset + lensRadius);
    HRGN lower = CreateEllipticRgn(lensCentre.x - lensRadius, lensCentre.y - offset - lensRadius,
                                   lensCentre.x + lensRadius, lensCentre.y - offset + lensRadius);
    CombineRgn(upper, upper, lower, RGN_AND);
    FillRgn(dc, upper, white.Get());
    DeleteObject(upper);
    DeleteObject(lower);
    SelectIn noPen(dc, GetStockObject(NULL_PEN));
    const POINT centre = at(50, 42);
    const int r = w * 13 / 100, p = w * 6 / 100;
    {
        SelectIn useBrush(dc, iris.Get());
        Ellipse(dc, centre.x - r, centre.y - r, centre.x + r, centre.y + r);
    }
    SelectIn useBrush(dc, pupil.Get());
    Ellipse(dc, centre.x - p, centre.y - p, centre.x + p, centre.y + p);
}

} // namespace korimo::ui
