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

// Clears a flag when the check ends, however it ends.
struct Running {
    explicit Running(bool& flag) : flag_(flag) { flag_ = true; }
    ~Running() { flag_ = false; }
    bool& flag_;
};
} // namespace

Answer AnswerFromPopup(int value) {
    switch (value) {
    case 1: return Answer::LetRun;
    case 2: return Answer::Close;
    case 3: return Answer::ForceClose;
    case -1: return Answer::Withdrawn; // Frm_Outputbox::kWithdrawn
    default: return Answer::None;
    }
}

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
    for (const WindowEntry& entry : current_) known_[entry.window] = platform.LookUp(entry);
}

bool ProcessCheck::Run(CheckPlatform& platform) {
    if (running_) return false;
    Running guard(running_);
    previous_ = std::move(current_);
    current_ = platform.ListWindows();
    const TitleChanges changes = CompareTitles(previous_, current_);
    // Copies: a question waits inside ReportStarted, and nothing may change the lists under the loop.
    const std::vector<WindowEntry> started = [&] {
        std::vector<WindowEntry> list;
        for (std::size_t i : changes.started) list.push_back(current_[i]);
        return list;
    }();
    for (const WindowEntry& entry : started)
        if (!ReportStarted(platform, entry)) return true;
    if (platform.Settings().closeNotices)
        for (std::size_t i : changes.closed) ReportClosed(platform, previous_[i]);
    // A window that changed its title keeps its process: only windows that have gone are forgotten.
    std::unordered_set<std::uintptr_t> open;
    for (const WindowEntry& entry : current_) open.insert(entry.window);
    for (std::size_t i : changes.closed)
        if (!open.count(previous_[i].window)) known_.erase(previous_[i].window);
    return true;
}

bool ProcessCheck::ReportStarted(CheckPlatform& platform, const WindowEntry& entry) {
    const ProcessInfo info = platform.LookUp(entry);
    known_[entry.window] = info;
    if (info.korimo) return true;
    platform.Report(L"开启进程", ProcessNotice(entry.title, info.path, info.pid),
                    StartedLogEntry(entry.title, info.path, info.pid));
    const CheckSettings settings = platform.Settings();
    if (!settings.prompts) return true;
    const std::wstring image = ImageName(info.path);
    for (const std::wstring& ignored : settings.ignored)
        if (!ignored.empty() && ignored == image) return true;
    std::unique_ptr<ProcessHold> hold = platform.Hold(info); // let go at once when the answer closes nothing
    const Answer answer = platform.Ask(StartedQuestion(info.path));
    if (answer == Answer::Close || answer == Answer::ForceClose) {
        const bool held = hold && hold->Held();
        platform.CloseByImageName({image, info.path, info.pid, info.started, answer == Answer::ForceClose, held},
                                  std::move(hold));
    }
    return answer != Answer::Withdrawn;
}

void ProcessCheck::ReportClosed(CheckPlatform& platform, const WindowEntry& entry) {
    const auto known = known_.find(entry.window);
    const ProcessInfo info = known != known_.end() ? known->second : ProcessInfo{0, kUnknownPath};
    if (info.korimo) return;
    platform.Report(L"关闭进程", ProcessNotice(entry.title, info.path, info.pid),
                    ClosedLogEntry(entry.title, info.path, info.pid));
}

} // namespace korimo::procmon
