// Closing a program on the user's answer through the one-line batch file "tasklill.bat" in the program folder.
#pragma once

#include <windows.h>

#include <string>

#include "procmon/close_plan.h"

namespace korimo::procmon {

// Closes the process asked about and the other running instances of its executable file, by their process ids
// (PlanClose), through the batch file run by the system's own cmd.exe without a console window (a console of
// our own would be reported as a started program). Tells the user (in a message box owned by `owner`) when the
// program has already ended, when the desktop shell was spared, and when the file cannot be written or run.
// True once the batch runs.
bool CloseByImageName(HWND owner, const std::wstring& appFolder, const CloseOrder& order);

} // namespace korimo::procmon
