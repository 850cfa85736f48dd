// Writing the log to files, the journal of the running log and its recovery, and the name proposed for a log
// file from the clock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "alerts/log_file.h"

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

// A log file's bytes: the text in the given ANSI code page when it holds every character, byte for byte and
// without a byte-order mark; otherwise UTF-8 after a byte-order mark, so no character is ever lost.
std::string LogFileBytes(std::wstring_view text, UINT codePage);

// Writes the log text and one CR LF (LogFileBytes, in the system's code page), replacing the file. The text goes
// to a temporary file beside it first, so a full disk or a cut-off write never destroys the log saved earlier
// under that name.
SaveResult SaveLogFile(const std::wstring& path, std::wstring_view logText);

// Adds the text at the end of the journal, in UTF-8; `fresh` makes a new journal (which must not exist yet) with
// a byte-order mark. A write that does not finish is cut back, so the journal only ever holds whole writes.
SaveResult WriteJournal(const std::wstring& path, std::wstring_view text, bool fresh);
// Every byte this process has given to journals so far: a journal is only ever appended to.
std::uint64_t JournalBytesWritten();

// Every journal in the log folder, left by runs that did not end in order, becomes a regular log file, oldest
// first: each named for the time of its last write and never replacing a file. A journal that cannot be turned
// is kept as it is, for the next start.
std::vector<JournalRecovery> RecoverJournals(std::wstring_view appFolder);

} // namespace korimo::alerts
