// Text conversions at the edges of the program and the one way failures are told to the user.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace korimo::ui {

// The text in a code page (CP_UTF8 too). Characters an ANSI code page cannot hold become "?".
std::string ToCodePage(std::wstring_view text, UINT codePage);
// Whether an ANSI code page holds every character of the text (nothing would become "?" or a look-alike).
bool FitsCodePage(std::wstring_view text, UINT codePage);
// Bytes in a code page back to text.
std::wstring FromCodePage(std::string_view bytes, UINT codePage);

// The system's ANSI code page (GBK on Simplified-Chinese systems), for the file formats that demand it.
std::string ToAnsi(std::wstring_view text);
bool FitsAnsi(std::wstring_view text);

// The text of a window or control of this program, however long.
std::wstring WindowTextOf(HWND window);

// The system's own words for an error code, without the trailing line break.
std::wstring SystemMessage(DWORD error);

// A failure the user must know about: a message box in Chinese titled "Korimo" with the error icon.
void ShowFailure(HWND owner, const std::wstring& text);

} // namespace korimo::ui
