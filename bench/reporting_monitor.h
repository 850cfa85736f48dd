// Korimo's windows as the program wires them, for the benchmarks: the monitors report to the real event log and
// to a real tray icon (notices on) owned by the real main window, every question is answered "放过", and the
// process checks run only when asked for.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "alerts/log_form.h"
#include "app/frmmain.h"
#include "alerts/panel_host.h"
#include "app/tray_win.h"
#include "bench/bench_support.h"
#include "filemon/dir_form.h"
#include "procmon/pro_form.h"
#include "procmon/pro_form_layout.h"
#include "tests/win/quiet_services.h"

namespace korimo::bench {

struct ReportingMonitor final : alerts::PanelHost {
    // `folder` takes the log folder and the batch file; `autoSave` is "自动保存日志" (the journal is written).
    explicit ReportingMonitor(std::wstring folder = L"C:\\", bool autoSave = false)
        : log(folder, autoSave), panel(*this, std::move(folder)) {}

    alerts::log_form log;
    app::TrayIcon tray;
    procmon::pro_form panel;
    filemon::dir_form files{*this};
    test::QuietHost host;
    app::frmmain main{tray, {&panel, &files, &log}, host};

    // PanelHost, as the program is
    void Report(const std::wstring& title, const std::wstring& text) override { tray.ShowReport(title, text); }
    void Log(const std::wstring& entry) override { log.AppendLogEntry(entry); }
    void LogAndShow(const std::wstring& entry) override {
        log.AppendLogEntry(entry);
        log.MoveCaretToEnd();
    }
    bool LogEndsWith(std::wstring_view tail) const override { return log.Log().EndsWith(tail); }
    alerts::Answer Ask(const std::wstring&) override { return alerts::Answer::LetRun; }

    // Loads the main window, the log and the process monitor (hidden), the file monitor when asked, and adds
    // the icon.
    bool Load(bool fileMonitor = false) {
        if (!main.Load(96, nullptr, nullptr) || !log.Load(96) || !panel.Load(96) || (fileMonitor && !files.Load(96)) ||
            !tray.AddTrayIcon(LoadIconW(nullptr, IDI_APPLICATION), &main))
            return false;
        // An empty period box stops the automatic checks: checks run here when asked for.
        SetWindowTextW(GetDlgItem(panel.Hwnd(), procmon::IDC_PRO_PROTEXTT), L"");
        return true;
    }
    // One check and the messages it leaves behind (repaints, the batched log update, the paced notice).
    void Check() {
        panel.prodo_Click();
        Pump();
    }
    ~ReportingMonitor() {
        tray.RemoveTrayIcon();
        files.Unload(ui::UnloadMode::SessionEnding);
        panel.Unload(ui::UnloadMode::SessionEnding);
        log.Unload(ui::UnloadMode::SessionEnding);
    }
};

} // namespace korimo::bench
