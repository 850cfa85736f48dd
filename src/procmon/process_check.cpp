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

void ProcessCheck::Baseline(CheckPlatform& platform) {
    previous_.clear();
    current_ = platform.ListWindows();
    known_.clear();
    lastLookedUp_.reset();
    for (const WindowEntry& entry : current_) {
        known_[entry.window] = platform.LookUp(entry);
        lastLookedUp_ = LookedUp{entry, known_[entry.window]};
    }
}

bool ProcessCheck::Begin(CheckPlatform& platform) {
    if (running_) return false;
    running_ = true;
    withdrawn_ = false;
    previous_ = std::move(current_);
    current_ = platform.ListWindows();
    const TitleChanges changes = CompareTitles(previous_, current_);
    started_.clear();
    closed_.clear();
    for (std::size_t i : changes.started) started_.push_back(current_[i]);
    for (std::size_t i : changes.closed) closed_.push_back(previous_[i]);
    nextStarted_ = 0;
    return true;
}

std::optional<Started> ProcessCheck::Next(CheckPlatform& platform) {
    while (!withdrawn_ && nextStarted_ < started_.size()) {
        const WindowEntry& entry = started_[nextStarted_++];
        const ProcessInfo info = known_[entry.window] = platform.LookUp(entry);
        lastLookedUp_ = LookedUp{entry, info};
        if (info.korimo) continue;
        Started started{entry, info,
                        {L"开启进程", ProcessNotice(entry.title, info.path, info.pid),
                         StartedLogEntry(entry.title, info.path, info.pid)},
                        {}, nullptr};
        const CheckSettings settings = platform.Settings();
        if (settings.prompts && !Ignored(settings, ImageName(info.path))) {
            started.hold = platform.Hold(info); // let go at once when the answer closes nothing
            started.question = StartedQuestion(info.path);
        }
        return started;
    }
    return std::nullopt;
}

std::optional<CloseRequest> ProcessCheck::Answered(Started started, Answer answer) {
    withdrawn_ = answer == Answer::Withdrawn;
    if (answer != Answer::Close && answer != Answer::ForceClose) return std::nullopt;
    const ProcessInfo& info = started.process;
    const bool held = started.hold && started.hold->Held();
    return CloseRequest{{ImageName(info.path), info.path, info.pid, info.started, answer == Answer::ForceClose, held,
                         started.entry.window, info.frame},
                        std::move(started.hold)};
}

std::vector<Report> ProcessCheck::End(CheckPlatform& platform) {
    running_ = false;
    std::vector<Report> reports;
    if (withdrawn_) return reports;
    if (platform.Settings().closeNotices)
        for (const WindowEntry& entry : closed_) {
            const auto known = known_.find(entry.window);
            const ProcessInfo info = known != known_.end() ? known->second : ProcessInfo{0, kUnknownPath};
            if (!info.korimo)
                reports.push_back({L"关闭进程", ProcessNotice(entry.title, info.path, info.pid),
                                   ClosedLogEntry(entry.title, info.path, info.pid)});
        }
    // A window that changed its title keeps its process: only windows that have gone are forgotten.
    std::unordered_set<std::uintptr_t> open;
    for (const WindowEntry& entry : current_) open.insert(entry.window);
    for (const WindowEntry& entry : closed_)
        if (!open.count(entry.window)) known_.erase(entry.window);
    return reports;
}

} // namespace korimo::procmon
