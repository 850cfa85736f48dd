// Small RAII holders for GDI objects and the drawing helpers that every face uses.
#pragma once

#include <windows.h>

#include <string_view>
#include <utility>

#include "ui/handle.h"
#include "ui/layout.h"

namespace korimo::ui {

template <class Object> using GdiObject = Owned<Object, &DeleteObject>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;
using Region = GdiObject<HRGN>;
// A memory device context, made compatible with another.
using MemoryDc = Owned<HDC, &DeleteDC>;

// A window's device context (the screen's for no window), released when it goes.
class WindowDc {
public:
    explicit WindowDc(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The device context of one WM_PAINT, from BeginPaint to EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    HDC Get() const { return dc_; }
    const RECT& Area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Selects an object into a DC for one scope.
class SelectIn {
public:
    SelectIn(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectIn() { SelectObject(dc_, old_); }
    SelectIn(const SelectIn&) = delete;
    SelectIn& operator=(const SelectIn&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Twips to pixels at one DPI, for drawing code that places things in the window's own twip grid.
struct Scale {
    int dpi;
    int operator()(int twips) const { return TwipsToPixels(twips, dpi); }
    RECT Rect(int left, int top, int width, int height) const;
};

// The program's interface font (Microsoft YaHei on Windows; Wine picks its Chinese font by the charset).
Font CreateUiFont(int dpi, int points, bool bold = false);

void FillVerticalGradient(HDC dc, const RECT& rect, COLORREF top, COLORREF bottom);
void FillRounded(HDC dc, const RECT& rect, int radius, COLORREF fill, COLORREF border);
void DrawTextIn(HDC dc, std::wstring_view text, RECT rect, HFONT font, COLORREF colour, UINT format);
void DrawCloseMark(HDC dc, const RECT& area, COLORREF colour, int thickness);
void DrawMinimiseMark(HDC dc, const RECT& area, COLORREF colour, int thickness);

// A button "with picture": white face, a small picture strip above the caption, pressed and focus states.
void DrawPictureButton(const DRAWITEMSTRUCT& item, HFONT font);

} // namespace korimo::ui

namespace korimo::ui {
// The program's emblem (the shield of the icon with its check mark), drawn to fit a box.
void DrawShieldEmblem(HDC dc, const RECT& box);
} // namespace korimo::ui
