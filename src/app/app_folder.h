// The program's folder and the key that tells a second copy of the same program file.
#pragma once

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
// file name without extension and ".EXE" ("C:\Tools" + "guard" -> "C:\Tools\guard.EXE").
std::wstring RunValueFor(std::wstring_view folder, std::wstring_view baseName);

// A click on any of the three settings boxes rewrites the Run value: the program's Run path while "开机时启动" is
// ticked, empty otherwise.
std::wstring RunValueToWrite(bool startWithWindows, std::wstring_view programPath);
// Whether a failed write is told: only when the click ticked "开机时启动" (box 1) itself. The box must not claim a
// start with Windows that does not exist; a rewrite caused by the other two boxes, or an untick, stays silent.
bool TellRunValueFailure(int boxIndex, bool startWithWindows);

// A name for the single-instance mutex: the same for every spelling of one program file (Windows paths are
// case-insensitive), different for another file, and free of "\" which kernel object names may not hold.
std::wstring InstanceKey(std::wstring_view programPath);

} // namespace korimo::app
