// A flood of shell notifications the way the shell delivers them: its own thread hands one message per change to
// the file monitor's window, as fast as the window takes them. In one process, as in Korimo: the real dir_form
// and log_form (shown, the automatic save on, so the journal is written) and a real tray icon with notices on.
//
// Measured in this one run, nothing subtracted, the floor and the flood in turn a tenth at a time:
//  - the floor: naming the items of one notification (what the details builder asks of the shell: the display
//    name and the path) on a plain thread, on items of the same kind that nothing named before, in CPU time of
//    that thread as Korimo's thread is measured;
//  - Korimo's busy time per reported notification: the CPU time of Korimo's thread from the first notification
//    until the last entry is in the view, deferred work included (view updates, paint, journal, tray, flashes),
//    for 10,000 "建立文件" notifications of which every tenth repeats the one before (9,000 reported).
//    Target: busy / floor <= 1.5;
//  - the same for 10,000 notifications of a switched-off event ("更新文件"). Target: switched-off / reported <= 0.1;
//  - during the reported flood, how late a message posted to Korimo's thread (carrying its send time) is
//    dispatched, and how late a 100 ms timer of Korimo's thread fires. Targets: p99 <= 100 ms, longest <= 250 ms;
//  - at the end: every reported entry is in the log, and the balloon on screen shows the last report.
#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "../tests/support/tray_probe.h"
#include "alerts/log_form.h"
#include "alerts/log_form_layout.h"
#include "app/tray_win.h"
#include "filemon/dir_form.h"
#include "filemon/shell_win.h"
#include "target.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kTotal = 10000;
constexpr UINT kProbe = WM_APP + 71, kFloodOver = WM_APP + 72;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double CpuSeconds(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(thread, &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

std::size_t Count(std::wstring_view text, std::wstring_view what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::wstring_view::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

// Item lists of files nothing has named yet; every tenth notification repeats the one before it.
struct Flood {
    explicit Flood(const std::wstring& folder) {
        for (int i = 0; i < kTotal; ++i) {
            if (i % 10 == 9) {
                items.push_back(items.back());
                continue;
            }
            const std::wstring path = folder + L"\\文件" + std::to_wstring(i) + L".txt";
            pidls.push_back(SHSimpleIDListFromPath(path.c_str()));
            items.push_back({pidls.back(), nullptr});
        }
    }
    ~Flood() {
        for (LPITEMIDLIST pidl : pidls) CoTaskMemFree(pidl);
    }
    std::wstring LastPath() const { return korimo::filemon::GetPathFromPidl(pidls.back()); }
    std::vector<LPITEMIDLIST> pidls;
    std::vector<std::array<LPCITEMIDLIST, 2>> items;
};

// What the user waits for while a flood runs: posted messages (clicks, keys) and timers.
struct Latency {
    std::vector<double> posted, timer;
    Clock::time_point lastTick{};
    static double P99(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[std::min(v.size() - 1, v.size() * 99 / 100)];
    }
    static double Longest(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }
};
Latency g_latency;
std::atomic<bool> g_measuring{false};

void CALLBACK OnProbeTimer(HWND, UINT, UINT_PTR, DWORD) {
    const auto now = Clock::now();
    if (g_measuring && g_latency.lastTick != Clock::time_point{})
        g_latency.timer.push_back(std::max(0.0, Ms(now - g_latency.lastTick) - 100));
    g_latency.lastTick = now;
}

// Delivers notifications [first, end) of the flood from another thread and runs Korimo's message loop until the
// last entry is in the view. Returns the CPU seconds of Korimo's thread over it.
double RunFlood(const Flood& flood, std::size_t first, std::size_t end, LPARAM event, HWND target,
                korimo::alerts::log_form& log, bool probe) {
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &self, 0, FALSE, DUPLICATE_SAME_ACCESS);
    const DWORD mainThread = GetCurrentThreadId();
    std::atomic<bool> flooding{true};
    std::thread prober([&] {
        while (probe && flooding) {
            const auto sent = Clock::now().time_since_epoch().count();
            PostThreadMessageW(mainThread, kProbe, 0, static_cast<LPARAM>(sent));
            Sleep(10);
        }
    });
    const UINT_PTR timer = probe ? SetTimer(nullptr, 0, 100, &OnProbeTimer) : 0;
    g_latency.lastTick = {};
    g_measuring = probe;
    const double before = CpuSeconds(self);
    std::thread shell([&] {
        for (std::size_t i = first; i < end; ++i)
            SendMessageW(target, korimo::filemon::WM_CHANGE_NOTIFY, reinterpret_cast<WPARAM>(flood.items[i].data()), event);
        PostThreadMessageW(mainThread, kFloodOver, 0, 0);
    });
    HWND view = GetDlgItem(log.Hwnd(), korimo::alerts::IDC_LOG_TEXT);
    bool over = false;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kProbe) {
            g_latency.posted.push_back(Ms(Clock::now().time_since_epoch() - Clock::duration(msg.lParam)));
            continue;
        }
        if (msg.hwnd == nullptr && msg.message == kFloodOver) over = true;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (over && static_cast<std::size_t>(GetWindowTextLengthW(view)) == log.Log().Size()) break;
    }
    const double cpu = CpuSeconds(self) - before;
    g_measuring = false;
    flooding = false;
    shell.join();
    prober.join();
    while (PeekMessageW(&msg, nullptr, kProbe, kProbe, PM_REMOVE)) {
    } // posted while the loop was already over: not a wait of Korimo's
    if (timer) KillTimer(nullptr, timer);
    CloseHandle(self);
    return cpu;
}

// The floor: the naming a reported notification needs, items [first, end) of a set nothing named before, on a
// plain thread; the CPU seconds of that thread, as Korimo's thread is measured.
double NamingFloor(const Flood& flood, std::size_t first, std::size_t end) {
    double seconds = 0;
    std::thread plain([&] {
        CoInitialize(nullptr);
        const double before = CpuSeconds(GetCurrentThread());
        for (std::size_t i = first; i < end; ++i) {
            korimo::filemon::GetDisplayNameFromPidl(flood.pidls[i]);
            korimo::filemon::GetPathFromPidl(flood.pidls[i]);
        }
        seconds = CpuSeconds(GetCurrentThread()) - before;
        CoUninitialize();
    });
    plain.join();
    return seconds;
}

// A window that only names the items of each notification it is sent, as the details builder would: what a
// notification costs the receiving thread, delivery included, with nothing of Korimo's own.
LRESULT CALLBACK BareNamingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != korimo::filemon::WM_CHANGE_NOTIFY) return DefWindowProcW(window, msg, wParam, lParam);
    const auto* items = reinterpret_cast<const LPCITEMIDLIST*>(wParam);
    korimo::filemon::GetDisplayNameFromPidl(items[0]);
    korimo::filemon::GetPathFromPidl(items[0]);
    return 0;
}

HWND CreateBareNamingWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &BareNamingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KorimoBench.BareNaming";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
}

} // namespace

int wmain() {
    SetProcessDPIAware();
    korimo::bench::Targets targets;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / (L"korimo-flood-" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    korimo::alerts::log_form log(folder.wstring() + L"\\", [] { return true; });
    korimo::app::TrayIcon tray([] { return true; });
    korimo::filemon::dir_form files({[&](std::wstring_view tail) { return log.Log().EndsWith(tail); },
                                     [&](const std::wstring& entry) {
                                         log.AppendLogEntry(entry);
                                         log.MoveCaretToEnd();
                                     },
                                     [&](const std::wstring& title, const std::wstring& text) {
                                         tray.ShowTrayNotice(title, text, NIIF_INFO, L"", nullptr);
                                     }});
    if (!log.Load(96) || !files.Load(96)) return 1;
    ShowWindow(log.Hwnd(), SW_SHOW);
    if (!tray.AddTrayIcon(log.Hwnd(), LoadIconW(nullptr, IDI_APPLICATION))) return 1;

    const Flood floorItems(L"C:\\基准\\底"), reported(L"C:\\基准\\洪水"), switchedOff(L"C:\\基准\\关");
    const Flood warmUp(L"C:\\基准\\热身");
    const std::size_t entries = kTotal - kTotal / 10;
    RunFlood(warmUp, 0, kTotal, SHCNE_MKDIR, files.Hwnd(), log, false); // reported as 建立文件夹, not counted below
    NamingFloor(warmUp, 0, warmUp.pidls.size());                     // the plain thread's naming warm as well
    const double offMs = RunFlood(switchedOff, 0, kTotal, SHCNE_UPDATEITEM, files.Hwnd(), log, false) / kTotal * 1e3;
    // The floor and the flood in turn, a tenth at a time, so that both meet the same conditions of the machine.
    const Flood bareItems(L"C:\\基准\\裸");
    HWND bare = CreateBareNamingWindow();
    double floorSeconds = 0, busySeconds = 0, bareSeconds = 0;
    for (std::size_t part = 0; part < 10; ++part) {
        floorSeconds += NamingFloor(floorItems, part * entries / 10, (part + 1) * entries / 10);
        busySeconds += RunFlood(reported, part * kTotal / 10, (part + 1) * kTotal / 10, SHCNE_CREATE, files.Hwnd(), log, true);
        bareSeconds += RunFlood(bareItems, part * kTotal / 10, (part + 1) * kTotal / 10, SHCNE_CREATE, bare, log, false);
    }
    DestroyWindow(bare);
    const double floor = floorSeconds / entries * 1e3, busyMs = busySeconds / entries * 1e3;
    const double bareMs = bareSeconds / kTotal * 1e3;

    std::printf("flood of %d notifications from another thread (automatic save on)\n", kTotal);
    std::printf("  floor, naming one notification's items on a plain thread (its CPU time): %.3f ms\n", floor);
    std::printf("  Korimo's thread, busy per reported notification (everything it did): %.3f ms\n", busyMs);
    targets.AtMost("flood: busy per reported notification / naming floor", busyMs / floor, 1.5);
    std::printf("  a bare window on Korimo's thread that only names the items, sent the same way: %.3f ms per "
                "notification (%.2f x the floor; Korimo per reported notification: %.2f x it)\n",
                bareMs, bareMs / floor, busyMs / bareMs);
    std::printf("  Korimo's thread, busy per switched-off notification: %.3f ms\n", offMs);
    targets.AtMost("flood: switched-off / reported", offMs / busyMs, 0.1);
    std::printf("  posted messages: %zu, timer ticks: %zu during the flood\n", g_latency.posted.size(),
                g_latency.timer.size());
    targets.AtMost("flood: posted message wait, 99th percentile (ms)", Latency::P99(g_latency.posted), 100);
    targets.AtMost("flood: posted message wait, longest (ms)", Latency::Longest(g_latency.posted), 250);
    targets.AtMost("flood: 100 ms timer lateness, 99th percentile (ms)", Latency::P99(g_latency.timer), 100);
    targets.AtMost("flood: 100 ms timer lateness, longest (ms)", Latency::Longest(g_latency.timer), 250);
    targets.Holds("flood: the timer fired during the flood", g_latency.timer.size() >= 5);

    targets.Holds("flood: every reported notification is in the log",
                  Count(log.Log().Text(), L"【建立文件】") == entries);
    std::printf("  tray updates: %d\n", tray.NoticesSent());
    const std::wstring lastPath = reported.LastPath();
    targets.Holds("flood: the balloon shows the last report", korimo::test::WaitFor(
                                                                  [&] {
                                                                      const auto balloon = korimo::test::CurrentBalloon();
                                                                      return balloon && balloon->title == L"建立文件" &&
                                                                             balloon->text.find(lastPath) != std::wstring::npos;
                                                                  },
                                                                  8000));
    tray.RemoveTrayIcon();
    files.Unload(korimo::ui::UnloadMode::SessionEnding);
    log.Unload(korimo::ui::UnloadMode::SessionEnding);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return targets.ExitCode();
}
