// What the user's "关闭" or "强制关闭" closes, and the one batch line that closes it. Platform-free: the running
// processes, the shell's and Korimo's own come in from the Win32 layer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korimo::procmon {

// The batch file in the program folder that closes a program on the user's answer. The name is "tasklill", not
// "taskkill", on purpose: it is the name Korimo has always written, and a file called taskkill.bat in the
// program folder would be the very thing that shadows the system's taskkill.
inline constexpr wchar_t kBatchFileName[] = L"tasklill.bat";

// A process kept from the moment the user is asked about it until its close is over: while it is held, no other
// process can be given its id, so a close by that id hits it or nothing. What holds it is the platform's.
class ProcessHold {
public:
    virtual ~ProcessHold() = default;
    // False when it could not be held: it had already ended, or the system refused.
    virtual bool Held() const = 0;
    // Nothing held runs any more: the held process has ended (or none was held).
    virtual bool Ended() const = 0;
    // Why it is not held, in words for the user; empty when it is held.
    virtual std::wstring Refusal() const = 0;
};

// The Windows app frame host: the titled frame of every Store app (Settings, Calculator, Photos…) is its window,
// while the app's own process owns the `kStoreAppWindowClass` child inside it.
inline constexpr wchar_t kFrameHostImage[] = L"ApplicationFrameHost.exe";
inline constexpr wchar_t kStoreAppWindowClass[] = L"Windows.UI.Core.CoreWindow";

// Whose the window asked about is.
enum class Frame {
    Own,       // the program's own window (a console window names its console program)
    StoreApp,  // a frame of the app frame host with a Store app inside: the program is the app
    HostAlone, // a frame of the app frame host with no app inside (yet): the program is the frame host itself
};

// The program the user was asked about, as it was when it was reported.
struct CloseOrder {
    std::wstring imageName;     // the part of its path after the last backslash, for the messages
    std::wstring path;          // its executable; "SYSTEM" when it could not be read
    std::uint32_t pid = 0;      // its process
    std::uint64_t started = 0;  // its process's creation time; 0 when it could not be read
    bool forced = false;        // "强制关闭" rather than "关闭"
    bool held = false;          // its process was held from the question on (ProcessHold)
    std::uintptr_t window = 0;  // the window it was reported for (a Store app's: its frame)
    Frame frame = Frame::Own;
    bool console = false;       // its program file is a console program (read when the close is made)
};

// How an answer reaches the program.
enum class CloseRoad {
    Taskkill,    // the batch line, by process ids: taskkill asks each process's own windows to close, or ends it
    CloseWindow, // WM_CLOSE to the window reported, as its own × mark does: a Store app (whose process owns no
                 // top-level window) and a console program (which taskkill can only end by force) are asked so
    Refused,     // nothing: the frame host alone hosts every Store app, and closing it would close them all
};
CloseRoad RoadOf(const CloseOrder& order);

// A process running now.
struct RunningProcess {
    std::uint32_t pid = 0;
    std::wstring path;         // "SYSTEM" when it cannot be read
    std::uint64_t started = 0; // 0 when it cannot be read
};

struct ClosePlan {
    std::vector<std::uint32_t> pids; // the asked-about process first, when it still runs, then its other instances
    bool shellSpared = false;        // the desktop shell was one of them and is left running
    bool sharedHost = false;         // a host of the system's: the asked process alone, whatever else runs its file
};

// Two paths name the same executable file (Windows compares them without regard to letter case).
using SamePathTest = std::function<bool(std::wstring_view, std::wstring_view)>;

// A program of the system folder that hosts the work of many others (the app frame host, the console hosts,
// COM surrogates, the runtime broker, service hosts, the shell's infrastructure and task hosts): each of its
// processes serves someone else, so none is ever "another instance" of the one asked about.
bool IsSharedHost(std::wstring_view path, std::wstring_view systemFolder, const SamePathTest& samePath);
// Whether `path` is the program `image` in the system folder.
bool IsSystemProgram(std::wstring_view path, std::wstring_view image, std::wstring_view systemFolder,
                     const SamePathTest& samePath);

// The processes to close: the one asked about, if it still runs from the same file and is the same process (the
// same creation time, where it was known), and every other running process started from that same executable
// file. Processes of another path never; nor Korimo itself, nor the desktop shell (`spared`: the processes of
// the shell window and the taskbar), whatever their name or path. An order whose process was not held closes
// nothing: its id may belong to another program by now, and without its path and creation time nothing tells.
// The asked process alone for a shared host of the system folder, and where the answer goes to the window
// reported (CloseRoad::CloseWindow: the other instances own no window that could be asked); nothing where the
// road is refused.
ClosePlan PlanClose(const CloseOrder& order, const std::vector<RunningProcess>& running,
                    const std::vector<std::uint32_t>& spared, std::uint32_t ownPid, std::wstring_view systemFolder,
                    const SamePathTest& samePath);

// The one line of the batch file, ended by CR LF: the system's own taskkill by its full path (quoted, so no
// taskkill.bat of the working folder can stand in for it), then ` /PID a /PID b …`, or ` /F /PID a …` when
// forced. No line without a system folder, one that cannot be quoted, or without a process to close.
std::optional<std::wstring> TaskkillLine(std::wstring_view systemFolder, bool forced,
                                         const std::vector<std::uint32_t>& pids);

// How long a close is given before a process still running is a failure the user is told of: a program asked
// to close may first ask its user whether to save; one ended by force goes at once or not at all.
inline constexpr std::uint64_t kCloseWaitMs = 15000;
inline constexpr std::uint64_t kForcedCloseWaitMs = 5000;

// A process of a close's batch line, held until the close is over.
struct ClosingProcess {
    std::uint32_t pid = 0;
    std::wstring path;
    std::unique_ptr<ProcessHold> hold;
};

// A process that still ran when its close's time was up, and why, in the user's words.
struct CloseFailure {
    std::uint32_t pid = 0;
    std::wstring path;
    std::wstring reason;
};

// What kind of close is watched: its time and, when a process outlives it, the reason told.
enum class CloseKind {
    Polite,  // "关闭": the program was asked to close
    Console, // "关闭" of a console program: its console window was closed
    Forced,  // "强制关闭"
};
CloseKind KindOf(const CloseOrder& order);

// Why a process still runs after its close: Korimo may not end it at all (`mayEnd` false: the system refuses
// it the right, as for an elevated program or another user's), it did not answer the request to close (a
// console program does not ask whether to save: it did not go with its console), or even ending it by force
// did not succeed.
std::wstring CloseFailureReason(CloseKind kind, bool mayEnd);

// The closes under way, several at once: each is watched until every process of it has ended, which ends it
// quietly, or until its time is up, when the processes still running are its failures. A process is let go
// as soon as it has ended or been told, and every one when the watch is cleared.
class CloseWatch {
public:
    void Watch(std::vector<ClosingProcess> processes, CloseKind kind, std::uint64_t nowMs);
    // `mayEnd` asks the system whether Korimo may end the process with this (held) id.
    std::vector<CloseFailure> Poll(std::uint64_t nowMs, const std::function<bool(std::uint32_t pid)>& mayEnd);
    bool Empty() const { return closes_.empty(); }
    void Clear() { closes_.clear(); }

private:
    struct Close {
        std::vector<ClosingProcess> processes;
        CloseKind kind = CloseKind::Polite;
        std::uint64_t deadline = 0;
    };
    std::vector<Close> closes_;
};

} // namespace korimo::procmon
