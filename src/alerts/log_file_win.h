// Writing the log to files, the journal of the running log, its writer thread and its recovery, and the name
// proposed for a log file from the clock.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "alerts/log_file.h"
#include "alerts/log_keeper.h"
#include "ui/handle.h"

namespace korimo::alerts {

// "<program folder>log\<short date># H# M.log" for the current local time, or for the given one.
std::wstring ProposedLogPath(std::wstring_view appFolder);
std::wstring LogPathAt(std::wstring_view appFolder, const SYSTEMTIME& localTime);

// Creates the folder of `path` when it is missing.
void EnsureFolderOf(const std::wstring& path);
bool PathExists(const std::wstring& path);
// Whether a file can be made in the folder (made first when missing): a folder that only an administrator may
// write (C:\Program Files), a read-only share or a file standing at the folder's name cannot take one.
bool FolderTakesFiles(const std::wstring& folder);

// A log file's bytes: the text in the given ANSI code page when it holds every character, byte for byte and
// without a byte-order mark; otherwise UTF-8 after a byte-order mark, so no character is ever lost.
std::string LogFileBytes(std::wstring_view text, UINT codePage);

// Writes the log text and one CR LF (LogFileBytes, in the system's code page), replacing the file. The text goes
// to a temporary file beside it first, so a full disk or a cut-off write never destroys the log saved earlier
// under that name.
SaveResult SaveLogFile(const std::wstring& path, std::wstring_view logText);

// How the journal's writer makes a write durable: FlushFileBuffers. A benchmark gives one as slow as a USB stick's
// or a network folder's.
using JournalFlush = BOOL (*)(HANDLE file);

// This run's journal: made under the first free journal name of the log folder at its first write, in UTF-8 after
// a byte-order mark, and held open until the run ends, so that no other process may delete or rename it
// meanwhile (another copy of Korimo, of another user or session, recovers only journals nobody holds). Each
// write is appended and flushed to the disk; a write that does not finish is cut back, so the journal only ever
// holds whole writes. A killed run leaves it closed by the system, whole, for the next start.
class Journal {
public:
    // `folder` holds the log folder (the program folder or the user's own, ending in "\").
    Journal(std::wstring folder, JournalFlush flush) : folder_(std::move(folder)), flush_(flush) {}
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Adds the text at the end (the first write makes the journal).
    SaveResult Append(std::wstring_view text);
    bool IsOpen() const { return file_.Valid(); }
    // The journal's path, or the name it would take while it is not made.
    std::wstring Where() const { return IsOpen() ? path_ : JournalPath(folder_); }
    // Lets go of it, keeping the file for the next start.
    void Close();
    // Closes and deletes it: the log it held has been saved, or is no longer to be kept.
    void Remove();

private:
    SaveResult Open();

    std::wstring folder_;
    JournalFlush flush_;
    std::wstring path_;
    ui::Handle file_;
};

struct JournalFailure {
    std::wstring journal; // its path, or the name it would have taken
    std::wstring reason;  // the system's words
};

// The journal's writer: a thread of its own that writes and flushes the journal, so that the window thread never
// waits for the disk (a flush on a USB stick, a network or a synced folder can take hundreds of milliseconds).
// The window thread hands over whole entries and goes on; the writer takes all that waits in one write. A write
// that fails is kept and tried again before the next text, and the failure is queued for the window, which is
// told by a posted message. What is handed over, and the failures, are all the two threads share, behind one lock.
class JournalWriter {
public:
    JournalWriter(std::wstring folder, JournalFlush flush) : journal_(std::move(folder), flush) {}
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    // Finishes as a run that was not unloaded ends: the journal stays for the next start.
    ~JournalWriter() { Finish(true); }

    // Where to post `message` when a write failed.
    void TellFailuresTo(HWND window, UINT message);
    void Append(std::wstring_view entries);
    // Drops what is not written yet and deletes the journal; the next text starts a new one.
    void Remove();
    // Until everything handed over has been written (or has failed).
    void WaitUntilWritten();
    std::vector<JournalFailure> TakeFailures();
    // Writes what it holds, then keeps the journal or removes it, and stops; it takes nothing more.
    void Finish(bool keep);

private:
    bool Threaded();
    void Run();
    void Serve(std::wstring text, bool remove, bool finish, bool keep);
    void Write(std::wstring text);

    std::mutex mutex_;
    std::condition_variable wake_, written_;
    std::wstring handed_; // whole entries, not yet taken by the writer
    bool remove_ = false, finish_ = false, keep_ = true, busy_ = false, finished_ = false;
    bool unthreaded_ = false; // no thread could be made: the window thread writes
    std::vector<JournalFailure> failures_;
    HWND window_ = nullptr;
    UINT message_ = 0;
    std::thread thread_;

    // The writer thread's alone (the window thread's while there is no writer thread).
    Journal journal_;
    std::wstring unwritten_; // what a failed write did not get into the journal
};

std::vector<JournalRecovery> RecoverJournals(std::wstring_view appFolder);

// The log's files and its journal as the log keeper uses them.
class WinLogDisk final : public LogDisk {
public:
    WinLogDisk(std::wstring folder, JournalFlush flush) : folder_(folder), writer_(std::move(folder), flush) {}

    JournalWriter& Writer() { return writer_; }

    std::uint64_t NowMs() override { return GetTickCount64(); }
    std::wstring ProposedLogPath(const std::wstring& folder) override;
    std::wstring DocumentsFolder() override;
    bool Exists(const std::wstring& path) override;
    bool SamePath(const std::wstring& a, const std::wstring& b) override;
    SaveResult Save(const std::wstring& path, std::wstring_view logText) override;
    // Turns the journals of runs that did not end in order into log files (RecoverJournals).
    std::vector<JournalRecovery> RecoverJournals() { return alerts::RecoverJournals(folder_); }
    void HandToJournal(std::wstring_view entries) override { writer_.Append(entries); }
    void RemoveJournal() override { writer_.Remove(); }
    void FinishJournal(bool keep) override { writer_.Finish(keep); }

private:
    std::wstring folder_;
    JournalWriter writer_;
};

// Every byte this process has given to journals so far: a journal is only ever appended to.
std::uint64_t JournalBytesWritten();

// Every journal in the log folder left by a run that did not end in order becomes a regular log file, oldest
// first: each named for the time of its last write and never replacing a file. A journal that cannot be turned
// is kept as it is, for the next start. A journal some process holds open belongs to a copy of Korimo that is
// running (another user's, another session's): it is left alone and not listed.
std::vector<JournalRecovery> RecoverJournals(std::wstring_view appFolder);

} // namespace korimo::alerts
