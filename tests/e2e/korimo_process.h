// Starts the real korimo.exe and ends it again, whatever state a test left it in.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace korimo::e2e {

inline constexpr wchar_t kTrayTip[] = L"Korimo 正在保护你的电脑...";

// Set once from the command line: the program that opens a titled window for the process monitor to notice.
void SetTitledWindowPath(std::wstring path);
const std::wstring& TitledWindowPath();

// Set once from the command line: the korimo.exe under test.
void SetProgramPath(std::wstring path);
const std::wstring& ProgramPath();
// The folder of the program under test, ending in "\": where it writes its log folder.
std::wstring ProgramFolder();
// Copies the program into a fresh folder of its own and tests that copy, so the files it writes beside itself
// land there and not in the build tree: the folder scripts/test.sh names in KORIMO_E2E_FOLDER, or one in the temp
// folder.
bool PlaceProgramCopy();
// The same program file through a symbolic link to its folder (KORIMO_E2E_ALIAS); empty without one.
std::wstring ProgramThroughAlias();
// A folder of the Linux side named by an environment variable, as Wine's Z: drive sees it; empty when unset.
std::wstring FolderFromEnvironment(const char* variable);

class KorimoProcess {
public:
    // The program under test, or another copy of it.
    explicit KorimoProcess(std::wstring path = ProgramPath()) : path_(std::move(path)) {}
    KorimoProcess(const KorimoProcess&) = delete;
    KorimoProcess& operator=(const KorimoProcess&) = delete;
    ~KorimoProcess();

    // Starts the program; with `waitReady` also waits for its main window and its tray icon.
    bool Start(bool waitReady = true);
    bool HasExited(DWORD timeoutMs = 0) const;

    DWORD Pid() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    HWND Main() const { return main_; }
    HWND Panel(const wchar_t* className) const;
    // The window the shell tells the program's tray icon's events to.
    HWND IconWindow() const;
    // Enter on the program's tray icon, as the shell tells it: Wine's tray takes no keyboard focus.
    void PressEnterOnTrayIcon() const;
    // Double-clicks the program's tray icon as a user would; true once the main window is up.
    bool BringUpMainWindow() const;
    // A message box of the program, once it is on screen; null when none came within the time.
    HWND WaitForMessageBox(DWORD timeoutMs) const;

private:
    std::wstring path_;
    PROCESS_INFORMATION info_{};
    HWND main_ = nullptr;
};

// Main window's client point given in twips of its own layout (the window's size tells the scaling).
POINT MainPointFromTwips(HWND main, int xTwips, int yTwips);

} // namespace korimo::e2e
