// The keeping of the event log, apart from its window: the log itself; when its journal is due a hand-over and
// when the journal may go; the saves at the end of a run, how long they may wait for the disk and what happens
// when one fails; which file names are taken. The system's side (the clock, the files, the journal's writer and
// its failures) comes through LogDisk and the window's messages and dialogs through LogUser, so every rule here
// runs in the unit tests. The keeper calls out and is called; it calls nothing back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "alerts/log_file.h"
#include "alerts/log_model.h"

namespace korimo::alerts {

// How long an append may wait before it is handed to the journal.
inline constexpr unsigned kJournalMs = 1000;
// How long the end of the log (its save and the journal's last write) may wait for the disk: a hung USB stick or
// network folder must not hold the exit, nor the end of a session, which Windows cuts short after about 5 s.
inline constexpr unsigned kExitDiskWaitMs = 10000;
inline constexpr unsigned kSessionEndDiskWaitMs = 3000;

struct JournalFailure {
    std::wstring journal; // its path, or the name it would have taken
    std::wstring reason;  // the system's words
};

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
    // The same at the end of the run, by the journal's writer after what it was handed: waits until `deadline`
    // (NowMs) at most, and then says it timed out.
    virtual SaveResult SaveAtEnd(const std::wstring& path, std::wstring_view logText, std::uint64_t deadline) = 0;
    // The journal's writer takes whole entries and writes them later, in order; nothing here waits for it. A
    // removal drops what it has not written yet.
    virtual void HandToJournal(std::wstring_view entries) = 0;
    virtual void RemoveJournal() = 0;
    // What the writer could not write since the last call.
    virtual std::vector<JournalFailure> TakeJournalFailures() = 0;
    // The writer writes what it holds, keeps the journal for the next start or removes it, and stops: false when
    // that was not done by `deadline`; the journal then stays as the disk has it.
    virtual bool FinishJournal(bool keep, std::uint64_t deadline) = 0;

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
    // `folder` holds the log folder; `autoSaveOn` is "自动保存日志" as the run starts (AutoSaveSwitched tells each
    // change); `spareFolder`, when not empty, takes the log at the end of a session whose save in `folder` failed,
    // since nobody may be asked then.
    LogKeeper(std::wstring folder, std::wstring spareFolder, bool autoSaveOn, LogDisk& disk)
        : folder_(std::move(folder)), spareFolder_(std::move(spareFolder)), autoSaveOn_(autoSaveOn), disk_(disk) {}

    const LogModel& Log() const { return model_; }
    // Adds a finished entry at the bottom of the log; an empty entry, or one that comes after End, changes
    // nothing, so the log saved at the end is the whole log.
    JournalTimer Append(std::wstring_view entry);

    // While the automatic save is on, what the log gains goes to the journal's writer at most a period after
    // it came, so a crash or a kill loses at most the last second or so; the journal goes when the log is saved
    // at the end and when the automatic save is switched off.
    bool JournalPending() const { return pendingSince_ != kNothingPending; }
    void HandOver();
    JournalTimer AutoSaveSwitched(bool on);
    // Takes the writer's failures from the disk; the first is told, once, while the log runs with a journal.
    void TellJournalFailure(LogUser& user);

    // "另存为…": the dialog proposes the log folder's name for now; a cancel writes nothing.
    void SaveAs(LogUser& user);
    // The automatic save, then the journal: removed once the log is saved, before anyone is told, else kept whole
    // for the next start. The disk is waited for kExitDiskWaitMs at most (kSessionEndDiskWaitMs at the end of a
    // session), the user's time in a dialog aside.
    void End(LogEnd how, LogUser& user);

private:
    static constexpr std::uint64_t kNothingPending = UINT64_MAX;

    void HandOverRest();
    bool SaveAtExit(LogUser& user);
    bool SaveAtSessionEnd();
    bool SaveTo(const std::wstring& path, LogUser& user);
    SaveResult SaveNow(const std::wstring& path);
    void TellFirstFailure(LogUser& user);
    bool WroteThisRun(const std::wstring& path);
    std::wstring ExitSavePath(const std::wstring& folder);

    LogModel model_;
    std::wstring folder_;
    std::wstring spareFolder_;
    bool autoSaveOn_;
    LogDisk& disk_;
    std::size_t handedOver_ = 0;                   // how much of the log the journal's writer has had
    std::uint64_t pendingSince_ = kNothingPending; // when the oldest entry the writer lacks came
    bool journalFailureTold_ = false;
    bool ended_ = false;
    bool diskTimedOut_ = false;         // at the end: the disk did not answer in time; nothing more is asked of it
    std::uint64_t deadline_ = 0;        // at the end: until when the disk is waited for
    std::vector<std::wstring> written_; // the files this run saved the log to
};

} // namespace korimo::alerts
