// Closing every process of an image name through the one-line batch file "tasklill.bat" in the program folder.
#pragma once

#include <windows.h>

#include <string>

namespace korimo::procmon {

// Writes the batch file and starts it minimised. Tells the user (in a message box owned by `owner`) when the
// name cannot be written safely or the file cannot be written or started.
bool CloseByImageName(HWND owner, const std::wstring& appFolder, const std::wstring& imageName, bool forced);

} // namespace korimo::procmon
