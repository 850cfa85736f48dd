#include "alerts/log_keeper.h"

#include <algorithm>
#include <utility>

namespace korimo::alerts {

namespace {
constexpr wchar_t kSavedAtExit[] = L"程序正在结束，日志已保存";
} // namespace

// The journal's timer is served only when nothing else waits, so a flood of appends would hold it back: an
// append that finds the oldest entry the writer lacks a period old hands the journal over itself.
JournalTimer LogKeeper::Append(std::wstring_view entry) {
    if (entry.empty()) return JournalTimer::Keep;
    model_.Append(entry);
    if (!autoSaveOn_()) return JournalTimer::Keep;
    if (!JournalPending()) {
        pendingSince_ = disk_.NowMs();
        return JournalTimer::Start;
    }
    if (disk_.NowMs() - pendingSince_ < kJournalMs) return JournalTimer::Keep;
    HandOver();
    return JournalTimer::Stop;
}

// One hand-over a period: a burst of entries costs the writer one write, and the journal is only appended to. A
// new journal (the first, or the one after the automatic save was ticked again) gets the whole log.
void LogKeeper::HandOver() {
    pendingSince_ = kNothingPending;
    if (!autoSaveOn_() || (handedOver_ > 0 && handedOver_ == model_.Size())) return;
    disk_.HandToJournal(model_.Since(handedOver_));
    handedOver_ = model_.Size();
}

JournalTimer LogKeeper::AutoSaveSwitched(bool on) {
    pendingSince_ = kNothingPending;
    disk_.RemoveJournal();
    handedOver_ = 0;
    if (!on) return JournalTimer::Stop;
    pendingSince_ = disk_.NowMs(); // a new journal with the whole log
    return JournalTimer::Start;
}

// Only what will happen: the save at the end is tried again, and where it fails the user is asked where to put
// the log; until then a kill or a crash loses what the journal lacks.
void LogKeeper::JournalFailed(const std::wstring& journal, const std::wstring& reason, LogUser& user) {
    if (sessionEnding_ || !autoSaveOn_() || std::exchange(journalFailureTold_, true)) return;
    user.Tell(L"日志无法写入实时记录文件：\n" + journal + L"\n\n" + reason +
              L"\n\nKorimo 被强行结束或系统崩溃时，此后的日志会丢失。程序正常结束时会再次尝试保存日志，不能保存时会"
              L"请你另存到其他位置。");
}

void LogKeeper::ViewUpdateTook(std::uint64_t ms) {
    viewDelayMs_ = static_cast<unsigned>(std::clamp<std::uint64_t>(ms * 9, kViewUpdateMs, kViewUpdateMaxMs));
}

void LogKeeper::SaveAs(LogUser& user) {
    const std::wstring proposed = disk_.ProposedLogPath(folder_);
    const auto slash = proposed.find_last_of(L'\\');
    const std::wstring path = user.AskSavePath(proposed.substr(0, slash), proposed.substr(slash + 1));
    if (!path.empty()) SaveTo(path, user, false);
}

bool LogKeeper::SaveTo(const std::wstring& path, LogUser& user, bool announce) {
    const SaveResult result = disk_.Save(path, model_.Text());
    if (!result.ok) {
        user.Tell(L"日志无法保存到：\n" + path + L"\n\n" + result.error);
        return false;
    }
    if (!WroteThisRun(path)) written_.push_back(path);
    if (announce) user.Announce(kSavedAtExit);
    return true;
}

bool LogKeeper::WroteThisRun(const std::wstring& path) {
    return std::any_of(written_.begin(), written_.end(),
                       [&](const std::wstring& own) { return disk_.SamePath(own, path); });
}

// A file there that this run did not write (an earlier run of the same minute) is never replaced.
std::wstring LogKeeper::ExitSavePath(const std::wstring& folder) {
    return AutoSavePath(disk_.ProposedLogPath(folder), [this](const std::wstring& candidate) {
        return disk_.Exists(candidate) && !WroteThisRun(candidate);
    });
}

// When the log folder cannot take the file, the user is told where and why and may put the log elsewhere;
// whatever the choice, the program then ends.
bool LogKeeper::SaveAtExit(LogUser& user) {
    const std::wstring path = ExitSavePath(folder_);
    const SaveResult result = disk_.Save(path, model_.Text());
    if (result.ok) {
        written_.push_back(path);
        user.Announce(kSavedAtExit);
        return true;
    }
    if (!user.Ask(L"日志无法自动保存到：\n" + path + L"\n\n" + result.error + L"\n\n要把日志另存到其他位置吗？"))
        return false;
    const std::wstring chosen = user.AskSavePath(disk_.DocumentsFolder(), path.substr(path.find_last_of(L'\\') + 1));
    return !chosen.empty() && SaveTo(chosen, user, true);
}

// At the end of a session no message may hold the shutdown up and nobody can be asked: the log goes to its
// folder, else to the spare one.
bool LogKeeper::SaveAtSessionEnd() {
    for (const std::wstring* folder : {&folder_, &spareFolder_}) {
        if (folder->empty()) continue;
        const std::wstring path = ExitSavePath(*folder);
        if (disk_.Save(path, model_.Text()).ok) {
            written_.push_back(path);
            return true;
        }
    }
    return false;
}

// When no save succeeded the journal stays, holding the whole log, for the next start to recover: the last
// resort, so the log is never lost without a word.
void LogKeeper::End(LogEnd how, LogUser& user) {
    sessionEnding_ = how == LogEnd::SessionEnding;
    pendingSince_ = kNothingPending;
    if (!autoSaveOn_()) { // switched off: there is no journal
        disk_.FinishJournal(false);
        return;
    }
    const bool saved = sessionEnding_ ? SaveAtSessionEnd() : SaveAtExit(user);
    if (!saved) HandOver();
    disk_.FinishJournal(!saved);
}

} // namespace korimo::alerts
