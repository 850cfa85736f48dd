// The file monitor under a stream of notifications, in one process with the real windows: after a warm-up of
// 500, 10,000 "建立文件" notifications with distinct paths through SHChangeNotify, reported into the real event
// log (shown), the message loop running between bursts of 100 as the program's would; the views' last update
// is counted in the last burst. Prints, measured in this one run: the cost per notification of the last 1,000
// / of the first 1,000 (target: at most 2, however long the log grows), the notifications handled per second,
// and whether every one of them is an entry of the log.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <string>

#include "bench/bench_support.h"
#include "bench/reporting_monitor.h"
#include "bench/target.h"

namespace {

using namespace korimo::bench;

// Seconds spent on a burst of notifications and the messages they leave behind.
double Burst(const wchar_t* folder, int first, int count) {
    const auto start = Clock::now();
    for (int i = first; i < first + count; ++i) {
        const std::wstring path = std::wstring(folder) + L"文件" + std::to_wstring(i) + L".txt";
        SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW, path.c_str(), nullptr);
    }
    Pump();
    return SecondsSince(start);
}

} // namespace

int wmain() {
    SetProcessDPIAware();
    korimo::bench::ReportingMonitor program;
    korimo::alerts::log_form& log = program.log;
    if (!program.Load(true) || !program.files.IsRegistered()) return 1;
    ShowWindow(log.Hwnd(), SW_SHOW);

    const int warmUp = 500, total = 10000, window = 1000, burst = 100;
    for (int first = 0; first < warmUp; first += burst) Burst(L"C:\\基准\\预热\\", first, burst);
    double first = 0, last = 0, all = 0;
    for (int n = 0; n < total; n += burst) {
        const double spent = Burst(L"C:\\基准\\", n, burst);
        all += spent;
        if (n < window) first += spent;
        if (n >= total - window) last += spent;
        Sleep(2); // the program's other work between bursts
    }
    const auto flushStart = Clock::now();
    log.FlushViews();
    const double flush = SecondsSince(flushStart);
    last += flush;
    all += flush;

    const std::size_t entries = Count(log.Log().Text(), L"【建立文件】");
    Targets targets;
    std::printf("file monitor, %d notifications after %d of warm-up (log of %.1f MB)\n", total, warmUp,
                log.Log().Size() * 2 / 1e6);
    std::printf("  first 1,000: %.3f ms each; last 1,000: %.3f ms each; %.0f notifications handled per second\n",
                first / window * 1e3, last / window * 1e3, total / all);
    targets.AtMost("file monitor: cost of the last 1,000 notifications / of the first 1,000", last / first, 2);
    std::printf("  entries in the log: %zu of %d (the warm-up's included)\n", entries, warmUp + total);
    targets.Holds("file monitor: every notification is an entry of the log",
                  entries == static_cast<std::size_t>(warmUp + total));
    return targets.ExitCode();
}
