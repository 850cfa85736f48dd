// Closing a program on the user's answer through the one-line batch file "tasklill.bat" in the program folder.
#pragma once

#include <windows.h>

#include <string>

#include "procmon/process_report.h"

namespace korimo::procmon {

// Writes the batch file and runs it with the system's own cmd.exe, without a console window (a console of our
// own would be reported as a started program). Tells the user (in a message box owned by `owner`) when no safe
// line can be written or the file cannot be written or run.
bool CloseByImageName(HWND owner, const std::wstring& appFolder, const CloseOrder& order);

} // namespace korimo::procmon
