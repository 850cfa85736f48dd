// Test support: the desktop as a user sees it. Finds windows, reads their texts, and clicks with the real mouse
// (SendInput), so a click only lands where a user's click would. The one place for each of these.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace korimo::test {

// Every top-level window, in z-order; the children of a window, at any depth.
std::vector<HWND> AllTopLevelWindows();
std::vector<HWND> ChildWindows(HWND parent);
// Top-level windows of a process, in z-order; only the visible ones when asked.
std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly);
// The first top-level window of the process with that class (and title, when given).
HWND FindTopLevel(DWORD processId, const wchar_t* className, const wchar_t* title = nullptr);
// The same among this process's visible windows.
HWND FindShownWindow(const wchar_t* className, const wchar_t* title = nullptr);
// A child window of `parent` (any depth) whose text is exactly `text`.
HWND FindChildByText(HWND parent, const std::wstring& text);

std::wstring ClassName(HWND window);
DWORD ProcessOf(HWND window);
std::wstring WindowText(HWND window);
// The text a control holds, asked of the control itself (WM_GETTEXT): for another process's edit control
// GetWindowText gives only the caption it was created with.
std::wstring ControlText(HWND control);
RECT WindowRectOf(HWND window);
POINT CentreOf(const RECT& rect);

// Moves the real pointer and waits until it is there; false when it never got there.
bool MoveMouseTo(POINT screen);
void LeftClickAt(POINT screen);
void RightClickAt(POINT screen);
// A press at `from`, a move to `to` in a few steps, a release there.
void DragWithLeftButton(POINT from, POINT to);
// Clicks the centre of a window (a button, a label) where it is now on screen.
void ClickWindow(HWND window);

// Presses and releases a key on the real keyboard (SendInput), with Alt or Shift held when asked: it reaches
// whichever window has the keyboard focus.
void PressKey(WORD key, bool alt = false, bool shift = false);
// The keyboard focus of the thread that owns `window`, as another program sees it (GetGUIThreadInfo).
HWND KeyboardFocusOf(HWND window);

// The start-with-Windows value "fy" under HKEY_LOCAL_MACHINE's Run key; "<missing>" when there is none.
std::wstring RunValue();

// Waits for a process to end; false when it is still running after `timeoutMs`.
bool WaitForExit(HANDLE process, DWORD timeoutMs);

// Whether this runs under Wine (which a test may change in ways it must never change a real Windows).
bool UnderWine();

// The bytes of a file, as a program wrote them; nothing when there is no such file.
std::string ReadBytes(const std::wstring& path);

// A Linux path ("/work/build/korimo.exe") as Wine's Z: drive sees it; Windows paths pass unchanged.
std::wstring WindowsPath(const std::wstring& path);

} // namespace korimo::test
