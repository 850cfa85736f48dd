// The cost of the process check against the walk it rests on, with 250 titled windows of another program open
// (korimo_window_host.exe) and the process monitor shown with its default settings, its reports going to the
// real event log and tray icon. Every check is followed by the message loop, so the repaint of what it changed
// and the batched log update are paid for. Prints, measured in this one run, against a bare walk of the same
// windows (GetWindow + GetWindowTextW):
//  - a check in which nothing changed, target <= 1.5: a title that was already there is neither looked up nor
//    has its process opened, and the lists are left alone;
//  - a check in which one window's title changed (a clock in a title, the commonest change on a desktop), target
//    <= 3: such a check happens on every tick while the clock runs, so it may cost the walk, the changed
//    window's lookup and its two entries (closed and started), but not a rebuild of everything shown;
//  - a check in which 10 new windows appear, per new window, and that each was reported.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/reporting_monitor.h"
#include "bench/target.h"
#include "bench/windows_elsewhere.h"

namespace {

using namespace korimo;
using namespace korimo::bench;

int BareWalk() {
    int titled = 0;
    wchar_t title[256];
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT))
        titled += GetWindowTextW(window, title, 256) > 0;
    return titled;
}

} // namespace

int wmain() {
    SetProcessDPIAware();
    WindowsElsewhere elsewhere;
    if (!elsewhere.Open(250, L"基准窗口 ")) return 1;

    ReportingMonitor monitor;
    if (!monitor.Load()) return 1;
    ShowWindow(monitor.panel.Hwnd(), SW_SHOWNOACTIVATE);
    Pump();
    const auto check = [&] { monitor.Check(); };
    const alerts::LogModel& log = monitor.log.Log();

    Targets targets;
    volatile int sink = 0;
    const auto walk = [&] { sink = sink + BareWalk(); };
    // Walks and checks in turn, so that a stall of this shared machine falls on both alike.
    std::vector<double> walks, still, stillRatios, retitled, retitledRatios;
    for (int batch = 0; batch < 20; ++batch) {
        walks.push_back(Timed(10, walk));
        still.push_back(Timed(10, check));
        stillRatios.push_back(still.back() / walks.back());
    }
    for (int tick = 0; tick < 40; ++tick) {
        elsewhere.Retitle(0, L"时钟 12:00:" + std::to_wstring(tick));
        const auto start = Clock::now();
        check();
        retitled.push_back(SecondsSince(start));
        retitledRatios.push_back(retitled.back() / Timed(1, walk));
    }
    std::printf("process check with 250 titled windows of another program (medians)\n");
    std::printf("  bare walk: %.3f ms; check with nothing new: %.3f ms; check in which one title changed: %.3f ms\n",
                Median(walks) * 1e3, Median(still) * 1e3, Median(retitled) * 1e3);
    targets.AtMost("process check with nothing new / bare walk", Median(stillRatios), 1.5);
    targets.AtMost("process check with one title changed / bare walk", Median(retitledRatios), 3);

    double perNew = 0;
    const int batches = 10;
    const std::size_t startedBefore = Count(log.Text(), L"【开启进程】");
    for (int batch = 0; batch < batches; ++batch) {
        elsewhere.Open(10, L"新窗口 " + std::to_wstring(batch) + L"-");
        const auto start = Clock::now();
        check();
        perNew += SecondsSince(start) / 10;
    }
    monitor.log.FlushViews();
    const std::size_t reported = Count(log.Text(), L"【开启进程】") - startedBefore;
    std::printf("  check in which 10 new windows appear: %.3f ms per new window (%zu of 100 reported)\n",
                perNew / batches * 1e3, reported);
    targets.Holds("process check: every new window reported", reported == 100);
    return targets.ExitCode();
}
