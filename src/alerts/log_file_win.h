// Writing the log to files, the journal of the running log and its recovery, and the name proposed for a log
// file from the clock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "alerts/log_file.h"
#include "ui/handle.h"

namespace korimo::alerts {

struct SaveResult {
    bool ok = false;
    std::wstring error; // the system's words, when the save failed
};

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

// This run's journal: made under the first free journal name of the log folder at its first write, in UTF-8 after
// a byte-order mark, and held open until the run ends, so that no other process may delete or rename it
// meanwhile (another copy of Korimo, of another user or session, recovers only journals nobody holds). Each
// write is appended and flushed to the disk; a write that does not finish is cut back, so the journal only ever
// holds whole writes. A killed run leaves it closed by the system, whole, for the next start.
class Journal {
public:
    // `folder` holds the log folder (the program folder or the user's own, ending in "\").
    explicit Journal(std::wstring folder) : folder_(std::move(folder)) {}
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Adds the text at the end (the first write makes the journal).
    SaveResult Append(std::wstring_view text);
    bool IsOpen() const { return file_.Valid(); }
    // The journal's path; empty until it has been made.
    const std::wstring& Path() const { return path_; }
    // Lets go of it, keeping the file for the next start.
    void Close();
    // Closes and deletes it: the log it held has been saved, or is no longer to be kept.
    void Remove();

private:
    SaveResult Open();

    std::wstring folder_;
    std::wstring path_;
    ui::Handle file_;
};
// Every byte this process has given to journals so far: a journal is only ever appended to.
std::uint64_t JournalBytesWritten();

// Every journal in the log folder left by a run that did not end in order becomes a regular log file, oldest
// first: each named for the time of its last write and never replacing a file. A journal that cannot be turned
// is kept as it is, for the next start. A journal some process holds open belongs to a copy of Korimo that is
// running (another user's, another session's): it is left alone and not listed.
std::vector<JournalRecovery> RecoverJournals(std::wstring_view appFolder);

} // namespace korimo::alerts
