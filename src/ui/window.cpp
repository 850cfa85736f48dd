#include "ui/window.h"

#include <shellscalingapi.h>

#include "ui/accessible.h"
#include "ui/gdi.h"
#include "ui/messages.h"

namespace korimo::ui {

HMONITOR MonitorOf(HWND window) {
    if (window) return MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

namespace {
// A function of a system library that older Windows lacks (the per-monitor ones came with 8.1 and 10): the
// program still starts there and falls back to the screen's one DPI.
template <class Function> Function SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    if (!module) module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

int ScreenDpi() {
    const WindowDc screen;
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}
} // namespace

int MonitorDpi(HMONITOR monitor) {
    using ForMonitor = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);
    static const auto forMonitor = SystemFunction<ForMonitor>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (monitor && forMonitor && SUCCEEDED(forMonitor(monitor, MDT_EFFECTIVE_DPI, &x, &y)) && y > 0)
        return static_cast<int>(y);
    return ScreenDpi();
}

int SystemMetricForDpi(int metric, int dpi) {
    using ForDpi = int(WINAPI*)(int, UINT);
    static const auto forDpi = SystemFunction<ForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
    if (forDpi) return forDpi(metric, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(metric), dpi, ScreenDpi());
}

// The system's work area is the primary monitor's: where a monitor's own figure is larger (Wine keeps it at the
// full screen), the smaller one holds, so a taskbar is never covered.
PixelRect WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    RECT system{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &system, 0);
    RECT r = system;
    if (monitor && GetMonitorInfoW(monitor, &info)) {
        r = info.rcWork;
        if (info.dwFlags & MONITORINFOF_PRIMARY) IntersectRect(&r, &info.rcWork, &system);
    }
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2); // the name was cut: try a larger buffer
    }
}

Window::~Window() { Destroy(); }

PixelRect Window::ScreenRect() const {
    RECT rc{};
    if (hwnd_) GetWindowRect(hwnd_, &rc);
    return {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top};
}

void Window::MoveTo(int x, int y) {
    if (hwnd_) SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::Hide() {
    if (IsVisible()) ShowWindow(hwnd_, SW_HIDE);
}

bool Window::CreateWindowOf(const WindowClassInfo& cls, const std::wstring& title, DWORD style, DWORD exStyle,
                            const PixelRect& rect, HWND owner) {
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(ModuleInstance(), cls.className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.style = cls.style;
        wc.lpfnWndProc = &Window::WindowProc;
        wc.hInstance = ModuleInstance();
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hIcon = cls.icon;
        wc.hIconSm = cls.smallIcon;
        wc.lpszClassName = cls.className;
        if (!RegisterClassExW(&wc)) return false;
    }
    CreateWindowExW(exStyle, cls.className, title.c_str(), style, rect.left, rect.top, rect.width, rect.height,
                    owner, nullptr, ModuleInstance(), this);
    return hwnd_ != nullptr;
}

void Window::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_); // WM_NCDESTROY clears hwnd_
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        for (const CommandBinding& binding : Commands())
            if (binding.Matches(LOWORD(wParam), HIWORD(wParam))) binding.run(*this, LOWORD(wParam) - binding.first);
        return 0;
    case WM_TIMER:
        for (const TimerBinding& binding : Timers())
            if (binding.id == wParam) binding.run(*this);
        return 0;
    case WM_KORIMO_ASKED_ACTION:
        RunAskedActions();
        return 0;
    default:
        return Default(msg, wParam, lParam);
    }
}

// No exception may unwind through the system's code that called us: one that reaches here ends the program at
// once (noexcept), where it is, rather than leaving the system's state half-changed under a running program.
LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_CLOSE) {
        self->OnClose();
        return 0;
    }
    const LRESULT result = self->HandleMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

} // namespace korimo::ui
