// The process monitor as the program wires it, for the benchmarks: its reports go to the real event log and a
// real tray icon with notices on, every question is answered "放过", and the checks run only when asked for.
#pragma once

#include <windows.h>

#include "alerts/log_form.h"
#include "app/tray_win.h"
#include "bench/bench_support.h"
#include "procmon/pro_form.h"

namespace korimo::bench {

struct ReportingMonitor {
    alerts::log_form log{L"C:\\", [] { return false; }};
    app::TrayIcon tray{[] { return true; }};
    procmon::pro_form panel{{[this](const std::wstring& title, const std::wstring& text) {
                                 tray.ShowTrayNotice(title, text, NIIF_INFO, L"", nullptr);
                             },
                             [this](const std::wstring& entry) { log.AppendLogEntry(entry); },
                             [](const std::wstring&) { return procmon::Answer::LetRun; }, L"C:\\"}};

    // Loads the log and the panel (hidden) and adds the icon.
    bool Load() {
        if (!log.Load(96) || !panel.Load(96) || !tray.AddTrayIcon(panel.Hwnd(), LoadIconW(nullptr, IDI_APPLICATION)))
            return false;
        KillTimer(panel.Hwnd(), 1); // the period's timer: checks run here when asked for
        return true;
    }
    // One check and the messages it leaves behind (repaints, the batched log update, the paced notice).
    void Check() {
        panel.prodo_Click();
        Pump();
    }
    ~ReportingMonitor() {
        tray.RemoveTrayIcon();
        panel.Unload(ui::UnloadMode::SessionEnding);
        log.Unload(ui::UnloadMode::SessionEnding);
    }
};

} // namespace korimo::bench
