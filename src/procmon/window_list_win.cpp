#include "procmon/window_list_win.h"

#include <psapi.h>

#include <unordered_set>

#include "procmon/process_report.h"
#include "ui/handle.h"

namespace korimo::procmon {

namespace {

std::wstring MainModulePath(DWORD processId) {
    ui::Handle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process.Get()) return {};
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!EnumProcessModules(process.Get(), &module, sizeof(module), &needed) || !module) return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameExW(process.Get(), module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size() - 1) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring ImagePathLimited(DWORD processId) {
    ui::Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process.Get()) return {};
    std::wstring path(32768, L'\0');
    DWORD length = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process.Get(), 0, path.data(), &length)) return {};
    path.resize(length);
    return path;
}

// One call for the usual title; a title that fills the buffer is read again whole.
std::wstring TitleOf(HWND window) {
    wchar_t buffer[256];
    const int length = GetWindowTextW(window, buffer, 256);
    if (length < 255) return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    std::wstring title(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    title.resize(static_cast<size_t>(GetWindowTextW(window, title.data(), static_cast<int>(title.size()))));
    return title;
}

// Korimo's own top-level windows, found once per walk rather than by asking the owner of every window.
std::unordered_set<HWND> OwnWindows() {
    std::unordered_set<HWND> own;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM set) -> BOOL {
            reinterpret_cast<std::unordered_set<HWND>*>(set)->insert(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&own));
    return own;
}
} // namespace

std::vector<WindowEntry> GetOpenWindowNames() {
    std::vector<WindowEntry> windows;
    const std::unordered_set<HWND> own = OwnWindows();
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
        std::wstring title = TitleOf(window);
        if (!title.empty())
            windows.push_back({std::move(title), reinterpret_cast<std::uintptr_t>(window), own.count(window) != 0});
    }
    return windows;
}

ProcessInfo LookUpWindow(HWND window) {
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId)) return {0, kUnknownPath};
    return {processId, GetProcessPathByProcessID(processId)};
}

std::wstring GetProcessPathByProcessID(DWORD processId) {
    std::wstring path = MainModulePath(processId);
    if (path.empty()) path = ImagePathLimited(processId);
    return path.empty() ? kUnknownPath : path;
}

} // namespace korimo::procmon
