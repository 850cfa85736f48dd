#include "alerts/log_keeper.h"

#include <algorithm>
#include <utility>

namespace korimo::alerts {

namespace {
constexpr wchar_t kSavedAtExit[] = L"程序正在结束，日志已保存";

std::wstring DiskTimedOut(std::wstring logFolder) {
    if (logFolder.ends_with(L'\\')) logFolder.pop_back();
    return L"磁盘在 " + std::to_wstring(kExitDiskWaitMs / 1000) + L" 秒内没有响应，日志没能保存，Korimo 不再等待。\n\n" +
           L"日志的实时记录文件留在文件夹\n" + logFolder + L"\n中，下次启动 Korimo 时会把它恢复为日志文件。";
}
} // namespace

// The journal's timer is served only when nothing else waits, so a flood of appends would hold it back: an
// append that finds the oldest entry the writer lacks a period old hands the journal over itself.
JournalTimer LogKeeper::Append(std::wstring_view entry) {
    if (entry.empty() || ended_) return JournalTimer::Keep;
    model_.Append(entry);
    if (!autoSaveOn_) return JournalTimer::Keep;
    if (!JournalPending()) {
        pendingSince_ = disk_.NowMs();
        return JournalTimer::Start;
    }
    if (disk_.NowMs() - pendingSince_ < kJournalMs) return JournalTimer::Keep;
    HandOverRest();
    return JournalTimer::Stop;
}

void LogKeeper::HandOver() {
    if (!ended_) HandOverRest();
}

// One hand-over a period: a burst of entries costs the writer one write, and the journal is only appended to. A
// new journal (the first, or the one after the automatic save was ticked again) gets the whole log.
void LogKeeper::HandOverRest() {
    pendingSince_ = kNothingPending;
    if (!autoSaveOn_ || (handedOver_ > 0 && handedOver_ == model_.Size())) return;
    disk_.HandToJournal(model_.Since(handedOver_));
    handedOver_ = model_.Size();
}

JournalTimer LogKeeper::AutoSaveSwitched(bool on) {
    if (ended_) return JournalTimer::Stop;
    autoSaveOn_ = on;
    pendingSince_ = kNothingPending;
    disk_.RemoveJournal();
    handedOver_ = 0;
    if (!on) return JournalTimer::Stop;
    pendingSince_ = disk_.NowMs(); // a new journal with the whole log
    return JournalTimer::Start;
}

// While the end runs its own messages say what became of the log; a failure then waits for it.
void LogKeeper::TellJournalFailure(LogUser& user) {
    if (!ended_) TellFirstFailure(user);
}

// Only what will happen: the save at the end is tried again, and where it fails the user is asked where to put
// the log; until then a kill or a crash loses what the journal lacks.
void LogKeeper::TellFirstFailure(LogUser& user) {
    const std::vector<JournalFailure> failures = disk_.TakeJournalFailures();
    if (failures.empty() || !autoSaveOn_ || std::exchange(journalFailureTold_, true)) return;
    user.Tell(L"日志无法写入实时记录文件：\n" + failures.front().journal + L"\n\n" + failures.front().reason +
              L"\n\nKorimo 被强行结束或系统崩溃时，此后的日志会丢失。程序正常结束时会再次尝试保存日志，不能保存时会"
              L"请你另存到其他位置。");
}

void LogKeeper::SaveAs(LogUser& user) {
    if (ended_) return;
    const std::wstring proposed = disk_.ProposedLogPath(folder_);
    const auto slash = proposed.find_last_of(L'\\');
    const std::wstring path = user.AskSavePath(proposed.substr(0, slash), proposed.substr(slash + 1));
    if (!path.empty()) SaveTo(path, user);
}

// During the run a save is the user's own and waits for the disk; at the end the writer saves, for a bounded time.
SaveResult LogKeeper::SaveNow(const std::wstring& path) {
    if (!ended_) return disk_.Save(path, model_.Text());
    const SaveResult result = disk_.SaveAtEnd(path, model_.Text(), deadline_);
    diskTimedOut_ = diskTimedOut_ || result.timedOut;
    return result;
}

bool LogKeeper::SaveTo(const std::wstring& path, LogUser& user) {
    const SaveResult result = SaveNow(path);
    if (!result.ok) {
        if (!result.timedOut) user.Tell(L"日志无法保存到：\n" + path + L"\n\n" + result.error);
        return false;
    }
    if (!WroteThisRun(path)) written_.push_back(path);
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
// whatever the choice, the program then ends. A disk that does not answer is asked nothing more.
bool LogKeeper::SaveAtExit(LogUser& user) {
    const std::wstring path = ExitSavePath(folder_);
    const SaveResult result = SaveNow(path);
    if (result.ok) written_.push_back(path);
    if (result.ok || result.timedOut) return result.ok;
    if (!user.Ask(L"日志无法自动保存到：\n" + path + L"\n\n" + result.error + L"\n\n要把日志另存到其他位置吗？"))
        return false;
    const std::wstring chosen = user.AskSavePath(disk_.DocumentsFolder(), path.substr(path.find_last_of(L'\\') + 1));
    deadline_ = disk_.NowMs() + kExitDiskWaitMs; // the time spent in the dialogs was the user's, not the disk's
    return !chosen.empty() && SaveTo(chosen, user);
}

// At the end of a session no message may hold the shutdown up and nobody can be asked: the log goes to its
// folder, else to the spare one.
bool LogKeeper::SaveAtSessionEnd() {
    for (const std::wstring* folder : {&folder_, &spareFolder_}) {
        if (folder->empty() || diskTimedOut_) continue;
        const std::wstring path = ExitSavePath(*folder);
        if (SaveNow(path).ok) {
            written_.push_back(path);
            return true;
        }
    }
    return false;
}

// The rest of the log goes to the journal first, so that it holds the whole log should the disk not answer in
// time; when no save succeeded the journal stays for the next start to recover: the last resort, so the log is
// never lost without a word. Once the log is saved the journal goes before anyone is told, so a log-off while
// the news is on screen leaves nothing to recover a second time.
void LogKeeper::End(LogEnd how, LogUser& user) {
    if (std::exchange(ended_, true)) return;
    const bool sessionEnding = how == LogEnd::SessionEnding;
    deadline_ = disk_.NowMs() + (sessionEnding ? kSessionEndDiskWaitMs : kExitDiskWaitMs);
    if (!autoSaveOn_) { // switched off: there is no journal
        disk_.FinishJournal(false, deadline_);
        return;
    }
    HandOverRest();
    const bool saved = sessionEnding ? SaveAtSessionEnd() : SaveAtExit(user);
    diskTimedOut_ = !disk_.FinishJournal(!saved, deadline_) || diskTimedOut_;
    if (sessionEnding) return;
    if (saved) {
        user.Announce(kSavedAtExit);
    } else if (diskTimedOut_) {
        user.Tell(DiskTimedOut(LogFolder(folder_)));
    } else {
        TellFirstFailure(user); // the journal is what keeps the log now
    }
}

} // namespace korimo::alerts
