// Appending to the event log with its real window shown. Entries arrive in bursts of 1,000 through
// AppendLogEntry and the message loop runs between bursts as the program's would; the cost of a burst is the
// time spent appending plus the time spent handling messages (the view updates), not the idle wait for the
// next update. Prints, measured in this one run:
//  - cost per entry of the last 1,000 of 100,000 entries, against the first 1,000 and against the floor: the same
//    bursts made and put into two bare edit controls of the views' styles, sizes and font (one shown, wrapping;
//    one hidden), each burst one append, as the views get it (target: Korimo's last 1,000 / the floor's last 1,000 <= 1.5). The edit
//    control's own cost grows with its text (under Wine about 2 to 3 times over 100,000 entries), so the
//    growth alone says more about the control than about Korimo;
//  - how many times slower the literal approach (read the whole text, concatenate, set it, copy it into the
//    second view) is for the first 1,000 entries (expected: at least 50);
//  - whether both views end up holding the whole log;
//  - the journal (the automatic save ticked): the cost of an append with it / without, in bursts and in a
//    trickle of single entries, each log in a phase of its own (target <= 1.2 for both). The journal is written
//    and flushed by a thread of its own, so the cost counted is what the user pays: the window thread's busy
//    time (appending, and handling its messages: the view updates and the hand-overs to the writer). The CPU time
//    of the window thread and of the writer (the rest of the process's) over each phase, the writer's last
//    write included, is printed beside it. Then the bytes given to the journal / the bytes of the log (target
//    <= 1.05: it is appended, never rewritten); and the journal holds the log byte for byte.
#include <windows.h>

#include <chrono>
#include <utility>
#include <cstdio>
#include <string>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "alerts/log_file.h"
#include "alerts/log_file_win.h"
#include "alerts/log_form.h"
#include "alerts/log_form_layout.h"
#include "target.h"
#include "ui/text_win.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

using namespace korimo;

std::wstring Entry(int n) {
    std::wstring entry = L"【建立文件】2026-12-08 10:15:" + std::to_wstring(n % 60) + L"\r\n路径：C:\\Users\\korimo\\文档\\";
    entry += std::to_wstring(n);
    entry.resize(98, L'x');
    return entry + L"\r\n";
}

// Handles messages until the views have caught up; returns the time spent handling them.
double RunLoopUntilShown(alerts::log_form& log) {
    double busy = 0;
    HWND view = GetDlgItem(log.Hwnd(), alerts::IDC_LOG_TEXT1);
    while (static_cast<size_t>(GetWindowTextLengthW(view)) < log.Log().Size()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        const auto start = Clock::now();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        busy += Seconds(Clock::now() - start);
    }
    return busy;
}

// Seconds per entry for one burst of 1,000.
double Burst(alerts::log_form& log, int first) {
    const auto start = Clock::now();
    for (int n = first; n < first + 1000; ++n) log.AppendLogEntry(Entry(n));
    const double appending = Seconds(Clock::now() - start);
    return (appending + RunLoopUntilShown(log)) / 1000;
}

std::wstring WholeText(HWND view) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(view)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(view, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The floor: each burst of 1,000 entries made and appended in one piece to a bare edit control like the log's
// view that shows (the same style, size and font: the wrapping one; the view it covers takes entries only once it
// shows), the message loop run after it. Seconds per entry of the first and last bursts.
std::pair<double, double> BareEditsPerEntry(const alerts::log_form& log) {
    HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    HWND like = GetDlgItem(log.Hwnd(), alerts::IDC_LOG_TEXT1);
    RECT rect{};
    GetClientRect(like, &rect);
    HWND views[1]{CreateWindowExW(0, L"EDIT", L"", static_cast<DWORD>(GetWindowLongW(like, GWL_STYLE)) | WS_VISIBLE, 0,
                                  0, rect.right, rect.bottom, top, nullptr, nullptr, nullptr)};
    SendMessageW(views[0], WM_SETFONT, SendMessageW(like, WM_GETFONT, 0, 0), FALSE);
    SendMessageW(views[0], EM_SETLIMITTEXT, 0, 0);
    double first = 0, last = 0;
    for (int burst = 0; burst < 100; ++burst) {
        const auto start = Clock::now();
        std::wstring text;
        for (int n = burst * 1000; n < burst * 1000 + 1000; ++n) text += Entry(n);
        for (HWND view : views) {
            const int end = GetWindowTextLengthW(view);
            SendMessageW(view, EM_SETSEL, end, end);
            SendMessageW(view, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        (burst == 0 ? first : last) = Seconds(Clock::now() - start) / 1000;
    }
    DestroyWindow(top);
    return {first, last};
}

// The literal approach on two shown edit controls: every entry rewrites both whole texts.
double LiteralPerEntry(int entries) {
    HWND a = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL | WS_HSCROLL, 0, 0,
                             600, 200, nullptr, nullptr, nullptr, nullptr);
    HWND b = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 0, 220, 600, 200,
                             nullptr, nullptr, nullptr, nullptr);
    SetWindowTextW(a, alerts::LogModel::Header().c_str());
    const auto start = Clock::now();
    for (int n = 0; n < entries; ++n) {
        const std::wstring text = WholeText(a) + Entry(n);
        SetWindowTextW(a, text.c_str());
        SetWindowTextW(b, WholeText(a).c_str());
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    const double perEntry = Seconds(Clock::now() - start) / entries;
    DestroyWindow(a);
    DestroyWindow(b);
    return perEntry;
}

double CpuSeconds(const FILETIME& kernel, const FILETIME& user) {
    const auto count = [](const FILETIME& t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(count(kernel) + count(user)) / 1e7;
}

// CPU seconds so far of this (the window) thread and of the whole process.
std::pair<double, double> CpuNow() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const double thread = CpuSeconds(kernel, user);
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    return {thread, CpuSeconds(kernel, user)};
}

// What the journal adds to appending, measured in phases of their own so that neither log's timers land in
// the other's time: 20 bursts of 1,000 entries, then a trickle of 100 single entries (each may be handed over),
// into a log without its journal and then into one with it.
struct JournalPhase {
    double bursts = 0, trickle = 0; // seconds per entry, of the window thread's busy time
    double windowCpu = 0, writerCpu = 0; // CPU seconds over the phase
    std::uint64_t journalBytes = 0; // given to the journal over the phase
    bool journalIsLog = true;       // the journal holds the log, byte for byte
    double logBytes = 0;
};

JournalPhase RunJournalPhase(bool journalOn) {
    wchar_t temp[MAX_PATH]{};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"korimo-journal-bench\\";
    DeleteFileW(alerts::JournalPath(folder).c_str());
    JournalPhase phase;
    alerts::log_form log(folder, journalOn);
    if (!log.Load(96)) return phase;
    ShowWindow(log.Hwnd(), SW_SHOW);
    const std::uint64_t bytesBefore = alerts::JournalBytesWritten();
    const auto [windowBefore, processBefore] = CpuNow();
    for (int burst = 0; burst < 20; ++burst) phase.bursts += Burst(log, burst * 1000) / 20;
    for (int n = 0; n < 100; ++n) {
        const auto start = Clock::now();
        log.AppendLogEntry(Entry(20000 + n));
        phase.trickle += (Seconds(Clock::now() - start) + RunLoopUntilShown(log)) / 100;
    }
    log.FlushJournal(); // waits for the writer's last write, which the window thread does not do: not counted
    const auto [windowAfter, processAfter] = CpuNow();
    phase.windowCpu = windowAfter - windowBefore;
    phase.writerCpu = (processAfter - processBefore) - phase.windowCpu;
    phase.journalBytes = alerts::JournalBytesWritten() - bytesBefore;
    const std::string expected = "\xEF\xBB\xBF" + ui::ToCodePage(log.Log().Text(), CP_UTF8); // UTF-8 after its mark
    phase.logBytes = static_cast<double>(expected.size());
    if (journalOn) {
        std::ifstream file(std::filesystem::path(alerts::JournalPath(folder)), std::ios::binary);
        phase.journalIsLog = std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()) == expected;
    }
    log.Unload(ui::UnloadMode::SessionEnding); // the save at the end removes the journal
    return phase;
}

void JournalCost(bench::Targets& targets) {
    const JournalPhase without = RunJournalPhase(false), with = RunJournalPhase(true);
    std::printf("  journal off / on, per entry, the window thread's busy time: bursts %.3f / %.3f ms, trickle %.3f / "
                "%.3f ms\n", without.bursts * 1e3, with.bursts * 1e3, without.trickle * 1e3, with.trickle * 1e3);
    std::printf("  journal off / on, CPU over the phase: window thread %.2f / %.2f s, the rest of the process (the "
                "journal's writer; the two clocks agree to about 0.01 s) %.2f / %.2f s\n", without.windowCpu,
                with.windowCpu, without.writerCpu, with.writerCpu);
    targets.AtMost("log append: journal on / off, bursts", with.bursts / without.bursts, 1.2);
    targets.AtMost("log append: journal on / off, trickle", with.trickle / without.trickle, 1.2);
    targets.AtMost("log append: bytes given to the journal / bytes of the log", with.journalBytes / with.logBytes, 1.05);
    targets.Holds("log append: the journal holds the log, byte for byte", with.journalIsLog);
}

} // namespace

int wmain() {
    SetProcessDPIAware();
    bench::Targets targets;
    alerts::log_form log(L"C:\\", false);
    if (!log.Load(96)) return 1;
    ShowWindow(log.Hwnd(), SW_SHOW);
    const double first = Burst(log, 0);
    double last = first;
    for (int burst = 1; burst < 100; ++burst) last = Burst(log, burst * 1000);
    const bool shownWhole = WholeText(GetDlgItem(log.Hwnd(), alerts::IDC_LOG_TEXT1)) == log.Log().Text();
    SendMessageW(GetDlgItem(log.Hwnd(), alerts::IDC_LOG_CHECK1), BM_CLICK, 0, 0); // the covered view comes out
    const bool whole = shownWhole && WholeText(GetDlgItem(log.Hwnd(), alerts::IDC_LOG_TEXT)) == log.Log().Text();
    std::printf("log append, 100,000 entries of 100 characters (%.1f MB of text)\n", log.Log().Size() / 1e6);
    const auto [bareFirst, bareLast] = BareEditsPerEntry(log);
    std::printf("  Korimo: first 1,000: %.3f ms per entry; last 1,000: %.3f ms per entry; last / first %.2f\n",
                first * 1e3, last * 1e3, last / first);
    std::printf("  a bare edit control: first 1,000: %.3f ms per entry; last 1,000: %.3f ms per entry; last / first "
                "%.2f\n", bareFirst * 1e3, bareLast * 1e3, bareLast / bareFirst);
    targets.AtMost("log append: Korimo's last 1,000 / a bare edit control's last 1,000", last / bareLast, 1.5);
    targets.Holds("log append: both views hold the whole log", whole);
    const double literal = LiteralPerEntry(1000);
    std::printf("  literal approach, first 1,000: %.3f ms per entry\n", literal * 1e3);
    targets.AtLeast("log append: literal approach / ours, first 1,000", literal / first, 50);
    log.Unload(ui::UnloadMode::SessionEnding);
    JournalCost(targets);
    return targets.ExitCode();
}
