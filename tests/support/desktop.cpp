#include "desktop.h"

#include <algorithm>
#include <cmath>

namespace korimo::test {

namespace {
struct Search {
    DWORD processId;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && (!search->visibleOnly || IsWindowVisible(window)))
        search->found.push_back(window);
    return TRUE;
}

struct ChildSearch {
    const std::wstring* text;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ChildSearch*>(context);
    if (WindowText(window) != *search->text) return TRUE;
    search->found = window;
    return FALSE;
}

void SendMouse(DWORD flags, POINT screen) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>(std::lround(screen.x * 65535.0 / (width - 1)));
    input.mi.dy = static_cast<LONG>(std::lround(screen.y * 65535.0 / (height - 1)));
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(input));
    Sleep(30);
}
} // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly) {
    Search search{processId, visibleOnly, {}};
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title) {
    for (HWND window : TopLevelWindows(processId, false)) {
        wchar_t cls[256]{};
        GetClassNameW(window, cls, 256);
        if (lstrcmpiW(cls, className) == 0 && (!title || WindowText(window) == title)) return window;
    }
    return nullptr;
}

HWND FindChildByText(HWND parent, const std::wstring& text) {
    ChildSearch search{&text, nullptr};
    EnumChildWindows(parent, &MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ControlText(HWND control) {
    const auto length = static_cast<size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<size_t>(
        SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

RECT WindowRectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

POINT CentreOf(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

void MoveMouseTo(POINT screen) { SendMouse(0, screen); }

void LeftClickAt(POINT screen) {
    SendMouse(0, screen);
    SendMouse(MOUSEEVENTF_LEFTDOWN, screen);
    SendMouse(MOUSEEVENTF_LEFTUP, screen);
}

void RightClickAt(POINT screen) {
    SendMouse(0, screen);
    SendMouse(MOUSEEVENTF_RIGHTDOWN, screen);
    SendMouse(MOUSEEVENTF_RIGHTUP, screen);
}

void DragWithLeftButton(POINT from, POINT to) {
    SendMouse(0, from);
    SendMouse(MOUSEEVENTF_LEFTDOWN, from);
    for (int step = 1; step <= 8; ++step)
        SendMouse(0, {from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8});
    Sleep(100);
    SendMouse(MOUSEEVENTF_LEFTUP, to);
}

void ClickWindow(HWND window) { LeftClickAt(CentreOf(WindowRectOf(window))); }

std::wstring RunValue() {
    wchar_t data[1024]{};
    DWORD size = sizeof(data);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"fy", RRF_RT_REG_SZ,
                     nullptr, data, &size) != ERROR_SUCCESS)
        return L"<missing>";
    return data;
}

bool WaitForExit(HANDLE process, DWORD timeoutMs) { return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0; }

std::wstring WindowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    std::wstring result = L"Z:" + path;
    std::replace(result.begin(), result.end(), L'/', L'\\');
    return result;
}

} // namespace korimo::test
