// The journal of the running log and the thread that writes it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "alerts/log_keeper.h"
#include "ui/handle.h"

namespace korimo::alerts {

// How the journal's writer makes a write durable: FlushFileBuffers. A benchmark gives one as slow as a USB stick's
// or a network folder's, or one that hangs.
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
    std::wstring Where() const;
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

// The journal's writer: a thread of its own that writes and flushes the journal, and at the end saves the log
// file, so that the window thread never waits for the disk without bound (a flush on a USB stick, a network or a
// synced folder can take hundreds of milliseconds, on a hung one minutes). The window thread hands over whole
// entries and goes on; the writer takes all that waits in one write. A write that fails is kept and tried again
// before the next text, and the failure is queued for the window, which is told by a posted message. What is
// handed over (entries, the log to save at the end), the answers and the failures are all the two threads share,
// behind one lock, in a state the writer holds too: a writer the disk keeps past the end outlives this object.
class JournalWriter {
public:
    JournalWriter(std::wstring folder, JournalFlush flush);
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    // Finishes as a run that was not unloaded ends: the journal stays for the next start.
    ~JournalWriter();

    // Where to post `message` when a write failed.
    void TellFailuresTo(HWND window, UINT message);
    void Append(std::wstring_view entries);
    // Drops what is not written yet and deletes the journal; the next text starts a new one.
    void Remove();
    // Until everything handed over has been written (or has failed).
    void WaitUntilWritten();
    std::vector<JournalFailure> TakeFailures();
    // Writes the log file (SaveLogFile) after what was handed over, waiting until `deadline` (GetTickCount64) at
    // most while this thread's windows are served. A save not begun by then is dropped, and the result says it
    // timed out.
    SaveResult Save(const std::wstring& path, std::wstring_view logText, std::uint64_t deadline);
    // Writes what it holds, then keeps the journal or removes it, and stops; it takes nothing more. Waits until
    // `deadline` at most (serving this thread's windows when asked to): false when the writer did not stop by
    // then; it is left to the disk, and the journal holds what the disk was given.
    bool Finish(bool keep, std::uint64_t deadline, bool serveMessages = true);

private:
    struct State;
    bool Threaded();
    bool WaitFor(bool (*done)(const State&), std::uint64_t deadline, bool serveMessages);

    std::shared_ptr<State> state_;
    std::thread thread_;
    bool finished_ = false;
    bool unthreaded_ = false; // no thread could be made: the window thread writes
};

// Every byte this process has given to journals so far: a journal is only ever appended to.
std::uint64_t JournalBytesWritten();

} // namespace korimo::alerts
