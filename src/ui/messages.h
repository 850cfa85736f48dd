// The program's private window messages. Numbers fixed by outside behaviour are not here (0x0401 for shell
// change notifications lives with the file monitor).
#pragma once

#include <windows.h>

namespace korimo::ui {

// The tray icon's callback to the main window; lParam is the mouse message that happened over the icon.
inline constexpr UINT WM_KORIMO_TRAY = WM_APP + 1;
// Posted to a running Korimo's main window by a second start of the same program: it comes forward, as a
// double-click on its tray icon brings it (its question instead, while one waits).
inline constexpr UINT WM_KORIMO_COME_FORWARD = WM_APP + 2;
// Posted to the log panel alone by the journal's writer thread when a write failed; the failure waits in the
// writer's queue.
inline constexpr UINT WM_KORIMO_JOURNAL_FAILED = WM_APP + 3;
// Posted to a window by a screen reader's request for a default action of it or of one of its controls: the
// action runs from the message loop, once the reader's call has returned.
inline constexpr UINT WM_KORIMO_ASKED_ACTION = WM_APP + 4;

} // namespace korimo::ui
