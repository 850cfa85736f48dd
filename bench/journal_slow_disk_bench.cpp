// The journal on a slow disk. A flush on a USB stick, a network or a synced folder can take hundreds of
// milliseconds; the journal's writer thread takes it, so the window thread should not notice. The real log_form,
// shown, gets a trickle of reports (20 a second, posted from another thread as the monitors' events arrive) with
// the automatic save on, while a third thread posts a stamped message to the window thread every 5 ms. Phases
// alternate between the system's flush and one made to take 200 ms (the writer's seam), two of each, 8 s each.
// Prints, measured in this one run: the 99th percentile (and the longest) of how late the stamped messages were
// served, with the slow disk and with the fast one (target: slow / fast <= 1.2), how many slow flushes the writer
// made (the seam was used), and whether the journal held every report, and the log byte for byte, at the end of
// each slow phase. Then the log ends on a hung disk, as at an exit and as at the end of a session: each end's time
// against its bound (kExitDiskWaitMs, kSessionEndDiskWaitMs; target <= 1.05), how late the stamped messages were
// served meanwhile against the fast disk's running phases (target <= 1.2), and whether the journal then held the
// whole log and the exit's message named its folder and the recovery at the next start.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "alerts/log_form.h"
#include "bench_support.h"
#include "target.h"
#include "ui/text_win.h"

namespace {

using namespace korimo;

constexpr UINT kProbe = WM_APP + 1;  // wParam: the performance counter when it was posted
constexpr UINT kReport = WM_APP + 2; // wParam: the report's number
constexpr DWORD kPhaseMs = 8000;

std::atomic<int> slowFlushes{0};

BOOL WINAPI SlowFlush(HANDLE file) {
    Sleep(200);
    ++slowFlushes;
    return FlushFileBuffers(file);
}

LONGLONG Now() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double MsSince(LONGLONG from) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(Now() - from) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::wstring Entry(WPARAM n) {
    return L"【建立文件】2026-12-08 10:15:00\r\n路径：C:\\Users\\korimo\\U盘\\文件" + std::to_wstring(n) + L".txt\r\n";
}

struct Phase {
    std::vector<double> lateMs; // how late each stamped message was served
    bool journalWhole = false;  // the journal held every report, and the log byte for byte
};

// One phase: reports and probes from two threads into this thread's log_form and a bare window beside it.
Phase RunPhase(bool slowDisk, int round) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / (L"korimo-slow-disk-" + std::to_wstring(round));
    std::filesystem::remove_all(folder);
    alerts::log_form log(folder.wstring() + L"\\", true, L"", slowDisk ? &SlowFlush : &FlushFileBuffers);
    HWND sink = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    Phase phase;
    if (!log.Load(96) || !sink) return phase;
    ShowWindow(log.Hwnd(), SW_SHOWNOACTIVATE);
    std::atomic<bool> done{false};
    std::thread reporter([&] {
        for (WPARAM n = 0; !done; ++n, Sleep(50)) PostMessageW(sink, kReport, n, 0);
    });
    std::thread prober([&] {
        while (!done) PostMessageW(sink, kProbe, static_cast<WPARAM>(Now()), 0), Sleep(5);
    });
    WPARAM reports = 0;
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < kPhaseMs && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == sink && msg.message == kProbe) {
            phase.lateMs.push_back(MsSince(static_cast<LONGLONG>(msg.wParam)));
        } else if (msg.hwnd == sink && msg.message == kReport) {
            log.AppendLogEntry(Entry(msg.wParam));
            log.MoveCaretToEnd();
            ++reports;
        } else {
            DispatchMessageW(&msg);
        }
    }
    done = true;
    reporter.join();
    prober.join();
    log.FlushJournal(); // waits for the writer: not counted
    std::ifstream file(folder / L"log" / L"korimo-journal.log", std::ios::binary);
    const std::string journal{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    phase.journalWhole = journal == "\xEF\xBB\xBF" + ui::ToCodePage(log.Log().Text(), CP_UTF8) &&
                         bench::Count(log.Log().Text(), L"【建立文件】") == reports && reports > 0;
    file.close();
    log.Unload(ui::UnloadMode::SessionEnding);
    DestroyWindow(sink);
    std::filesystem::remove_all(folder);
    return phase;
}

double Percentile99(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() * 99 / 100];
}

double Longest(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// The end on a hung disk: from a moment of the run on, every flush hangs (as on a hung USB stick or network folder)
// until the phase is over. The log ends as at an ordinary exit, and as at the end of a session, while another
// thread posts a stamped message to the window thread every 5 ms and a third answers the message box at once.
std::atomic<bool> hang{false};
std::atomic<int> hungFlushes{0};
HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);

BOOL WINAPI HangingFlush(HANDLE file) {
    if (hang) ++hungFlushes, WaitForSingleObject(released, 30000);
    return FlushFileBuffers(file);
}

std::vector<double> servedLateMs; // how late the stamped messages were served while the log ended
LRESULT CALLBACK Sink(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kProbe) return DefWindowProcW(window, msg, wParam, lParam);
    servedLateMs.push_back(MsSince(static_cast<LONGLONG>(wParam)));
    return 0;
}

struct End {
    double ms = 0;             // how long the log's end took
    bool journalWhole = false; // the journal held the whole log afterwards
    std::wstring said;         // what the message box said
};

End RunEnd(ui::UnloadMode mode) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / L"korimo-hung-disk";
    std::filesystem::remove_all(folder);
    hang = false;
    ResetEvent(released);
    End end;
    {
        alerts::log_form log(folder.wstring() + L"\\", true, L"", &HangingFlush);
        HWND sink = CreateWindowExW(0, L"KorimoBenchSink", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        if (!log.Load(96) || !sink) return end;
        for (WPARAM n = 0; n < 250; ++n) {
            if (n == 200) log.FlushJournal(), hang = true; // the journal holds 200 entries; the disk then hangs
            log.AppendLogEntry(Entry(n));
        }
        const int before = hungFlushes;
        for (DWORD start = GetTickCount(); hungFlushes == before && GetTickCount() - start < 5000;) bench::Pump();
        std::atomic<bool> done{false};
        std::thread prober([&] {
            while (!done)
                PostMessageW(sink, kProbe, static_cast<WPARAM>(Now()), 0), Sleep(5);
        });
        std::thread answerer([&] {
            for (HWND box = nullptr; !done; Sleep(5)) {
                if (!(box = FindWindowW(L"#32770", L"Korimo"))) continue;
                wchar_t text[512]{};
                GetDlgItemTextW(box, 0xFFFF, text, 512);
                end.said = text;
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
        });
        const LONGLONG began = Now();
        log.Unload(mode);
        end.ms = MsSince(began);
        bench::Pump(); // the stamped messages the end kept waiting
        done = true;
        prober.join();
        answerer.join();
        DestroyWindow(sink);
        std::ifstream file(folder / L"log" / L"korimo-journal.log", std::ios::binary);
        const std::string journal{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        end.journalWhole = journal == "\xEF\xBB\xBF" + ui::ToCodePage(log.Log().Text(), CP_UTF8);
    }
    hang = false;
    SetEvent(released); // the writer the disk held goes on and ends
    Sleep(500);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return end;
}

void HungDisk(bench::Targets& targets, double fastLate) {
    WNDCLASSW sinkClass{};
    sinkClass.lpfnWndProc = &Sink;
    sinkClass.lpszClassName = L"KorimoBenchSink";
    RegisterClassW(&sinkClass);
    const End exit = RunEnd(ui::UnloadMode::Closing), session = RunEnd(ui::UnloadMode::SessionEnding);
    const double exitBound = alerts::kExitDiskWaitMs, sessionBound = alerts::kSessionEndDiskWaitMs;
    std::printf("the log's end on a hung disk (%d flushes hung): at an exit %.2f s (bound %.0f s), at the end of a "
                "session %.2f s (bound %.0f s); the stamped messages meanwhile: %zu, 99th percentile %.2f ms late, "
                "longest %.2f ms\n",
                hungFlushes.load(), exit.ms / 1e3, exitBound / 1e3, session.ms / 1e3, sessionBound / 1e3,
                servedLateMs.size(), Percentile99(servedLateMs), Longest(servedLateMs));
    targets.AtMost("journal hung disk: the end at an exit / its bound", exit.ms / exitBound, 1.05);
    targets.AtMost("journal hung disk: the end of a session / its bound", session.ms / sessionBound, 1.05);
    targets.AtMost("journal hung disk: posted message 99th percentile while the log ends / fast disk's running",
                   Percentile99(servedLateMs) / fastLate, 1.2);
    const std::string said = ui::ToCodePage(exit.said, CP_UTF8);
    std::printf("  the exit said: %s\n", said.c_str());
    targets.Holds("journal hung disk: after each end the journal holds the whole log; the exit names its folder and "
                  "the next start's recovery",
                  exit.journalWhole && session.journalWhole && hungFlushes > 0 &&
                      exit.said.find(L"korimo-hung-disk\\log\n") != std::wstring::npos &&
                      exit.said.find(L"下次启动") != std::wstring::npos);
}

} // namespace

int wmain() {
    SetProcessDPIAware();
    bench::Targets targets;
    std::vector<double> fast, slow;
    bool whole = true;
    for (int round = 0; round < 4; ++round) {
        const bool slowDisk = round % 2 == 1;
        Phase phase = RunPhase(slowDisk, round);
        whole = whole && (!slowDisk || phase.journalWhole);
        (slowDisk ? slow : fast).insert((slowDisk ? slow : fast).end(), phase.lateMs.begin(), phase.lateMs.end());
    }
    std::printf("journal on a slow disk: 20 reports a second into the shown log, a stamped message every 5 ms\n");
    std::printf("  fast disk: %zu messages, 99th percentile %.2f ms late, longest %.2f ms\n", fast.size(),
                Percentile99(fast), Longest(fast));
    std::printf("  slow disk (every flush 200 ms, %d flushes): %zu messages, 99th percentile %.2f ms late, longest "
                "%.2f ms\n", slowFlushes.load(), slow.size(), Percentile99(slow), Longest(slow));
    targets.AtMost("journal slow disk: posted message 99th percentile, slow disk / fast disk",
                   Percentile99(slow) / Percentile99(fast), 1.2);
    targets.Holds("journal slow disk: every report in the journal, the journal equal to the log",
                  whole && slowFlushes.load() > 0 && !fast.empty() && !slow.empty());
    HungDisk(targets, Percentile99(fast));
    return targets.ExitCode();
}
