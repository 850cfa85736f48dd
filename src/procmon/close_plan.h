// What the user's "关闭" or "强制关闭" closes, and the one batch line that closes it. Platform-free: the running
// processes, the shell's and Korimo's own come in from the Win32 layer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korimo::procmon {

// The batch file in the program folder that closes a program on the user's answer. The name is "tasklill", not
// "taskkill", on purpose: it is the name Korimo has always written, and a file called taskkill.bat in the
// program folder would be the very thing that shadows the system's taskkill.
inline constexpr wchar_t kBatchFileName[] = L"tasklill.bat";

// The program the user was asked about, as it was when it was reported.
struct CloseOrder {
    std::wstring imageName;     // the part of its path after the last backslash, for the messages
    std::wstring path;          // its executable; "SYSTEM" when it could not be read
    std::uint32_t pid = 0;      // its process
    std::uint64_t started = 0;  // its process's creation time; 0 when it could not be read
    bool forced = false;        // "强制关闭" rather than "关闭"
};

// A process running now.
struct RunningProcess {
    std::uint32_t pid = 0;
    std::wstring path;         // "SYSTEM" when it cannot be read
    std::uint64_t started = 0; // 0 when it cannot be read
};

struct ClosePlan {
    std::vector<std::uint32_t> pids; // the asked-about process first, when it still runs, then its other instances
    bool askedRuns = false;          // the asked-about process is still the one that was reported
    bool shellSpared = false;        // the desktop shell was one of them and is left running
};

// Two paths name the same executable file (Windows compares them without regard to letter case).
using SamePathTest = std::function<bool(std::wstring_view, std::wstring_view)>;

// The processes to close: the one asked about, if it still runs from the same file and is the same process (the
// same creation time, where it was known), and every other running process started from that same executable
// file. Processes of another path never; nor Korimo itself, nor the desktop shell (`spared`: the processes of
// the shell window and the taskbar), whatever their name or path.
ClosePlan PlanClose(const CloseOrder& order, const std::vector<RunningProcess>& running,
                    const std::vector<std::uint32_t>& spared, std::uint32_t ownPid, const SamePathTest& samePath);

// The one line of the batch file, ended by CR LF: the system's own taskkill by its full path (quoted, so no
// taskkill.bat of the working folder can stand in for it), then ` /PID a /PID b …`, or ` /F /PID a …` when
// forced. No line without a system folder, one that cannot be quoted, or without a process to close.
std::optional<std::wstring> TaskkillLine(std::wstring_view systemFolder, bool forced,
                                         const std::vector<std::uint32_t>& pids);

} // namespace korimo::procmon
