#include "procmon/process_check.h"

#include <unordered_set>

#include "procmon/process_report.h"

namespace korimo::procmon {

namespace {
std::unordered_set<std::wstring> TitlesOf(const std::vector<WindowEntry>& list) {
    std::unordered_set<std::wstring> titles;
    titles.reserve(list.size());
    for (const WindowEntry& entry : list) titles.insert(entry.title);
    return titles;
}

bool Ignored(const CheckSettings& settings, const std::wstring& image) {
    for (const std::wstring& ignored : settings.ignored)
        if (!ignored.empty() && ignored == image) return true;
    return false;
}
} // namespace

TitleChanges CompareTitles(const std::vector<WindowEntry>& previous, const std::vector<WindowEntry>& current) {
    TitleChanges changes;
    const auto before = TitlesOf(previous);
    const auto now = TitlesOf(current);
    for (std::size_t i = 0; i < current.size(); ++i)
        if (!current[i].own && !before.count(current[i].title)) changes.started.push_back(i);
    for (std::size_t i = 0; i < previous.size(); ++i)
        if (!previous[i].own && !now.count(previous[i].title)) changes.closed.push_back(i);
    return changes;
}

Span ChangedSpan(const std::vector<WindowEntry>& from, const std::vector<WindowEntry>& to) {
    std::size_t head = 0, tail = 0;
    while (head < from.size() && head < to.size() && from[head] == to[head]) ++head;
    while (tail < from.size() - head && tail < to.size() - head &&
           from[from.size() - 1 - tail] == to[to.size() - 1 - tail])
        ++tail;
    return {head, from.size() - head - tail, to.size() - head - tail};
}

std::size_t TextOffset(const std::vector<WindowEntry>& list, std::size_t lines) {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < lines; ++i) offset += list[i].title.size() + 2;
    return offset;
}

const ProcessInfo& ProcessCheck::Remember(CheckPlatform& desktop, const WindowEntry& entry) {
    const ProcessInfo& info = known_[entry.window] = desktop.LookUp(entry);
    lastLookedUp_ = LookedUp{entry, info};
    return info;
}

void ProcessCheck::Baseline(CheckPlatform& desktop) {
    previous_.clear();
    current_ = desktop.ListWindows();
    known_.clear();
    lastLookedUp_.reset();
    for (const WindowEntry& entry : current_) Remember(desktop, entry);
}

bool ProcessCheck::Run(CheckPlatform& desktop, const CheckSettings& settings, CheckUser& user) {
    if (running_) return false;
    Begin(desktop, settings);
    user.ShowList(current_);
    while (std::optional<Started> started = Next(desktop)) {
        user.ShowLookedUp({started->entry, started->process});
        user.Tell(started->report);
        if (started->question.empty()) continue;
        const Answer answer = user.Ask(started->question);
        if (std::optional<CloseRequest> close = Answered(std::move(*started), answer)) user.Close(std::move(*close));
    }
    for (const Report& closed : End()) user.Tell(closed);
    return true;
}

void ProcessCheck::Withdraw() {
    if (running_) withdrawn_ = true;
}

// The windows that have gone are forgotten (what was known of them stays for this check's reports), and a new
// window whose title was already there is looked up now: it is not reported, but when it closes its report names
// its own process.
void ProcessCheck::Begin(CheckPlatform& desktop, const CheckSettings& settings) {
    running_ = true;
    withdrawn_ = false;
    settings_ = settings;
    previous_ = std::move(current_);
    current_ = desktop.ListWindows();
    const TitleChanges changes = CompareTitles(previous_, current_);
    started_.clear();
    closed_.clear();
    gone_.clear();
    for (std::size_t i : changes.started) started_.push_back(current_[i]);
    for (std::size_t i : changes.closed) closed_.push_back(previous_[i]);
    nextStarted_ = 0;
    std::unordered_set<std::uintptr_t> open, asked;
    for (const WindowEntry& entry : current_) open.insert(entry.window);
    for (const WindowEntry& entry : started_) asked.insert(entry.window);
    for (auto known = known_.begin(); known != known_.end();)
        if (open.count(known->first)) {
            ++known;
        } else {
            gone_.insert(*known);
            known = known_.erase(known);
        }
    for (const WindowEntry& entry : current_)
        if (!known_.count(entry.window) && !asked.count(entry.window)) Remember(desktop, entry);
}

std::optional<ProcessCheck::Started> ProcessCheck::Next(CheckPlatform& desktop) {
    while (!withdrawn_ && nextStarted_ < started_.size()) {
        const WindowEntry& entry = started_[nextStarted_++];
        const ProcessInfo info = Remember(desktop, entry);
        if (info.korimo) continue;
        Started started{entry, info,
                        {L"开启进程", ProcessNotice(entry.title, info.path, info.pid),
                         StartedLogEntry(entry.title, info.path, info.pid)},
                        {}, nullptr};
        // A window that closed before it was looked up names no process: there is nothing to ask about.
        if (info.pid != 0 && settings_.prompts && !Ignored(settings_, ImageName(info.path))) {
            started.hold = desktop.HoldProcess(info); // let go at once when the answer closes nothing
            started.question = StartedQuestion(info.path);
        }
        return started;
    }
    return std::nullopt;
}

std::optional<CloseRequest> ProcessCheck::Answered(Started started, Answer answer) {
    withdrawn_ = withdrawn_ || answer == Answer::Withdrawn;
    if (withdrawn_ || (answer != Answer::Close && answer != Answer::ForceClose)) return std::nullopt;
    const ProcessInfo& info = started.process;
    const bool held = started.hold && started.hold->Held();
    return CloseRequest{{ImageName(info.path), info.path, info.pid, info.started, answer == Answer::ForceClose, held,
                         started.entry.window, info.frame},
                        std::move(started.hold)};
}

std::vector<Report> ProcessCheck::End() {
    running_ = false;
    std::vector<Report> reports;
    if (withdrawn_ || !settings_.closeNotices) return reports;
    for (const WindowEntry& entry : closed_) {
        const auto gone = gone_.find(entry.window);
        const auto known = known_.find(entry.window); // renamed: the window is still open
        const ProcessInfo info = gone != gone_.end()     ? gone->second
                                 : known != known_.end() ? known->second
                                                         : ProcessInfo{0, kGonePath};
        if (!info.korimo)
            reports.push_back({L"关闭进程", ProcessNotice(entry.title, info.path, info.pid),
                               ClosedLogEntry(entry.title, info.path, info.pid)});
    }
    return reports;
}

} // namespace korimo::procmon
