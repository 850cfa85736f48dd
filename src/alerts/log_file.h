// Names and contents of the saved log files.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korimo::alerts {

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

// The journal of the running log, in the log folder: the log as far as it has been appended, in the log files'
// own format (without the closing CR LF), so that a crash or a kill loses at most the last second of it.
std::wstring JournalPath(std::wstring_view appFolder);

// What a log file holds: the whole log text followed by one CR LF.
std::wstring LogFileText(std::wstring_view logText);

} // namespace korimo::alerts
