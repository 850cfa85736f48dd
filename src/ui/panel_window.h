// A monitor panel: a faced window of its own height that the main window docks under itself at its own width.
#pragma once

#include "ui/face_window.h"

namespace korimo::ui {

struct PanelInfo {
    const wchar_t* className;
    const wchar_t* title; // not shown (no title bar), but names the window to the system and to tests
    int widthTwips;
    int heightTwips;
};

// How a panel is unloaded: as the program closes, or while the system ends the session, when nothing may ask
// the user anything or hold the shutdown up.
enum class UnloadMode { Closing, SessionEnding };

class PanelWindow : public FaceWindow {
public:
    // Creates the panel hidden and runs its load step.
    bool Load(int dpi);
    // Ends the panel: its unload step, then the window goes.
    void Unload(UnloadMode mode = UnloadMode::Closing);

    // Moves the panel under the main window; its width is not touched.
    void DockUnder(const PixelRect& mainWindow);
    // Takes the main window's width, docks under it and shows.
    void ShowDocked(const PixelRect& mainWindow);
    // The main window's DPI changed to `dpi`: the panel is laid out at it and docked under the main window at
    // its width. At the DPI the panel has, it is only docked.
    void FollowMain(const PixelRect& mainWindow, int dpi);

protected:
    virtual PanelInfo Info() const = 0;
    virtual void OnLoad() {}
    virtual void OnUnload(UnloadMode) {}
    void PaintFace(HDC dc, const Scale& scale, SIZE client) override;
    void OnDisplayChanged() override {} // the main window docks its panels
};

} // namespace korimo::ui
