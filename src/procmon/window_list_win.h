// The desktop's titled top-level windows and the process behind a window, through the wide-character API: a
// title outside the ANSI code page is listed as it is, and a path with Chinese folder names comes back whole.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "procmon/process_check.h"

namespace korimo::procmon {

// Every top-level window with a non-empty title, top of the window stack first, however many there are.
std::vector<WindowEntry> GetOpenWindowNames();

// The process id of a window and the path of its executable ("SYSTEM" where it cannot be read).
ProcessInfo LookUpWindow(HWND window);

// The path of a process's executable: first with query and read access and its module list, then with the
// limited query right (enough for elevated programs of the same user); "SYSTEM" where neither works.
std::wstring GetProcessPathByProcessID(DWORD processId);

} // namespace korimo::procmon
