// The process check: compares the titled windows now open with those of the previous check, reports each new
// title as a started process (tray notice, log entry and, if wanted, a question whose answer may close it) and,
// if wanted, each title that has gone as a closed process. Platform-free: the walk, the lookups and the
// reporting come through CheckPlatform.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "procmon/close_plan.h"

namespace korimo::procmon {

// One titled top-level window of the walk; each entry remembers its own window.
struct WindowEntry {
    std::wstring title;
    std::uintptr_t window = 0;
    bool own = false; // a window of Korimo itself: listed, but never reported as a program started or closed
    bool operator==(const WindowEntry&) const = default;
};

struct ProcessInfo {
    std::uint32_t pid = 0;
    std::wstring path;         // "SYSTEM" where it cannot be read
    std::uint64_t started = 0; // the process's creation time, 0 where it cannot be read: tells a reused id
    bool korimo = false;       // a process of Korimo's own program file (a second copy refusing to start)
};

// The question about a started process: its three answers, ten seconds, and "放过" when they run out.
inline constexpr const wchar_t* kAnswerCaptions[3] = {L"放过", L"关闭", L"强制关闭"};
inline constexpr std::int16_t kQuestionSeconds = 10;
inline constexpr std::int16_t kAnswerWhenTimeIsUp = 1;

// The answer to the question about a started process.
enum class Answer {
    None,       // no question was asked
    LetRun,     // "放过", or the countdown ran out
    Close,      // "关闭"
    ForceClose, // "强制关闭"
    Withdrawn,  // the program is closing: nothing is closed and the check reports nothing more
};

// The pop-up's answer value as an answer: 1, 2, 3 for its buttons, -1 when the question was withdrawn.
Answer AnswerFromPopup(int value);

struct CheckSettings {
    bool prompts = true;       // Check2(1): ask about every started process not on the ignore list
    bool closeNotices = false; // Check2(2): report titles that have gone
    std::array<std::wstring, 3> ignored; // captions of the ticked Check1 boxes; empty where a box is off
};

class CheckPlatform {
public:
    virtual std::vector<WindowEntry> ListWindows() = 0;
    virtual ProcessInfo LookUp(const WindowEntry& entry) = 0;
    virtual CheckSettings Settings() = 0;
    virtual void Report(const std::wstring& noticeTitle, const std::wstring& noticeText, const std::wstring& logEntry) = 0;
    // Holds the process about to be asked about, as it was looked up, until the answer is known (and, when the
    // answer closes it, until the close is over).
    virtual std::unique_ptr<ProcessHold> Hold(const ProcessInfo& info) = 0;
    virtual Answer Ask(const std::wstring& message) = 0;
    virtual void CloseByImageName(const CloseOrder& order, std::unique_ptr<ProcessHold> hold) = 0;

protected:
    ~CheckPlatform() = default;
};

// Indices of the titles that are new in `current` and of those that have gone from `previous`. A title counts
// as present in the other list only when it equals one of its titles exactly. Korimo's own windows (its
// dialogs, its pop-up) are not reported: Korimo would otherwise offer to close itself. Nor are the windows of
// another process running Korimo's own program file (ProcessInfo::korimo), found once they are looked up.
struct TitleChanges {
    std::vector<std::size_t> started;
    std::vector<std::size_t> closed;
};
TitleChanges CompareTitles(const std::vector<WindowEntry>& previous, const std::vector<WindowEntry>& current);

// The entries of a list that a new list replaces, as one run: what both keep at their start and at their end
// stays where it is. The process panel rewrites only this run.
struct Span {
    std::size_t first, removed, added;
};
Span ChangedSpan(const std::vector<WindowEntry>& from, const std::vector<WindowEntry>& to);

// Where line `lines` begins in the text of a list, every title followed by CR LF.
std::size_t TextOffset(const std::vector<WindowEntry>& list, std::size_t lines);

class ProcessCheck {
public:
    // The load step: the first list is the baseline, reported nowhere.
    void Baseline(CheckPlatform& platform);
    // One check. Returns false, doing nothing, while another check is still running (a tick that comes while a
    // question waits for its answer).
    bool Run(CheckPlatform& platform);

    bool IsRunning() const { return running_; }
    // What the check holds between two checks: the processes remembered for windows, the two title lists.
    std::size_t Remembered() const { return known_.size(); }
    std::size_t TitlesNow() const { return current_.size(); }
    std::size_t TitlesBefore() const { return previous_.size(); }

private:
    // False when the question was withdrawn: the check ends there.
    bool ReportStarted(CheckPlatform& platform, const WindowEntry& entry);
    void ReportClosed(CheckPlatform& platform, const WindowEntry& entry);

    std::vector<WindowEntry> previous_;
    std::vector<WindowEntry> current_;
    std::unordered_map<std::uintptr_t, ProcessInfo> known_; // looked up once, when the window was first seen
    bool running_ = false;
};

} // namespace korimo::procmon
