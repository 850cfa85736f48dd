#include "korimo_process.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../support/desktop.h"
#include "../support/tray_probe.h"
#include "ui/messages.h"

namespace korimo::e2e {

namespace {
std::wstring programPath;
std::wstring titledWindowPath;
} // namespace

void SetTitledWindowPath(std::wstring path) { titledWindowPath = test::WindowsPath(path); }
const std::wstring& TitledWindowPath() { return titledWindowPath; }

void SetProgramPath(std::wstring path) { programPath = test::WindowsPath(path); }

std::wstring ProgramFolder() { return programPath.substr(0, programPath.find_last_of(L'\\') + 1); }

std::wstring FolderFromEnvironment(const char* variable) {
    const char* value = std::getenv(variable);
    if (!value || !*value) return {};
    const std::wstring linux(value, value + std::strlen(value)); // the scripts' folders are plain ASCII
    return test::WindowsPath(linux) + L"\\";
}

bool PlaceProgramCopy() {
    std::wstring folder = FolderFromEnvironment("KORIMO_E2E_FOLDER");
    if (folder.empty()) {
        wchar_t temp[MAX_PATH]{};
        GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"korimo-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    }
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folder + L"korimo.exe";
    if (!CopyFileW(programPath.c_str(), copy.c_str(), FALSE)) return false;
    programPath = copy;
    return true;
}
const std::wstring& ProgramPath() { return programPath; }

std::wstring ProgramThroughAlias() {
    const std::wstring alias = FolderFromEnvironment("KORIMO_E2E_ALIAS");
    return alias.empty() ? alias : alias + programPath.substr(programPath.find_last_of(L'\\') + 1);
}

bool KorimoProcess::Start(bool waitReady) {
    STARTUPINFOW startup{sizeof(startup)};
    std::wstring commandLine = L"\"" + path_ + L"\"";
    // A copy that has just ended may still hold its file for a moment under Wine: try again briefly.
    for (int attempt = 0;; ++attempt) {
        if (CreateProcessW(path_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &info_))
            break;
        const DWORD error = GetLastError();
        if (attempt == 10) {
            std::fwprintf(stderr, L"cannot start %ls: error %lu\n", path_.c_str(), error);
            return false;
        }
        Sleep(500);
    }
    if (!waitReady) return true;
    const bool ready = test::WaitFor(
        [this] {
            main_ = test::FindTopLevel(Pid(), L"Korimo.frmmain");
            return main_ && test::FindTrayIcon(kTrayTip).has_value();
        },
        15000);
    // The start-up is over once the panels exist as well.
    return ready && test::WaitFor([this] { return Panel(L"Korimo.log_form") != nullptr; }, 5000);
}

bool KorimoProcess::HasExited(DWORD timeoutMs) const {
    return info_.hProcess && test::WaitForExit(info_.hProcess, timeoutMs);
}

HWND KorimoProcess::Panel(const wchar_t* className) const { return test::FindTopLevel(Pid(), className); }

HWND KorimoProcess::IconWindow() const { return test::FindTopLevel(Pid(), L"Korimo.TrayIcon"); }

// The shell lets the icon's owner take the foreground when it tells it of a key or a click on the icon.
void KorimoProcess::PressEnterOnTrayIcon() const {
    AllowSetForegroundWindow(Pid());
    PostMessageW(IconWindow(), korimo::ui::WM_KORIMO_TRAY, 0, NIN_KEYSELECT);
}

bool KorimoProcess::BringUpMainWindow() const {
    const auto icon = test::FindTrayIcon(kTrayTip);
    if (!icon) return false;
    test::DoubleClickTrayIcon(*icon);
    return test::WaitFor([this] { return IsWindowVisible(main_) != FALSE; }, 5000);
}

HWND KorimoProcess::WaitForMessageBox(DWORD timeoutMs) const {
    HWND box = nullptr;
    test::WaitFor([&] { return (box = test::FindTopLevel(Pid(), L"#32770")) && IsWindowVisible(box); }, timeoutMs);
    return box && IsWindowVisible(box) ? box : nullptr;
}

KorimoProcess::~KorimoProcess() {
    if (!info_.hProcess) return;
    if (!HasExited()) {
        if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
        // The log may announce its automatic save on the way out.
        for (int i = 0; i < 8 && !HasExited(500); ++i)
            if (HWND box = test::FindTopLevel(Pid(), L"#32770")) PostMessageW(box, WM_COMMAND, IDOK, 0);
        if (!HasExited(4000)) TerminateProcess(info_.hProcess, 1);
    }
    if (main_) { // a killed program leaves its icon behind; the next test must not see it
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = main_;
        Shell_NotifyIconW(NIM_DELETE, &data);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

POINT MainPointFromTwips(HWND main, int xTwips, int yTwips) {
    const RECT rect = test::WindowRectOf(main);
    const int width = rect.right - rect.left;
    return {rect.left + MulDiv(xTwips, width, 9525), rect.top + MulDiv(yTwips, width, 9525)};
}

} // namespace korimo::e2e
