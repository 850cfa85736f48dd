// The process check: compares the titled windows now open with those of the previous check, reports each new
// title as a started process (tray notice, log entry and, if wanted, a question whose answer may close it) and,
// if wanted, each title that has gone as a closed process. Platform-free: it reads the desktop through
// CheckPlatform and hands back what it saw and decided, one step at a time, for the panel to show, report, ask
// and close in that order.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "alerts/frm_outputbox_answer.h"
#include "procmon/close_plan.h"

namespace korimo::procmon {

// The question about a started process is the alert pop-up's, and so are its answers.
using alerts::Answer;

// One titled top-level window of the walk; each entry remembers its own window.
struct WindowEntry {
    std::wstring title;
    std::uintptr_t window = 0;
    bool own = false; // a window of Korimo itself: listed, but never reported as a program started or closed
    bool operator==(const WindowEntry&) const = default;
};

struct ProcessInfo {
    std::uint32_t pid = 0;     // 0: the window had closed before it was looked up, and nothing is known of it
    std::wstring path;         // "SYSTEM" where it cannot be read; kGonePath with pid 0
    std::uint64_t started = 0; // the process's creation time, 0 where it cannot be read: tells a reused id
    bool korimo = false;       // a process of Korimo's own program file (a second copy refusing to start)
    Frame frame = Frame::Own;  // a Store app's frame names the app inside it, not the frame host
};

struct CheckSettings {
    bool prompts = true;       // Check2(1): ask about every started process not on the ignore list
    bool closeNotices = false; // Check2(2): report titles that have gone
    std::array<std::wstring, 3> ignored; // captions of the ticked Check1 boxes; empty where a box is off
};

// What the check reads of the desktop: its windows and their processes; and the one act it asks of the system, a
// hold on the process it is about to ask about.
class CheckPlatform {
public:
    virtual std::vector<WindowEntry> ListWindows() = 0;
    virtual ProcessInfo LookUp(const WindowEntry& entry) = 0;
    // Holds the process about to be asked about, as it was looked up, until the answer is known (and, when the
    // answer closes it, until the close is over).
    virtual std::unique_ptr<ProcessHold> HoldProcess(const ProcessInfo& info) = 0;

protected:
    ~CheckPlatform() = default;
};

// A report: the tray notice and the log entry.
struct Report {
    std::wstring noticeTitle;
    std::wstring noticeText;
    std::wstring logEntry;
};

// What an answer orders: the close, with the hold the process was asked under.
struct CloseRequest {
    CloseOrder order;
    std::unique_ptr<ProcessHold> hold;
};

// An entry and its process as the last lookup found them: what the panel shows as selected.
struct LookedUp {
    WindowEntry entry;
    ProcessInfo process;
};

// What the check asks of the panel that runs it, in the order it goes: the list it took, each new title looked up
// and its report, the question about it and the close its answer orders, then the reports of the titles gone.
// Each of these may wait (a question, a message box): the check may be withdrawn meanwhile.
class CheckUser {
public:
    virtual void ShowList(const std::vector<WindowEntry>& windows) = 0;
    virtual void ShowLookedUp(const LookedUp& lookedUp) = 0;
    virtual void Tell(const Report& report) = 0;
    virtual Answer Ask(const std::wstring& question) = 0;
    virtual void Close(CloseRequest request) = 0;

protected:
    ~CheckUser() = default;
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

// The check. Its memory between two checks: the two title lists and, for every window of the list now, its
// process as it was looked up when the window was first seen.
class ProcessCheck {
public:
    // The load step: the first list is the baseline, every entry looked up and none reported.
    void Baseline(CheckPlatform& desktop);
    // One check with these settings, told to `user` step by step: the list now against the last, each new title
    // looked up and reported in turn and, when the user is to be asked, asked about and closed as the answer
    // orders before the next is looked up, then the titles gone. False, doing nothing, while another check is
    // still running (a tick that comes while a question waits for its answer).
    bool Run(CheckPlatform& desktop, const CheckSettings& settings, CheckUser& user);
    // Ends the check under way wherever it waits: nothing more is looked up, reported, asked or closed (the
    // program is closing, its log being saved).
    void Withdraw();

    bool IsRunning() const { return running_; }
    const std::vector<WindowEntry>& Now() const { return current_; }
    const std::optional<LookedUp>& LastLookedUp() const { return lastLookedUp_; }
    // What the check holds between two checks: the processes remembered for windows, the two title lists.
    std::size_t Remembered() const { return known_.size(); }
    std::size_t TitlesNow() const { return current_.size(); }
    std::size_t TitlesBefore() const { return previous_.size(); }

private:
    // A new title, looked up, its report and, when the user is to be asked, the question and the hold.
    struct Started {
        WindowEntry entry;
        ProcessInfo process;
        Report report;
        std::wstring question;             // empty: nobody is asked
        std::unique_ptr<ProcessHold> hold; // from before the question until the answer is acted on
    };
    void Begin(CheckPlatform& desktop, const CheckSettings& settings);
    std::optional<Started> Next(CheckPlatform& desktop);
    std::optional<CloseRequest> Answered(Started started, Answer answer);
    std::vector<Report> End();
    const ProcessInfo& Remember(CheckPlatform& desktop, const WindowEntry& entry);

    std::vector<WindowEntry> previous_;
    std::vector<WindowEntry> current_;
    std::unordered_map<std::uintptr_t, ProcessInfo> known_; // looked up once, when the window was first seen
    // This check's changes: copies, since a question waits between two steps and the lists must not change.
    std::vector<WindowEntry> started_;
    std::size_t nextStarted_ = 0;
    std::vector<WindowEntry> closed_;
    std::unordered_map<std::uintptr_t, ProcessInfo> gone_; // what was known of the windows closed_ names
    CheckSettings settings_;
    std::optional<LookedUp> lastLookedUp_;
    bool running_ = false;
    bool withdrawn_ = false;
};

} // namespace korimo::procmon
