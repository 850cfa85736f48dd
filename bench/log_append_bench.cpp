// Appending to the event log with its real window shown. Entries arrive in bursts of 1,000 through
// AppendLogEntry and the message loop runs between bursts as the program's would; the cost of a burst is the
// time spent appending plus the time spent handling messages (the view updates), not the idle wait for the
// next update. Prints, measured in this one run:
//  - cost per entry of the last 1,000 of 100,000 entries / of the first 1,000 (target: at most 2);
//  - how many times slower the literal approach (read the whole text, concatenate, set it, copy it into the
//    second view) is for the first 1,000 entries (expected: at least 50);
//  - whether both views end up holding the whole log;
//  - with the journal on (the automatic save ticked), the cost of an append with the journal / without, bursts
//    of the two logs taken in turn, the journal's final flush included (target <= 1.2), and the journal's bytes
//    on disk / the bytes of the log in its file format (target 1.0 after the final flush).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "alerts/log_file.h"
#include "alerts/log_form.h"
#include "alerts/log_form_layout.h"
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

// Bursts of the same entries into a log without and one with its journal, in turn.
void JournalCost() {
    wchar_t temp[MAX_PATH]{};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"korimo-journal-bench\\";
    const std::wstring journal = alerts::JournalPath(folder);
    DeleteFileW(journal.c_str());
    alerts::log_form plain(L"C:\\", [] { return false; }), journalled(folder, [] { return true; });
    if (!plain.Load(96) || !journalled.Load(96)) return;
    ShowWindow(plain.Hwnd(), SW_SHOW);
    ShowWindow(journalled.Hwnd(), SW_SHOW);
    double without = 0, with = 0;
    for (int burst = 0; burst < 20; ++burst) {
        without += Burst(plain, burst * 1000);
        with += Burst(journalled, burst * 1000);
    }
    const auto start = Clock::now();
    journalled.FlushJournal();
    with += Seconds(Clock::now() - start) / 1000;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(journal.c_str(), GetFileExInfoStandard, &data);
    const double onDisk = static_cast<double>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    // The journal is UTF-8 after its three-byte mark.
    const double logBytes = static_cast<double>(3 + ui::ToCodePage(journalled.Log().Text(), CP_UTF8).size());
    std::printf("  journal: append with / without: %.2f (target <= 1.2); bytes on disk / of the log: %.3f (target 1.0)\n",
                with / without, onDisk / logBytes);
    plain.Unload(ui::UnloadMode::SessionEnding);
    journalled.Unload(ui::UnloadMode::SessionEnding); // the save at the end removes the journal
}

} // namespace

int wmain() {
    SetProcessDPIAware();
    alerts::log_form log(L"C:\\", [] { return false; });
    if (!log.Load(96)) return 1;
    ShowWindow(log.Hwnd(), SW_SHOW);
    const double first = Burst(log, 0);
    double last = first;
    for (int burst = 1; burst < 100; ++burst) last = Burst(log, burst * 1000);
    const bool whole = WholeText(GetDlgItem(log.Hwnd(), alerts::IDC_LOG_TEXT)) == log.Log().Text() &&
                       WholeText(GetDlgItem(log.Hwnd(), alerts::IDC_LOG_TEXT1)) == log.Log().Text();
    std::printf("log append, 100,000 entries of 100 characters (%.1f MB of text)\n", log.Log().Size() / 1e6);
    std::printf("  first 1,000: %.3f ms per entry; last 1,000: %.3f ms per entry\n", first * 1e3, last * 1e3);
    std::printf("  last / first: %.2f (target <= 2)\n", last / first);
    std::printf("  both views hold the whole log: %s\n", whole ? "yes" : "NO");
    const double literal = LiteralPerEntry(1000);
    std::printf("  literal approach, first 1,000: %.3f ms per entry; %.0f times slower than ours (expected >= 50)\n",
                literal * 1e3, literal / first);
    log.Unload(ui::UnloadMode::SessionEnding);
    JournalCost();
    return whole ? 0 : 1;
}
