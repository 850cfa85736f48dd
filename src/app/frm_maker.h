// The about box: a drawn credits picture with decorative shapes; a click anywhere puts it away.
#pragma once

#include "ui/face_window.h"

namespace korimo::app {

class frm_maker final : public ui::FaceWindow {
public:
    // Loads the box on first use, centred on the screen; later shows keep the place it had.
    bool Show(int dpi);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PaintFace(HDC dc, const ui::Scale& scale, SIZE client) override;
    void RemakeFonts(int) override { MakeFonts(); }

private:
    void MakeFonts();
    void PaintShapes(HDC dc, const ui::Scale& s);

    bool pressed_ = false; // a click counts only when it started on the box
    ui::Font titleFont_;
    ui::Font lineFont_;
};

} // namespace korimo::app
