#include "filemon/shell_win.h"

#include <shellapi.h>

#include <utility>
#include <vector>

#include "filemon/file_events.h"

namespace korimo::filemon {

namespace {
constexpr wchar_t kOldWndProc[] = L"OldWndProc";
// The hook, found by its window at every message: a round trip to the window server under Wine (about 16 us),
// the price of keeping the hook with the window that has it rather than in a variable of the whole program.
constexpr wchar_t kHook[] = L"Korimo.WindowHook";
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

namespace {
ULONG Register(HWND window, const ItemIdList& watched, std::uint32_t events) {
    SHChangeNotifyEntry entry{watched.Get(), TRUE};
    return SHChangeNotifyRegister(window, 0x00FF, static_cast<LONG>(events), WM_CHANGE_NOTIFY, 1, &entry);
}
} // namespace

bool ShellRegistration::RegisterShellNotify(HWND window, std::uint32_t events) {
    if (id_ != 0) return false;
    watched_ = GetSpecialFolderPidl(nullptr, CSIDL_DESKTOP);
    if (!watched_) return false;
    id_ = Register(window, watched_, events);
    if (id_ == 0) watched_.Reset(); // refused: the desktop item is of no further use
    window_ = window;
    events_ = events;
    return id_ != 0;
}

bool ShellRegistration::UnregisterShellNotify() {
    if (id_ == 0) return false;
    if (!SHChangeNotifyDeregister(id_)) return false;
    id_ = 0;
    watched_.Reset();
    return true;
}

bool ShellRegistration::ChangeEvents(std::uint32_t events) {
    if (id_ == 0 || events == events_) return id_ != 0;
    const ULONG replacement = Register(window_, watched_, events);
    if (replacement == 0) return false;
    SHChangeNotifyDeregister(std::exchange(id_, replacement));
    events_ = events;
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

LRESULT CALLBACK WindowHook::NotifyWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    auto* hook = static_cast<WindowHook*>(GetPropW(window, kHook));
    const WNDPROC previous = hook ? hook->previous_ : reinterpret_cast<WNDPROC>(GetPropW(window, kOldWndProc));
    if (msg == WM_NCDESTROY) {
        if (hook) hook->UnsubclassWindow();
        // "Unubclassed" is the text Korimo has always shown here; it is meant as it stands.
        MessageBoxW(nullptr, (L"Unubclassed " + HexHandle(window)).c_str(), L"WndProc Error", MB_OK | MB_ICONERROR);
    } else if (msg == WM_CHANGE_NOTIFY && hook) {
        hook->sink_->NotificationReceipt(wParam, lParam);
    }
    return previous ? CallWindowProcW(previous, window, msg, wParam, lParam)
                    : DefWindowProcW(window, msg, wParam, lParam);
}

bool WindowHook::SubclassWindow(HWND window, NotificationSink& sink) {
    if (!window_ && !GetPropW(window, kOldWndProc)) {
        const LONG_PTR previous = SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NotifyWndProc));
        if (previous) {
            if (SetPropW(window, kOldWndProc, reinterpret_cast<HANDLE>(previous)) && SetPropW(window, kHook, this)) {
                window_ = window;
                previous_ = reinterpret_cast<WNDPROC>(previous);
                sink_ = &sink;
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

bool WindowHook::UnsubclassWindow() {
    if (!window_) return false;
    HWND window = std::exchange(window_, nullptr);
    RemovePropW(window, kHook);
    RemovePropW(window, kOldWndProc);
    return SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_)) != 0;
}

} // namespace korimo::filemon
