// The texts of the process monitor: notices, log entries, the question, the image name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korimo::procmon {

// A title or path as one line: line breaks and other control characters become spaces, so no window title
// can split a log entry or forge one of its own.
std::wstring OneLine(std::wstring_view text);

std::wstring ProcessNotice(std::wstring_view title, std::wstring_view path, std::uint32_t pid);
std::wstring StartedLogEntry(std::wstring_view title, std::wstring_view path, std::uint32_t pid);
std::wstring ClosedLogEntry(std::wstring_view title, std::wstring_view path, std::uint32_t pid);
std::wstring StartedQuestion(std::wstring_view path);

// The path of a process whose file cannot be read, and of the windows whose process is unknown.
inline constexpr wchar_t kUnknownPath[] = L"SYSTEM";
// The part of a path after its last backslash (the whole path when it has none, as "SYSTEM").
std::wstring ImageName(std::wstring_view path);

} // namespace korimo::procmon
