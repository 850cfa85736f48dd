// A borderless window without a taskbar button whose client area is a face we draw ourselves. The face is
// painted once per size into a bitmap; child controls take their background from the same bitmap, so check
// boxes and labels sit on the face without a box of their own.
#pragma once

#include "ui/contrast.h"
#include "ui/gdi.h"
#include "ui/window.h"

namespace korimo::ui {

class FaceWindow : public Window {
public:
    int Dpi() const { return dpi_; }
    HFONT UiFont() const { return font_.Get(); }
    PixelRect ControlPixels(const ControlSpec& entry) const { return ControlRect(entry, dpi_); }

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
    void RepaintFace();
    // The theme changed what the face is drawn with (high contrast, system colours): the face is drawn anew.
    virtual void OnFaceColoursChanged() { RepaintFace(); }

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
