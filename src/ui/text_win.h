// Text conversions at the edges of the program and the one way failures are told to the user.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace korimo::ui {

// The system's ANSI code page (GBK on Simplified-Chinese systems), for the file formats that demand it.
// Characters the code page cannot hold become "?".
std::string ToAnsi(std::wstring_view text);
// Whether the ANSI code page holds every character of the text (nothing would become "?").
bool FitsAnsi(std::wstring_view text);

// The system's own words for an error code, without the trailing line break.
std::wstring SystemMessage(DWORD error);

// A failure the user must know about: a message box in Chinese titled "Korimo" with the error icon.
void ShowFailure(HWND owner, const std::wstring& text);

} // namespace korimo::ui
