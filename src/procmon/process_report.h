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

// The path of a process whose file cannot be read, and of the windows whose process is unknown.
inline constexpr wchar_t kUnknownPath[] = L"SYSTEM";
// The batch file in the program folder that closes a program on the user's answer. The name is "tasklill", not
// "taskkill", on purpose: it is the name Korimo has always written, and a file called taskkill.bat in the
// program folder would be the very thing that shadows the system's taskkill.
inline constexpr wchar_t kBatchFileName[] = L"tasklill.bat";

// The part of a path after its last backslash (the whole path when it has none, as "SYSTEM").
std::wstring ImageName(std::wstring_view path);

// What the user's answer asks the batch to close.
struct CloseOrder {
    std::wstring imageName; // the program asked about
    std::uint32_t pid = 0;  // its process; 0 when unknown
    bool forced = false;    // "强制关闭" rather than "关闭"
};

// The one line of the batch file, ended by CR LF: the system's own taskkill by its full path (quoted, so no
// taskkill.bat of the working folder can stand in for it), then ` /IM "name"` or ` /F /IM "name"`, which closes
// every process with that image name. The name is quoted and every "%" doubled, so it reaches taskkill whole
// and can run nothing else.
// By name is never used for Korimo's own image name (any letter case: Korimo would close itself and lose its
// log), for a name the batch's code page cannot hold (`nameFitsCodePage` false) or one that cannot be quoted
// safely (a control character, a double quote); then the line closes the one process asked about by its id,
// ` /PID n` or ` /F /PID n`. No line when neither can be written.
std::optional<std::wstring> TaskkillLine(std::wstring_view systemFolder, const CloseOrder& order,
                                         std::wstring_view ownImageName, bool nameFitsCodePage);

} // namespace korimo::procmon
