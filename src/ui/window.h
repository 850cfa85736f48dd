// Base of every window of the program: the static window procedure finds the C++ object (stored at
// WM_NCCREATE) and hands the message to its HandleMessage, which routes it to OnXxx handlers.
#pragma once

#include <windows.h>

#include <string>

#include "ui/bindings.h"
#include "ui/layout.h"

namespace korimo::ui {

struct WindowClassInfo {
    const wchar_t* className;
    UINT style = 0;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Hwnd() const { return hwnd_; }
    bool IsLoaded() const { return hwnd_ != nullptr; }
    bool IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

    PixelRect ScreenRect() const;
    void MoveTo(int x, int y);
    void Hide();

protected:
    // Registers the class on first use and creates the window; returns false when the system refuses.
    bool CreateWindowOf(const WindowClassInfo& cls, const std::wstring& title, DWORD style, DWORD exStyle,
                        const PixelRect& rect, HWND owner = nullptr);
    void Destroy();

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The messages every window decodes the same way, routed by HandleMessage here: WM_COMMAND runs every
    // binding of Commands() that matches, in order, and WM_TIMER the binding of its id. A window keeps its own
    // HandleMessage for what is its alone.
    virtual std::span<const CommandBinding> Commands() const { return {}; }
    virtual std::span<const TimerBinding> Timers() const { return {}; }
    // WM_CLOSE, whoever sends it (Alt+F4, another program, a polite taskkill): the window hides, as "收缩"
    // would. It never reaches DefWindowProc, so nothing but the program's own close sequence destroys a window.
    virtual void OnClose() { Hide(); }
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd_, msg, wParam, lParam); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    HWND hwnd_ = nullptr;
};

// The monitor a window lies on (the nearest when it lies on none); the primary monitor for no window.
HMONITOR MonitorOf(HWND window);
// Dots per inch of a monitor as a per-monitor aware program sees it (96 at 100 %, 144 at 150 %).
int MonitorDpi(HMONITOR monitor);
// A system metric (an icon's size) as it is at that DPI.
int SystemMetricForDpi(int metric, int dpi);
// The part of a monitor that windows may use: the screen less the taskbar.
PixelRect WorkAreaOf(HMONITOR monitor);

// The instance of the module that holds our resources and window classes.
HINSTANCE ModuleInstance();
// The full path of the running program, however long.
std::wstring ModulePath();

} // namespace korimo::ui
