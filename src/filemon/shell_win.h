// The shell side of the file monitor: its items, the change-notification registration and the window hook
// through which the notifications reach the file monitor window.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <cstdint>
#include <string>

#include "ui/handle.h"

// <windowsx.h> has a macro of this name; the hook below is ours.
#ifdef SubclassWindow
#undef SubclassWindow
#endif

namespace korimo::filemon {

// The message the shell posts for every change: wParam points at the two item pointers, lParam is the event.
inline constexpr UINT WM_CHANGE_NOTIFY = 0x0401;

// A shell item list from the shell's allocator, freed with it.
using ItemIdList = ui::Owned<LPITEMIDLIST, &CoTaskMemFree>;

// The item of a special folder (CSIDL_DESKTOP: the desktop); none on failure.
ItemIdList GetSpecialFolderPidl(HWND owner, int folder);
std::wstring GetDisplayNameFromPidl(LPCITEMIDLIST item);
std::wstring GetPathFromPidl(LPCITEMIDLIST item);

// One registration for change notifications on the whole namespace, posted to one window as WM_CHANGE_NOTIFY.
class ShellRegistration {
public:
    ShellRegistration() = default;
    ShellRegistration(const ShellRegistration&) = delete;
    ShellRegistration& operator=(const ShellRegistration&) = delete;
    ~ShellRegistration() { UnregisterShellNotify(); }

    // Asks for the `events` (every one unless told otherwise). False, changing nothing, when a registration
    // exists already; false when the shell refuses.
    bool RegisterShellNotify(HWND window, std::uint32_t events = 0xFFFFFFFFu);
    // False when there was none, or the shell refused (the registration is kept for a later try).
    bool UnregisterShellNotify();
    // Asks for other events from now on. The new registration is made before the old one ends: a notification
    // of that moment may come twice, but none is lost. False, keeping the old one, when the shell refuses.
    bool ChangeEvents(std::uint32_t events);
    bool IsRegistered() const { return id_ != 0; }

private:
    ULONG id_ = 0;
    HWND window_ = nullptr;
    std::uint32_t events_ = 0;
    ItemIdList watched_;
};

// Receives the notifications of a hooked window.
class NotificationSink {
public:
    virtual void NotificationReceipt(WPARAM items, LPARAM event) = 0;

protected:
    ~NotificationSink() = default;
};

// The hook on a window, for as long as its holder keeps it: the window's notifications go to the sink, then
// every message to its previous procedure, which the window's property "OldWndProc" records. A window that has
// the property already is not hooked twice: the user is told and nothing changes. A window destroyed while
// still hooked is unhooked on its way out, and the user is told ("Unubclassed …").
class WindowHook {
public:
    WindowHook() = default;
    WindowHook(const WindowHook&) = delete;
    WindowHook& operator=(const WindowHook&) = delete;
    ~WindowHook() { UnsubclassWindow(); }

    bool SubclassWindow(HWND window, NotificationSink& sink);
    // Gives the window its previous procedure back; false when it was not hooked.
    bool UnsubclassWindow();

private:
    static LRESULT CALLBACK NotifyWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
    NotificationSink* sink_ = nullptr;
};

// "&H" and the handle in upper-case hexadecimal without leading zeros.
std::wstring HexHandle(HWND window);

} // namespace korimo::filemon
