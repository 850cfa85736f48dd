// Small RAII holders for GDI objects and the drawing helpers that every face uses.
#pragma once

#include <windows.h>

#include <string_view>
#include <utility>

#include "ui/layout.h"

namespace korimo::ui {

template <class Handle> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle handle) : handle_(handle) {}
    GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    ~GdiObject() { Reset(); }
    void Reset(Handle handle = nullptr) {
        if (handle_) DeleteObject(handle_);
        handle_ = handle;
    }
    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    Handle handle_ = nullptr;
};

using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Bitmap = GdiObject<HBITMAP>;

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
