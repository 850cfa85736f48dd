// Test support: looks at the notification-area icons that Wine shows, from outside the process that owns
// them, the way a user would: only icons that are on screen, the hover text their tooltip would show, the
// balloon that is currently up, and real mouse input to click them.
//
// Every function reads the live window tree; nothing is cached between calls. A failure to read another
// process (cannot open it, it does not answer within two seconds, its tooltip state cannot be read) throws
// std::runtime_error rather than reporting "no icon", so a test can never mistake a broken probe for an
// icon that went away.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korimo::test {

struct TrayIconInfo {
    HWND iconWindow;   // the tray's own window for this icon (lives in the tray's process)
    RECT screenRect;   // where the icon is drawn, in screen coordinates
    std::wstring tip;  // the text its tooltip shows on hover ("" if it has none)
};

// Every icon currently shown in Wine's tray, left to right.
std::vector<TrayIconInfo> ListTrayIcons();

// The first shown icon whose hover text is exactly `tip`.
std::optional<TrayIconInfo> FindTrayIcon(const std::wstring& tip);

struct Balloon {
    std::wstring title;
    std::wstring text;
};

// The balloon notice currently visible on screen, if any. Its texts are what the balloon holds and draws;
// Wine 8 sizes a balloon about one character too narrow, so the end of a long line (the final "！" of
// "Korimo已经最小化到托盘！") is clipped on screen although it is here.
std::optional<Balloon> CurrentBalloon();

// Calls `cond` until it returns true or `timeoutMs` passes, dispatching this thread's messages in between
// (so the caller's own windows keep receiving tray callbacks while it waits). Returns the last result.
bool WaitFor(std::function<bool()> cond, DWORD timeoutMs, DWORD stepMs = 50);

// Moves the real mouse to the icon's centre (where it is now) and double-clicks the left button with
// SendInput. Throws if the icon is gone or another window covers that point, since a user could not
// click it either.
void DoubleClickTrayIcon(const TrayIconInfo& icon);

}  // namespace korimo::test
