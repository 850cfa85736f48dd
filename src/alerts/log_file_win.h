// Writing the log to files, the recovery of journals, the log's files and journal as the log keeper uses them,
// and the name proposed for a log file from the clock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "alerts/journal_win.h"
#include "alerts/log_file.h"
#include "alerts/log_keeper.h"

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
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
// Writes every byte, or gives the system's reason why not (ERROR_SUCCESS when all were written).
DWORD WriteAll(HANDLE file, std::string_view bytes);

// Writes the log text and one CR LF (LogFileBytes, in the system's code page), replacing the file. The text goes
// to a temporary file beside it first, so a full disk or a cut-off write never destroys the log saved earlier
// under that name. `flush` makes the file durable before it takes the name.
SaveResult SaveLogFile(const std::wstring& path, std::wstring_view logText, JournalFlush flush = &FlushFileBuffers);

// Every journal in the log folder left by a run that did not end in order becomes a regular log file, oldest
// first: each named for the time of its last write and never replacing a file. A journal that cannot be turned
// is kept as it is, for the next start. A journal some process holds open belongs to a copy of Korimo that is
// running (another user's, another session's): it is left alone and not listed.
std::vector<JournalRecovery> RecoverJournals(std::wstring_view appFolder);

// The log's files and its journal as the log keeper uses them.
class WinLogDisk final : public LogDisk {
public:
    WinLogDisk(std::wstring folder, JournalFlush flush)
        : folder_(folder), flush_(flush), writer_(std::move(folder), flush) {}

    JournalWriter& Writer() { return writer_; }

    std::uint64_t NowMs() override { return GetTickCount64(); }
    std::wstring ProposedLogPath(const std::wstring& folder) override;
    std::wstring DocumentsFolder() override;
    bool Exists(const std::wstring& path) override;
    bool SamePath(const std::wstring& a, const std::wstring& b) override;
    SaveResult Save(const std::wstring& path, std::wstring_view logText) override {
        return SaveLogFile(path, logText, flush_);
    }
    SaveResult SaveAtEnd(const std::wstring& path, std::wstring_view logText, std::uint64_t deadline) override {
        return writer_.Save(path, logText, deadline);
    }
    // Turns the journals of runs that did not end in order into log files (RecoverJournals).
    std::vector<JournalRecovery> RecoverJournals() { return alerts::RecoverJournals(folder_); }
    void HandToJournal(std::wstring_view entries) override { writer_.Append(entries); }
    void RemoveJournal() override { writer_.Remove(); }
    std::vector<JournalFailure> TakeJournalFailures() override { return writer_.TakeFailures(); }
    bool FinishJournal(bool keep, std::uint64_t deadline) override { return writer_.Finish(keep, deadline); }

private:
    std::wstring folder_;
    JournalFlush flush_;
    JournalWriter writer_;
};

} // namespace korimo::alerts
