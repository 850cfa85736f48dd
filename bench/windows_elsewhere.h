// Titled windows of another process, for the benchmarks of the process monitor: drives the helper program
// korimo_window_host.exe (built beside the benchmarks), one command at a time, each done when it returns.
#pragma once

#include <windows.h>

#include <string>

namespace korimo::bench {

class WindowsElsewhere {
public:
    WindowsElsewhere() {
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE childInput = nullptr, childOutput = nullptr;
        CreatePipe(&childInput, &commands_, &inherit, 0);
        CreatePipe(&answers_, &childOutput, &inherit, 0);
        SetHandleInformation(commands_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(answers_, HANDLE_FLAG_INHERIT, 0);
        std::wstring path(MAX_PATH, L'\0');
        path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
        path = path.substr(0, path.find_last_of(L'\\') + 1) + L"korimo_window_host.exe";
        std::wstring commandLine = L"\"" + path + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        started_ = CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &info_);
        CloseHandle(childInput);
        CloseHandle(childOutput);
    }
    ~WindowsElsewhere() {
        CloseHandle(commands_); // the helper closes its windows and ends
        if (started_) {
            WaitForSingleObject(info_.hProcess, 10000);
            CloseHandle(info_.hThread);
            CloseHandle(info_.hProcess);
        }
        CloseHandle(answers_);
    }
    WindowsElsewhere(const WindowsElsewhere&) = delete;
    WindowsElsewhere& operator=(const WindowsElsewhere&) = delete;

    bool Started() const { return started_; }
    // Opens `count` windows titled `prefix` + 0, 1, ...
    bool Open(int count, const std::wstring& prefix) { return Send(L"open " + std::to_wstring(count) + L" " + prefix); }
    // Gives the window opened `index`-th a new title.
    bool Retitle(int index, const std::wstring& title) { return Send(L"title " + std::to_wstring(index) + L" " + title); }
    // Closes every window opened so far.
    bool CloseAll() { return Send(L"close"); }

private:
    bool Send(const std::wstring& command) {
        const std::wstring line = command + L"\n";
        DWORD done = 0;
        char answer = 0;
        return started_ &&
               WriteFile(commands_, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &done, nullptr) &&
               ReadFile(answers_, &answer, 1, &done, nullptr) && done == 1;
    }

    HANDLE commands_ = nullptr, answers_ = nullptr;
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

} // namespace korimo::bench
