// What a change of scaling costs while Korimo runs: the main window with the log panel open under it is told
// that its DPI changed (as Windows tells a per-monitor aware program when the user changes the scale or drags
// the window to another monitor), and lays both out afresh at the new DPI, against building the two afresh at
// that DPI (load with the same log, open the panel). Each is followed by the message loop, which paints what changed. The two are
// measured in turn in short batches, going to 144 dpi and back to 96; the figure is the median of the batches'
// ratios, so a stall of this shared machine falls on both alike.
// Target: re-layout / building afresh <= 1.0.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "app/frmmain.h"
#include "bench/bench_support.h"
#include "bench/target.h"
#include "tests/win/quiet_services.h"
#include "ui/layout.h"

namespace {

using namespace korimo;
using namespace korimo::bench;

// The main window and the log panel, the panel open under it, as the user sees them.
struct Shown {
    explicit Shown(int dpi) {
        for (int i = 0; i < 200; ++i) // a log of some length, as after a while of running
            panels.log.AppendLogEntry(L"【建立文件】2026/1/1 12:00:00\r\n路径：C:\\文件夹\\文件" + std::to_wstring(i) +
                                      L".txt\r\n");
        loaded = main.Load(dpi, nullptr, nullptr) && panels.log.Load(dpi);
        if (!loaded) return;
        main.RestoreFromTray();
        main.OpenPanel(2);
        Pump();
    }
    test::QuietPanels panels;
    test::QuietHost host;
    app::frmmain main{panels.tray, {&panels.pro, &panels.dir, &panels.log}, host};
    bool loaded = false;
};

void TellDpi(HWND window, int fromDpi, int toDpi) {
    RECT now{};
    GetWindowRect(window, &now);
    RECT suggested{now.left, now.top, now.left + ui::RescaledPixels(now.right - now.left, fromDpi, toDpi),
                   now.top + ui::RescaledPixels(now.bottom - now.top, fromDpi, toDpi)};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(toDpi, toDpi), reinterpret_cast<LPARAM>(&suggested));
}

} // namespace

int wmain() {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    Targets targets;
    Shown running(96);
    if (!targets.Holds("the main window and the log panel open", running.loaded)) return targets.ExitCode();
    std::vector<double> ratios, relayouts, builds;
    int dpi = 96;
    for (int batch = 0; batch < 15; ++batch) {
        relayouts.push_back(Timed(4, [&] {
            const int next = dpi == 96 ? 144 : 96;
            TellDpi(running.main.Hwnd(), dpi, next);
            dpi = next;
            Pump();
        }));
        builds.push_back(Timed(4, [&] {
            Shown fresh(dpi == 96 ? 144 : 96);
            if (!fresh.loaded) std::printf("a window could not be built\n");
        }));
        ratios.push_back(relayouts.back() / builds.back());
    }
    std::printf("DPI change: re-layout of the main window and its open panel %.3f ms, building both afresh %.3f ms "
                "(medians of 15 batches of 4)\n",
                Median(relayouts) * 1e3, Median(builds) * 1e3);
    targets.AtMost("DPI change re-layout / building the windows afresh", Median(ratios), 1.0);
    return targets.ExitCode();
}
