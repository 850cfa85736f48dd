#include "filemon/shell_win.h"

#include <shellapi.h>

#include <vector>

#include "filemon/file_events.h"

namespace korimo::filemon {

namespace {
constexpr wchar_t kOldWndProc[] = L"OldWndProc";
constexpr wchar_t kSink[] = L"Korimo.NotificationSink";

// The properties are the record of the hook; this copy of them spares the window procedure two lookups per
// message (each a round trip to the window server under Wine), which in a flood of notifications is most of
// what a switched-off event costs. It is kept with the properties: set when they are set, cleared with them.
struct HookedWindow {
    HWND window = nullptr;
    WNDPROC previous = nullptr;
    NotificationSink* sink = nullptr;
} g_hooked;

HookedWindow Hooked(HWND window) {
    if (window == g_hooked.window) return g_hooked;
    return {window, reinterpret_cast<WNDPROC>(GetPropW(window, kOldWndProc)),
            static_cast<NotificationSink*>(GetPropW(window, kSink))};
}

LRESULT CALLBACK NotifyWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    const HookedWindow hooked = Hooked(window);
    const WNDPROC previous = hooked.previous;
    if (msg == WM_NCDESTROY) {
        UnsubclassWindow(window);
        // "Unubclassed" is the text Korimo has always shown here; it is meant as it stands.
        MessageBoxW(nullptr, (L"Unubclassed " + HexHandle(window)).c_str(), L"WndProc Error", MB_OK | MB_ICONERROR);
    } else if (msg == WM_CHANGE_NOTIFY) {
        if (hooked.sink) hooked.sink->NotificationReceipt(wParam, lParam);
    }
    return previous ? CallWindowProcW(previous, window, msg, wParam, lParam) : DefWindowProcW(window, msg, wParam, lParam);
}
} // namespace

ItemIdList GetSpecialFolderPidl(HWND owner, int folder) {
    ItemIdList item;
    if (SHGetSpecialFolderLocation(owner, folder, item.Receive()) != S_OK) item.Reset();
    return item;
}

std::wstring GetDisplayNameFromPidl(LPCITEMIDLIST item) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof(info), SHGFI_PIDL | SHGFI_DISPLAYNAME))
        return {};
    return StripNull(std::wstring_view(info.szDisplayName, MAX_PATH));
}

std::wstring GetPathFromPidl(LPCITEMIDLIST item) {
    wchar_t usual[MAX_PATH]{}; // most paths fit; a long one is asked again with room for any path
    if (SHGetPathFromIDListEx(item, usual, MAX_PATH, GPFIDL_DEFAULT)) return StripNull(std::wstring_view(usual, MAX_PATH));
    std::vector<wchar_t> path(32768, L'\0');
    if (!SHGetPathFromIDListEx(item, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) return {};
    return StripNull(std::wstring_view(path.data(), path.size()));
}

bool ShellRegistration::RegisterShellNotify(HWND window) {
    if (id_ != 0) return false;
    watched_ = GetSpecialFolderPidl(nullptr, CSIDL_DESKTOP);
    if (!watched_) return false;
    SHChangeNotifyEntry entry{watched_.Get(), TRUE};
    id_ = SHChangeNotifyRegister(window, 0x00FF, static_cast<LONG>(0xFFFFFFFF), WM_CHANGE_NOTIFY, 1, &entry);
    if (id_ == 0) watched_.Reset(); // refused: the desktop item is of no further use
    return id_ != 0;
}

bool ShellRegistration::UnregisterShellNotify() {
    if (id_ == 0) return false;
    if (!SHChangeNotifyDeregister(id_)) return false;
    id_ = 0;
    watched_.Reset();
    return true;
}

std::wstring HexHandle(HWND window) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    auto value = reinterpret_cast<std::uintptr_t>(window);
    std::wstring hex;
    do {
        hex.insert(hex.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    return L"&H" + hex;
}

bool SubclassWindow(HWND window, NotificationSink& sink) {
    if (!GetPropW(window, kOldWndProc)) {
        const LONG_PTR previous = SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NotifyWndProc));
        if (previous) {
            if (SetPropW(window, kOldWndProc, reinterpret_cast<HANDLE>(previous)) &&
                SetPropW(window, kSink, &sink)) {
                g_hooked = {window, reinterpret_cast<WNDPROC>(previous), &sink};
                return true;
            }
            RemovePropW(window, kOldWndProc);
            SetWindowLongPtrW(window, GWLP_WNDPROC, previous); // leave the window as it was
        }
    }
    MessageBoxW(nullptr, (L"Unable to successfully subclass " + HexHandle(window)).c_str(), L"Korimo",
                MB_OK | MB_ICONERROR);
    return false;
}

bool UnsubclassWindow(HWND window) {
    const HANDLE previous = GetPropW(window, kOldWndProc);
    if (!previous) return false;
    if (!RemovePropW(window, kOldWndProc)) return false;
    RemovePropW(window, kSink);
    if (g_hooked.window == window) g_hooked = {};
    return SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous)) != 0;
}

} // namespace korimo::filemon
