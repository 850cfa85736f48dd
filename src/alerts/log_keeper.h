// The keeping of the event log, apart from its window: the log itself; when its journal is due a hand-over and
// when the journal may go; the saves at the end of a run and what happens when one fails; which file names are
// taken; how long the views wait between updates. The system's side (the clock, the files, the journal's writer)
// comes through LogDisk and the window's messages and dialogs through LogUser, so every rule here runs in the
// unit tests, and nothing here waits for the disk but the end of the run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "alerts/log_file.h"
#include "alerts/log_model.h"

namespace korimo::alerts {

// How long an append may wait before the views show it, and before it is handed to the journal. An update of the
// views that took long (a long log, wrapped, in a flood of entries) makes the next one wait nine times as long,
// up to kViewUpdateMaxMs, so that the views never take more than a tenth of the thread.
inline constexpr unsigned kViewUpdateMs = 100;
inline constexpr unsigned kViewUpdateMaxMs = 1000;
inline constexpr unsigned kJournalMs = 1000;

// The clock, the files and the journal's writer.
class LogDisk {
public:
    virtual std::uint64_t NowMs() = 0; // a steady count of milliseconds
    // "<folder>log\<short date># H# M.log" for the local time now, its folder made when missing, so that a dialog
    // can open in it.
    virtual std::wstring ProposedLogPath(const std::wstring& folder) = 0;
    virtual std::wstring DocumentsFolder() = 0;
    virtual bool Exists(const std::wstring& path) = 0;
    virtual bool SamePath(const std::wstring& a, const std::wstring& b) = 0;
    // Writes the log file whole (LogFileText) or not at all.
    virtual SaveResult Save(const std::wstring& path, std::wstring_view logText) = 0;
    // The journal's writer takes whole entries and writes them later, in order; nothing here waits for it. A
    // removal drops what it has not written yet. Finishing waits until what it holds is written, then keeps the
    // journal for the next start or removes it; the writer stops.
    virtual void HandToJournal(std::wstring_view entries) = 0;
    virtual void RemoveJournal() = 0;
    virtual void FinishJournal(bool keep) = 0;

protected:
    ~LogDisk() = default;
};

// The log window's side: its message boxes and its Save As dialog.
class LogUser {
public:
    virtual void Tell(const std::wstring& failure) = 0; // an error, with its OK button
    virtual void Announce(const std::wstring& news) = 0;
    virtual bool Ask(const std::wstring& question) = 0; // yes or no
    // The Save As dialog opening in `folder` with `fileName` proposed; empty when cancelled.
    virtual std::wstring AskSavePath(const std::wstring& folder, const std::wstring& fileName) = 0;

protected:
    ~LogUser() = default;
};

// How the run ends: in order, when the user may be asked, or with the session, when nobody may be.
enum class LogEnd { Closing, SessionEnding };

// What the window's journal timer is to do after a call. A started timer calls HandOver a period later.
enum class JournalTimer { Keep, Start, Stop };

class LogKeeper {
public:
    // `folder` holds the log folder; `autoSaveOn` says whether "自动保存日志" is ticked; `spareFolder`, when not
    // empty, takes the log at the end of a session whose save in `folder` failed, since nobody may be asked then.
    LogKeeper(std::wstring folder, std::wstring spareFolder, std::function<bool()> autoSaveOn, LogDisk& disk)
        : folder_(std::move(folder)), spareFolder_(std::move(spareFolder)), autoSaveOn_(std::move(autoSaveOn)),
          disk_(disk) {}

    const LogModel& Log() const { return model_; }
    // Adds a finished entry at the bottom of the log; an empty entry changes nothing.
    JournalTimer Append(std::wstring_view entry);

    // While the automatic save is on, what the log gains goes to the journal's writer at most a period after
    // it came, so a crash or a kill loses at most the last second or so; the journal goes when the log is saved
    // at the end and when the automatic save is switched off.
    bool JournalPending() const { return pendingSince_ != kNothingPending; }
    void HandOver();
    JournalTimer AutoSaveSwitched(bool on);
    // The writer could not write the journal: told once, while there is a journal to keep and someone to tell.
    void JournalFailed(const std::wstring& journal, const std::wstring& reason, LogUser& user);

    unsigned ViewDelayMs() const { return viewDelayMs_; }
    void ViewUpdateTook(std::uint64_t ms);

    // "另存为…": the dialog proposes the log folder's name for now; a cancel writes nothing.
    void SaveAs(LogUser& user);
    // The automatic save, then the journal: removed once the log is saved, else kept whole for the next start.
    void End(LogEnd how, LogUser& user);

private:
    static constexpr std::uint64_t kNothingPending = UINT64_MAX;

    bool SaveAtExit(LogUser& user);
    bool SaveAtSessionEnd();
    bool SaveTo(const std::wstring& path, LogUser& user, bool announce);
    bool WroteThisRun(const std::wstring& path);
    std::wstring ExitSavePath(const std::wstring& folder);

    LogModel model_;
    std::wstring folder_;
    std::wstring spareFolder_;
    std::function<bool()> autoSaveOn_;
    LogDisk& disk_;
    std::size_t handedOver_ = 0;                   // how much of the log the journal's writer has had
    std::uint64_t pendingSince_ = kNothingPending; // when the oldest entry the writer lacks came
    bool journalFailureTold_ = false;
    bool sessionEnding_ = false;
    unsigned viewDelayMs_ = kViewUpdateMs;
    std::vector<std::wstring> written_; // the files this run saved the log to
};

} // namespace korimo::alerts
