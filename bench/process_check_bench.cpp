// The cost of the process check against the walk it rests on. With 250 titled windows of another process open
// (a copy of this program started with --open, since Korimo never reports its own windows), prints
// (measured in this one run):
//  - one check with nothing new / a bare walk of the same windows (GetWindow + GetWindowTextW), target <= 1.5:
//    a title that was already there is neither looked up nor has its process opened;
//  - the cost of a check in which 10 new windows appear, per new window.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <memory>
#include <vector>

#include "procmon/pro_form.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

int BareWalk() {
    int titled = 0;
    wchar_t title[256];
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT))
        titled += GetWindowTextW(window, title, 256) > 0;
    return titled;
}

HWND OpenWindow(const std::wstring& title) {
    return CreateWindowExW(0, L"STATIC", title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

// The helper: opens `count` windows titled `prefix` + number, says so, and lives until its standard input closes.
int OpenWindows(const std::wstring& prefix, int count) {
    for (int i = 0; i < count; ++i) OpenWindow(prefix + std::to_wstring(i));
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"KorimoBenchOpen " + prefix).c_str());
    SetEvent(ready);
    CloseHandle(ready);
    char byte;
    DWORD read = 0;
    ReadFile(GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &read, nullptr); // returns when the bench ends
    return 0;
}

// Another process with `count` titled windows, open until this object goes.
class WindowsElsewhere {
public:
    WindowsElsewhere(const std::wstring& prefix, int count) {
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, (L"KorimoBenchOpen " + prefix).c_str());
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE readEnd = nullptr;
        CreatePipe(&readEnd, &writeEnd_, &inherit, 0);
        SetHandleInformation(writeEnd_, HANDLE_FLAG_INHERIT, 0);
        wchar_t self[MAX_PATH]{};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring commandLine = L"\"" + std::wstring(self) + L"\" --open \"" + prefix + L"\" " + std::to_wstring(count);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = readEnd;
        CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info_);
        CloseHandle(readEnd);
        WaitForSingleObject(ready, 20000);
        CloseHandle(ready);
    }
    ~WindowsElsewhere() {
        CloseHandle(writeEnd_);
        WaitForSingleObject(info_.hProcess, 10000);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }

private:
    HANDLE writeEnd_ = nullptr;
    PROCESS_INFORMATION info_{};
};

template <class F> double Timed(int rounds, F&& body) {
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) body();
    return Seconds(Clock::now() - start) / rounds;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && std::wstring(argv[1]) == L"--open") return OpenWindows(argv[2], std::stoi(argv[3]));
    WindowsElsewhere background(L"基准窗口 ", 250);

    int reports = 0;
    korimo::procmon::pro_form panel({[](const std::wstring&, const std::wstring&) {}, [&](const std::wstring&) { ++reports; },
                     [](const std::wstring&) { return korimo::procmon::Answer::LetRun; }, L"C:\\"});
    if (!panel.Load(96)) return 1;
    KillTimer(panel.Hwnd(), 1); // checks run here by hand only

    const int rounds = 200;
    volatile int sink = 0;
    const double walk = Timed(rounds, [&] { sink = sink + BareWalk(); });
    const double check = Timed(rounds, [&] { panel.prodo_Click(); });
    std::printf("process check with 250 titled windows of another process\n");
    std::printf("  bare walk: %.3f ms; check with nothing new: %.3f ms; check / walk: %.2f (target <= 1.5)\n",
                walk * 1e3, check * 1e3, check / walk);

    double perNew = 0;
    const int batches = 10;
    std::vector<std::unique_ptr<WindowsElsewhere>> added;
    for (int batch = 0; batch < batches; ++batch) {
        added.push_back(std::make_unique<WindowsElsewhere>(L"新窗口 " + std::to_wstring(batch) + L"-", 10));
        const auto start = Clock::now();
        panel.prodo_Click();
        perNew += Seconds(Clock::now() - start) / 10;
    }
    std::printf("  check in which 10 new windows appear: %.3f ms per new window (%d reported)\n",
                perNew / batches * 1e3, reports);
    panel.Unload(korimo::ui::UnloadMode::SessionEnding);
    return reports == 100 ? 0 : 1;
}
