// The desktop's titled top-level windows and the process behind a window, through the wide-character API: a
// title outside the ANSI code page is listed as it is, and a path with Chinese folder names comes back whole.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "procmon/close_plan.h"
#include "procmon/process_check.h"

namespace korimo::procmon {

// Every top-level window with a non-empty title, top of the window stack first, however many there are.
std::vector<WindowEntry> GetOpenWindowNames();

// The process of a window: its id, the path of its executable ("SYSTEM" where it cannot be read), its creation
// time, and whether it runs Korimo's own program file. A frame of the app frame host names the Store app inside
// it (Frame::StoreApp), or the frame host itself while no app is in it (Frame::HostAlone).
ProcessInfo LookUpWindow(HWND window);

// The Store app's window inside a frame of the app frame host: its first child of the Store apps' window class
// that another process owns; null when there is none.
HWND StoreAppWindow(HWND frame);

// The system folder (C:\Windows\System32), without a final backslash; empty where the system names none.
const std::wstring& SystemFolder();

// Whether the program file is a console program (its PE header names the console subsystem).
bool IsConsoleProgram(const std::wstring& path);

// The path of a process's executable: first with query and read access and its module list, then with the
// limited query right (enough for elevated programs of the same user); "SYSTEM" where neither works.
std::wstring GetProcessPathByProcessID(DWORD processId);

// Whether two paths name the same file as Windows compares them: ordinal, without regard to letter case.
bool SamePath(std::wstring_view a, std::wstring_view b);

// The creation time of a process; 0 where it cannot be read.
std::uint64_t CreationTime(HANDLE process);

// Every process running now, each with its path and creation time as LookUpWindow gives them; nothing when the
// system cannot list them.
std::optional<std::vector<RunningProcess>> RunningProcesses();

// The processes of the desktop shell: the owners of the shell window and of the taskbar.
std::vector<std::uint32_t> ShellProcesses();

} // namespace korimo::procmon
