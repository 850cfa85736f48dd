#include "ui/gdi.h"

#include <algorithm>
#include <string>

#include "ui/contrast.h"

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
    const COLORREF accent = FaceColour(RGB(0x2F, 0x80, 0xD1), COLOR_HIGHLIGHT);
    FillRounded(dc, rc, 6, FaceColour(pressed ? RGB(0xDC, 0xE8, 0xF5) : RGB(0xFF, 0xFF, 0xFF), COLOR_BTNFACE),
                FaceColour(RGB(0x8F, 0xA9, 0xC7), COLOR_BTNTEXT));

    // The picture: a short accent strip above the caption, the same on every button.
    const int height = rc.bottom - rc.top;
    const int stripHeight = std::max(2, height / 9);
    RECT strip{rc.left + (rc.right - rc.left) / 4, rc.top + height / 7, rc.right - (rc.right - rc.left) / 4, 0};
    strip.bottom = strip.top + stripHeight;
    FillVerticalGradient(dc, strip, accent, FaceColour(RGB(0x1F, 0x4E, 0x8C), COLOR_HIGHLIGHT));

    wchar_t caption[64]{};
    GetWindowTextW(item.hwndItem, caption, 64);
    RECT textRect{rc.left, strip.bottom, rc.right, rc.bottom};
    if (pressed) OffsetRect(&textRect, 1, 1);
    DrawTextIn(dc, caption, textRect, font,
               disabled ? GetSysColor(COLOR_GRAYTEXT) : FaceColour(RGB(0x1F, 0x3A, 0x5F), COLOR_BTNTEXT),
               DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    // The keyboard focus, while the keyboard cues are on: a ring in the accent colour that reads at a glance,
    // and the system's dotted rectangle inside it.
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        const int ring = std::max(2, height / 16);
        RECT outer = rc;
        InflateRect(&outer, -1, -1);
        GdiObject<HPEN> pen(CreatePen(PS_INSIDEFRAME, ring, accent));
        SelectIn usePen(dc, pen.Get());
        SelectIn noFill(dc, GetStockObject(NULL_BRUSH));
        RoundRect(dc, outer.left, outer.top, outer.right, outer.bottom, 6, 6);
        RECT focus = rc;
        InflateRect(&focus, -(ring + 2), -(ring + 2));
        SetTextColor(dc, FaceColour(RGB(0x1F, 0x3A, 0x5F), COLOR_BTNTEXT));
        SetBkColor(dc, FaceColour(RGB(0xFF, 0xFF, 0xFF), COLOR_BTNFACE));
        DrawFocusRect(dc, &focus);
    }
}

} // namespace korimo::ui

namespace korimo::ui {

void DrawShieldEmblem(HDC dc, const RECT& box) {
    const int w = box.right - box.left, h = box.bottom - box.top;
    auto at = [&](int px, int py) { return POINT{box.left + w * px / 100, box.top + h * py / 100}; };
    const POINT outline[] = {at(50, 0), at(96, 14), at(92, 56), at(50, 100), at(8, 56), at(4, 14)};
    {
        const Region shape(CreatePolygonRgn(outline, 6, WINDING));
        SelectClipRgn(dc, shape.Get());
        FillVerticalGradient(dc, box, FaceColour(RGB(0x3A, 0x8E, 0xE0), COLOR_HIGHLIGHT),
                             FaceColour(RGB(0x1F, 0x4E, 0x8C), COLOR_HIGHLIGHT));
        SelectClipRgn(dc, nullptr);
    }

    const int thickness = std::max(2, w / 14);
    GdiObject<HPEN> rim(CreatePen(PS_SOLID, std::max(1, thickness / 3), FaceColour(RGB(0xBF, 0xDB, 0xF7), COLOR_WINDOWTEXT)));
    {
        SelectIn usePen(dc, rim.Get());
        SelectIn noFill(dc, GetStockObject(NULL_BRUSH));
        Polygon(dc, outline, 6);
    }
    // The eye of the icon: a white lens (two overlapping circles), a blue iris, a dark pupil.
    Brush white(CreateSolidBrush(FaceColour(RGB(0xFF, 0xFF, 0xFF), COLOR_WINDOW)));
    Brush iris(CreateSolidBrush(FaceColour(RGB(0x1F, 0x4E, 0x8C), COLOR_HIGHLIGHT)));
    Brush pupil(CreateSolidBrush(FaceColour(RGB(0x0E, 0x24, 0x45), COLOR_WINDOWTEXT)));
    const int lensRadius = w * 40 / 100;
    const POINT lensCentre = at(50, 42);
    const int offset = lensRadius * 3 / 5;
    {
        const Region upper(CreateEllipticRgn(lensCentre.x - lensRadius, lensCentre.y + offset - lensRadius,
                                             lensCentre.x + lensRadius, lensCentre.y + offset + lensRadius));
        const Region lower(CreateEllipticRgn(lensCentre.x - lensRadius, lensCentre.y - offset - lensRadius,
                                             lensCentre.x + lensRadius, lensCentre.y - offset + lensRadius));
        CombineRgn(upper.Get(), upper.Get(), lower.Get(), RGN_AND);
        FillRgn(dc, upper.Get(), white.Get());
    }
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
