// The texts of the process monitor: notices, log entries, the question, the image name, the batch line.
#pragma once

#include <cstdint>
#include <optional>
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

// The part of a path after its last backslash (the whole path when it has none, as "SYSTEM").
std::wstring ImageName(std::wstring_view path);

// The one line of the batch file that closes every process with that image name: `taskkill /IM "name"` or
// `taskkill /F /IM "name"`, ended by CR LF. The name is quoted and every "%" doubled, so it reaches taskkill
// whole and can run nothing else; a name that still could not be written safely (a control character, a
// double quote, nothing at all) gives no line.
std::optional<std::wstring> TaskkillLine(std::wstring_view imageName, bool forced);

} // namespace korimo::procmon
