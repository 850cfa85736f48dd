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

// "<program folder>log\<short date># H# M.log" for the current local time.
std::wstring ProposedLogPath(std::wstring_view appFolder);

// Creates the folder of `path` when it is missing.
void EnsureFolderOf(const std::wstring& path);

// Writes the log text and one CR LF, in the ANSI code page, replacing the file. The text goes to a temporary
// file beside it first, so a full disk or a cut-off write never destroys the log saved earlier under that name.
SaveResult SaveLogFile(const std::wstring& path, std::wstring_view logText);

} // namespace korimo::alerts
