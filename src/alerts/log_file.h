// Names and contents of the saved log files.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korimo::alerts {

struct SaveResult {
    bool ok = false;
    std::wstring error;     // the system's words, when the save failed
    bool timedOut = false;  // the disk did not answer in the time the save was given
};

// The date part of a file name: the user's short date with every character that a file name cannot hold
// ("/", "\", ":" and the like, and control characters) replaced by "-". Blanks and dots at the end, which
// Windows drops from names, go too.
std::wstring FileNameSafe(std::wstring_view text);

// "<date># <hour># <minute>.log": hour and minute in decimal without a leading zero, each after one space.
std::wstring LogFileName(std::wstring_view date, int hour, int minute);

// The folder the logs go to: the program folder (ending in "\") and "log\".
std::wstring LogFolder(std::wstring_view appFolder);

// Where the automatic save writes: the proposed path, unless `taken` says a file is there that this run did not
// write (an earlier run of the same minute); then the first of "<name> (2).log", "<name> (3).log" … that is not
// taken. So a restart never replaces an earlier run's log.
std::wstring AutoSavePath(std::wstring_view proposed, const std::function<bool(const std::wstring&)>& taken);

// The journal of the running log, in the log folder: the log as far as it has been appended (without the
// closing CR LF), in UTF-8 after a byte-order mark, so that a crash or a kill loses at most the last second of it.
// Its first name is "korimo-journal.log"; a journal that a start could not turn into a log file stays where it
// is, and the run journals under the first free name of "korimo-journal (2).log", "korimo-journal (3).log" …
std::wstring JournalPath(std::wstring_view appFolder);
std::wstring FreeJournalPath(std::wstring_view appFolder, const std::function<bool(const std::wstring&)>& taken);
// 1 for "korimo-journal.log", n for "korimo-journal (n).log", 0 for a name that is no journal's.
int JournalNumber(std::wstring_view fileName);

// What became of one journal found at the start: the log file made from it, or why none could be made.
struct JournalRecovery {
    std::wstring journal;
    std::wstring savedTo; // empty when the journal could not be turned; it is then kept for the next start
    std::wstring error;
};

// The tray notice about the journals found at the start; empty when there were none.
std::wstring RecoveryNotice(std::wstring_view logFolder, const std::vector<JournalRecovery>& recoveries);

// What a log file holds: the whole log text followed by one CR LF.
std::wstring LogFileText(std::wstring_view logText);

} // namespace korimo::alerts
