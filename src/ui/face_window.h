// A borderless window without a taskbar button whose client area is a face we draw ourselves. The face is
// painted once per size into a bitmap; child controls take their background from the same bitmap, so check
// boxes and labels sit on the face without a box of their own. Every pixel figure comes from the window's own
// DPI, and a change of it (the window moved to another monitor, the user changed the scaling) lays the window
// out afresh from its twips tables: fonts, controls and face.
#pragma once

#include <span>

#include "ui/contrast.h"
#include "ui/gdi.h"
#include "ui/window.h"

namespace korimo::ui {

class FaceWindow : public Window {
public:
    int Dpi() const { return dpi_; }
    HFONT UiFont() const { return font_.Get(); }
    PixelRect ControlPixels(const ControlSpec& entry) const { return ControlRect(entry, dpi_); }
    // The face as last drawn; null until the window has been painted at its current size and DPI.
    HBITMAP FaceBitmap() const { return face_.Get(); }

protected:
    // Creates the window hidden, its client area given in twips at the given DPI.
    bool CreateFaced(const WindowClassInfo& cls, const std::wstring& title, int widthTwips, int heightTwips, int dpi);
    HWND CreateControl(const ControlSpec& entry);
    HWND Control(int id) const { return GetDlgItem(Hwnd(), id); }

    // Draws the whole face for the current client size.
    virtual void PaintFace(HDC dc, const Scale& scale, SIZE client) = 0;
    virtual COLORREF ControlTextColour(HWND) const { return FaceColour(RGB(0x1F, 0x2A, 0x37), COLOR_WINDOWTEXT); }
    // A control that is not drawn on the face (an edit, a colour swatch) gives its own brush; null: the face.
    virtual HBRUSH OwnControlColour(HDC, HWND) { return nullptr; }
    // A label the window draws itself (SS_OWNERDRAW): the face is already under it; the window draws its text.
    virtual void DrawOwnLabel(const DRAWITEMSTRUCT&) {}
    void RepaintFace();
    // The theme changed what the face is drawn with (high contrast, system colours): the face is drawn anew.
    virtual void OnFaceColoursChanged() { RepaintFace(); }

    // The controls the window made from a table, for laying them out again at another DPI.
    virtual std::span<const ControlSpec> Controls() const { return {}; }
    // Takes a new DPI (WM_DPICHANGED, or the main window docking a panel): the window goes to `rect` (screen
    // pixels) and is laid out again. Nothing happens at the DPI it already has.
    void ChangeDpi(int dpi, const RECT& rect);
    // Lays the window out again at Dpi(): the interface font, every control of Controls() at its place (a text
    // view keeps the line at its top), the window's own fonts, the face.
    virtual void RelayOut(int oldDpi);
    // Makes the window's own fonts, and those of controls that have one of their own, for Dpi().
    virtual void RemakeFonts(int /*oldDpi*/) {}
    // A monitor went, or the resolution or the work area changed: a window that now lies on no monitor comes
    // back onto the nearest one.
    virtual void OnDisplayChanged();
    // Moves the window, as little as possible, so that it lies wholly inside `area`.
    void KeepInside(const PixelRect& area);

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    LRESULT OnControlColour(HDC dc, HWND control);
    void OnDrawItem(const DRAWITEMSTRUCT& item);
    void EnsureFace();
    void PressFocusedControl();

    int dpi_ = 96;
    SIZE faceSize_{};
    Bitmap face_;
    Brush faceBrush_;
    Font font_;
};

} // namespace korimo::ui
