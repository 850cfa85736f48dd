// The file monitor under a stream of notifications, in one process with the real windows: 10,000 "建立文件"
// notifications with distinct paths through SHChangeNotify, reported into the real event log, the message loop
// running between bursts as the program's would. Prints, measured in this one run: the cost per notification
// of the last 1,000 / of the first 1,000 (target: at most 2, however long the log grows), and the notifications
// handled per second.
#include <windows.h>

#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "alerts/log_form.h"
#include "filemon/dir_form.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

} // namespace

int wmain() {
    SetProcessDPIAware();
    korimo::alerts::log_form log(L"C:\\", [] { return false; });
    korimo::filemon::dir_form files({[&](std::wstring_view tail) { return log.Log().EndsWith(tail); },
                                     [&](const std::wstring& entry) {
                                         log.AppendLogEntry(entry);
                                         log.MoveCaretToEnd();
                                     },
                                     [](const std::wstring&, const std::wstring&) {}});
    if (!log.Load(96) || !files.Load(96) || !files.IsRegistered()) return 1;
    ShowWindow(log.Hwnd(), SW_SHOW);

    const int total = 10000, window = 1000;
    double first = 0, last = 0, all = 0;
    for (int burst = 0; burst < total / 100; ++burst) {
        const auto start = Clock::now();
        for (int i = 0; i < 100; ++i) {
            const std::wstring path = L"C:\\基准\\文件" + std::to_wstring(burst * 100 + i) + L".txt";
            SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, path.c_str(), nullptr);
        }
        Pump();
        const double spent = Seconds(Clock::now() - start);
        all += spent;
        if (burst < window / 100) first += spent;
        if (burst >= (total - window) / 100) last += spent;
        Sleep(2); // the program's other work between bursts
    }
    log.FlushViews();
    const bool whole = log.Log().Size() > korimo::alerts::LogModel::Header().size() + total * 40u;
    std::printf("file monitor, %d notifications (log of %.1f MB)\n", total, log.Log().Size() * 2 / 1e6);
    std::printf("  first 1,000: %.3f ms each; last 1,000: %.3f ms each; last / first: %.2f (target <= 2)\n",
                first / window * 1e3, last / window * 1e3, last / first);
    std::printf("  notifications handled per second: %.0f\n", total / all);
    std::printf("  every notification reported: %s\n", whole ? "yes" : "NO");
    files.Unload(korimo::ui::UnloadMode::SessionEnding);
    log.Unload(korimo::ui::UnloadMode::SessionEnding);
    return whole ? 0 : 1;
}
