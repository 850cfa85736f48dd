// Memory over a long run. A tray monitor runs for weeks, so what it holds may grow only with the log it keeps.
// In one process the real process monitor and event log (its reports to the log and to a real tray icon), with
// prompts off and close notices on; another program (korimo_window_host.exe) opens 100 titled windows, the check
// runs, it closes them, the check runs again: 20 rounds, 2,000 windows, 4,000 entries; with them each round, five
// more titled windows and, after a check, a second window to each of their titles: every window reported closed
// names its own process. After each round the views are brought up to date and the private bytes of this process
// are read.
// Prints, measured in this one run:
//  - the private bytes after each round;
//  - over the second 1,000 windows (the steady state), the growth of the private bytes / the log text added,
//    counted as UTF-16 once in the log model and once in each of its two views (3 x 2 bytes a character),
//    target <= 4;
//  - at the end, the processes the check remembers and the titles it holds, which must equal the titled
//    windows still open; every one of the 4,000 entries in the log, and both views holding the whole log.
#include <windows.h>

#include <psapi.h>
#include <windowsx.h>

#include <cstdio>
#include <string>

#include "alerts/log_form_layout.h"
#include "bench/bench_support.h"
#include "bench/reporting_monitor.h"
#include "bench/target.h"
#include "bench/windows_elsewhere.h"
#include "procmon/pro_form_layout.h"
#include "procmon/window_list_win.h"

namespace {

using namespace korimo;
using namespace korimo::bench;

// The private bytes of this process. Windows gives the same figure as PrivateUsage and as PagefileUsage; Wine 8
// gives 0 for PrivateUsage and fills PagefileUsage from the memory the process has written (measured: 50 MB
// written adds 52 MB), so that is the figure where PrivateUsage is 0.
struct Memory {
    double bytes;
    const char* what;
};
Memory MemoryInUse() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    if (counters.PrivateUsage) return {static_cast<double>(counters.PrivateUsage), "private bytes"};
    return {static_cast<double>(counters.PagefileUsage), "private bytes (PagefileUsage)"};
}

std::wstring ViewText(HWND view) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(view)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(view, text.data(), static_cast<int>(text.size()))));
    return text;
}

struct GuiCounts {
    DWORD gdi, user, handles;
};
GuiCounts ReadGuiCounts() {
    GuiCounts counts{GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
                     GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), 0};
    GetProcessHandleCount(GetCurrentProcess(), &counts.handles);
    return counts;
}

void SayGuiCounts(const GuiCounts& before, const GuiCounts& after) {
    if (!after.gdi && !after.user && !after.handles)
        std::printf("  GDI, USER and handle counts cannot be read here (GetGuiResources and GetProcessHandleCount "
                    "give 0 under Wine): a leak of them shows only in the memory figures\n");
    else
        std::printf("  GDI objects %lu -> %lu, USER objects %lu -> %lu, handles %lu -> %lu (GetGuiResources, "
                    "GetProcessHandleCount)\n",
                    before.gdi, after.gdi, before.user, after.user, before.handles, after.handles);
}

} // namespace

int wmain() {
    SetProcessDPIAware();
    WindowsElsewhere elsewhere;
    ReportingMonitor monitor;
    if (!elsewhere.Started() || !monitor.Load()) return 1;
    alerts::log_form& log = monitor.log;
    procmon::pro_form& panel = monitor.panel;
    SendMessageW(GetDlgItem(panel.Hwnd(), procmon::IDC_PRO_CHECK2_1), BM_CLICK, 0, 0); // no prompts
    SendMessageW(GetDlgItem(panel.Hwnd(), procmon::IDC_PRO_CHECK2_2), BM_CLICK, 0, 0); // close notices
    const auto check = [&] { monitor.Check(); };

    const int rounds = 20, perRound = 100, shared = 5;
    std::printf("soak: %d rounds of %d titled windows of another program opened and closed\n", rounds, perRound);
    const GuiCounts gui = ReadGuiCounts();
    Memory half{}, end{};
    std::size_t logAtHalf = 0;
    for (int round = 1; round <= rounds; ++round) {
        elsewhere.Open(perRound, L"浸泡窗口 " + std::to_wstring(round) + L"-");
        elsewhere.Open(shared, L"浸泡同名 ");
        check();
        elsewhere.Open(shared, L"浸泡同名 "); // a second window to each of those titles: not reported
        check();
        elsewhere.CloseAll();
        check();
        log.FlushViews();
        Pump();
        end = MemoryInUse();
        std::printf("  round %2d: %s %.2f MB, log %zu characters\n", round, end.what, end.bytes / 1e6,
                    log.Log().Size());
        if (round == rounds / 2) half = end, logAtHalf = log.Log().Size();
    }
    check(); // nothing changed: both title lists are of the windows open now
    SayGuiCounts(gui, ReadGuiCounts());

    Targets targets;
    const double textBytes = 3.0 * 2 * static_cast<double>(log.Log().Size() - logAtHalf);
    std::printf("  second half: %s grew %.3f MB; the log's text in the model and two views grew %.3f MB\n", end.what,
                (end.bytes - half.bytes) / 1e6, textBytes / 1e6);
    targets.AtMost("soak: memory growth / log text added, second 1,000 windows", (end.bytes - half.bytes) / textBytes,
                   4);

    const procmon::ProcessCheck& held = panel.Check();
    const std::size_t open = procmon::GetOpenWindowNames().size();
    const auto listed = static_cast<std::size_t>(ListBox_GetCount(GetDlgItem(panel.Hwnd(), procmon::IDC_PRO_PROCESS)));
    std::printf("  titled windows open: %zu; the check remembers %zu processes, holds %zu + %zu titles; the list "
                "shows %zu\n",
                open, held.Remembered(), held.TitlesBefore(), held.TitlesNow(), listed);
    targets.Holds("soak: the check holds only the windows still open",
                  held.Remembered() == open && held.TitlesBefore() == open && held.TitlesNow() == open &&
                      listed == open);

    const std::size_t started = Count(log.Log().Text(), L"【开启进程】\r\n标题：浸泡窗口 ");
    const std::size_t closed = Count(log.Log().Text(), L"【关闭进程】\r\n标题：浸泡窗口 ");
    std::printf("  entries: %zu started, %zu closed (of %d each)\n", started, closed, rounds * perRound);
    targets.Holds("soak: every started and closed window is an entry of the log",
                  started == static_cast<std::size_t>(rounds * perRound) && closed == started);
    targets.Holds("soak: a shared title's close names the process of the window that closed",
                  Count(log.Log().Text(), L"【关闭进程】\r\n标题：浸泡同名 ") == static_cast<std::size_t>(2 * rounds * shared) &&
                      Count(log.Log().Text(), L"（无法得知）") == 0 && Count(log.Log().Text(), L"路径：SYSTEM") == 0);
    const bool shownWhole = ViewText(GetDlgItem(log.Hwnd(), alerts::IDC_LOG_TEXT1)) == log.Log().Text();
    SendMessageW(GetDlgItem(log.Hwnd(), alerts::IDC_LOG_CHECK1), BM_CLICK, 0, 0); // the covered view comes out
    targets.Holds("soak: both views hold the whole log",
                  shownWhole && ViewText(GetDlgItem(log.Hwnd(), alerts::IDC_LOG_TEXT)) == log.Log().Text());
    return targets.ExitCode();
}
