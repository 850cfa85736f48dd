// Writing the log to a file in the ANSI code page, and the name proposed for it from the clock.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

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

// Writes the log text and one CR LF, in the ANSI code page, replacing the file. The text goes to a temporary
// file beside it first, so a full disk or a cut-off write never destroys the log saved earlier under that name.
SaveResult SaveLogFile(const std::wstring& path, std::wstring_view logText);

// Adds the text, in the ANSI code page, at the end of the journal; `fresh` starts the journal anew with it.
SaveResult WriteJournal(const std::wstring& path, std::wstring_view text, bool fresh);

// A journal left by a run that did not end in order becomes a regular log file, named for the time of its last
// write and never replacing a file. Returns the new file's path; empty when there was no journal or it could
// not be turned (it is then kept for the next start).
std::wstring RecoverJournal(std::wstring_view appFolder);

} // namespace korimo::alerts
