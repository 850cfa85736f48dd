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
// A process that still runs after the user asked to close it: the notice titled "关闭失败" and the log entry.
std::wstring CloseFailedNotice(std::wstring_view path, std::uint32_t pid, std::wstring_view reason);
std::wstring CloseFailedLogEntry(std::wstring_view path, std::uint32_t pid, std::wstring_view reason);
// A close of a shared host of the system: only the process asked about is closed, and the log says why.
std::wstring SharedHostLogEntry(std::wstring_view path, std::uint32_t pid);

// The path of a process whose file cannot be read.
inline constexpr wchar_t kUnknownPath[] = L"SYSTEM";
// What a report says of the process of a window that had closed before it was looked up: nothing can be known of
// it, and its process id shows as unknown too (no window belongs to process 0).
inline constexpr wchar_t kGonePath[] = L"（窗口在查看前已经关闭，无法得知它的进程）";
// The part of a path after its last backslash (the whole path when it has none, as "SYSTEM").
std::wstring ImageName(std::wstring_view path);

} // namespace korimo::procmon
