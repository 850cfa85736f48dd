// The program's folder, the folder Korimo writes in, the Run value and the key that tells a second copy of the
// same program file.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korimo::app {

// Surrounding blanks removed, always ending in one "\" (a drive root such as C:\ gets no second one).
std::wstring NormaliseAppFolder(std::wstring_view folder);

// The folder part of a full program path ("C:\Tools\korimo.exe" -> "C:\Tools").
std::wstring FolderOfPath(std::wstring_view programPath);

// The program's file name without its extension ("C:\Tools\guard.exe" -> "guard").
std::wstring BaseNameWithoutExtension(std::wstring_view programPath);

// What the Run value holds while the program starts with Windows: the folder, "\" unless it ends in one, the
// file name without extension and ".EXE" ("C:\Tools" + "guard" -> "C:\Tools\guard.EXE"). The value is a command
// line: a path with a space in it is quoted ("\"C:\Program Files\Korimo\korimo.EXE\""), or Windows would try
// "C:\Program.exe" first at every log-on.
std::wstring RunValueFor(std::wstring_view folder, std::wstring_view baseName);
// The program a Run value starts, quoted or not ("\"C:\a b\k.EXE\"" and "C:\ab\k.EXE" give the path itself).
std::wstring ProgramOfRunValue(std::wstring_view value);

// A click on any of the three settings boxes rewrites the Run value: the program's Run path while "开机时启动" is
// ticked, empty otherwise.
std::wstring RunValueToWrite(bool startWithWindows, std::wstring_view programPath);
// Whether a failed write is told: only when the click ticked "开机时启动" (box 1) itself. The box must not claim a
// start with Windows that does not exist; a rewrite caused by the other two boxes, or an untick, stays silent.
bool TellRunValueFailure(int boxIndex, bool startWithWindows);

// Task Manager's "启动应用" page and Settings keep a binary state beside each Run entry: its first byte is even
// while the entry is switched on and odd once the user switched it off there, and Windows then skips the entry.
bool StartupEntrySwitchedOff(std::span<const std::uint8_t> state);
// What the user is told when the Run value was written but Windows has that entry switched off.
std::wstring StartupSwitchedOffNotice(std::wstring_view valueName);

// A name for the single-instance mutex from the program file's identity (its volume's serial number and its
// index on that volume): the same however the path to the file is spelt (another letter case, a short name, a
// symbolic link, a subst drive, a network path), different for another file.
std::wstring InstanceKey(std::uint32_t volumeSerial, std::uint64_t fileIndex);
// The same from the path's text, for a program file whose identity cannot be read: the same for every letter
// case and either slash, different for another path.
std::wstring InstanceKey(std::wstring_view programPath);

// Where Korimo writes its log folder and its batch file: the program folder when it takes files; otherwise the
// user's own folder (%LOCALAPPDATA%\Korimo\, as in C:\Program Files for a user who is not an administrator),
// when that one does; otherwise the program folder still, and each failure is told when it happens.
std::wstring DataFolder(const std::wstring& appFolder, bool appFolderTakesFiles, const std::wstring& userFolder,
                        bool userFolderTakesFiles);
// The tray notice that says once where the log goes now; empty while it goes beside the program.
std::wstring DataFolderNotice(const std::wstring& appFolder, const std::wstring& dataFolder);

} // namespace korimo::app
