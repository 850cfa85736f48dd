// The program's private window messages. Numbers fixed by outside behaviour are not here (0x0401 for shell
// change notifications lives with the file monitor).
#pragma once

#include <windows.h>

namespace korimo::ui {

// The tray icon's callback to the main window; lParam is the mouse message that happened over the icon.
inline constexpr UINT WM_KORIMO_TRAY = WM_APP + 1;

} // namespace korimo::ui
