#include "desktop.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <cstdlib>

namespace korimo::test {

namespace {
BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// SendInput's absolute coordinates run from 0 to 65535 across the primary screen. With swapped buttons the
// logical left button is the physical right one.
void SendMouse(DWORD flags, POINT screen) {
    if (GetSystemMetrics(SM_SWAPBUTTON)) {
        if (flags == MOUSEEVENTF_LEFTDOWN || flags == MOUSEEVENTF_LEFTUP) flags <<= 2;
        else if (flags == MOUSEEVENTF_RIGHTDOWN || flags == MOUSEEVENTF_RIGHTUP) flags >>= 2;
    }
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof(input));
    Sleep(30);
}

void ClickAt(POINT screen, DWORD down, DWORD up) {
    MoveMouseTo(screen);
    SendMouse(down, screen);
    SendMouse(up, screen);
}
} // namespace

std::vector<HWND> AllTopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(parent, &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly) {
    std::vector<HWND> found;
    for (HWND window : AllTopLevelWindows())
        if (ProcessOf(window) == processId && (!visibleOnly || IsWindowVisible(window))) found.push_back(window);
    return found;
}

HWND FindTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title) {
    for (HWND window : TopLevelWindows(processId, false))
        if (lstrcmpiW(ClassName(window).c_str(), className) == 0 && (!title || WindowText(window) == title))
            return window;
    return nullptr;
}

HWND FindShownWindow(const wchar_t* className, const wchar_t* title) {
    for (HWND window : TopLevelWindows(GetCurrentProcessId(), true))
        if (lstrcmpiW(ClassName(window).c_str(), className) == 0 && (!title || WindowText(window) == title))
            return window;
    return nullptr;
}

HWND FindChildByText(HWND parent, const std::wstring& text) {
    for (HWND child : ChildWindows(parent))
        if (WindowText(child) == text) return child;
    return nullptr;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256]{};
    GetClassNameW(window, name, 256);
    return name;
}

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
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

bool MoveMouseTo(POINT screen) {
    SendMouse(0, screen);
    POINT now{}; // a press only once the pointer is really there: a click elsewhere would test nothing
    for (int tries = 0; tries < 100; ++tries, Sleep(10)) {
        GetCursorPos(&now);
        if (std::abs(now.x - screen.x) <= 1 && std::abs(now.y - screen.y) <= 1) return true;
    }
    return false;
}

void LeftClickAt(POINT screen) { ClickAt(screen, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }

void RightClickAt(POINT screen) { ClickAt(screen, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }

void PressKey(WORD key, bool alt, bool shift) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    if (alt) add(VK_MENU, false);
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    if (alt) add(VK_MENU, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Sleep(30);
}

HWND KeyboardFocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

void DragWithLeftButton(POINT from, POINT to) {
    MoveMouseTo(from);
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

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

} // namespace korimo::test
