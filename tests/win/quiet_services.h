// Collaborators for panels that a test loads only for their windows: every report goes nowhere, every question
// lets the program run.
#pragma once

#include "alerts/log_form.h"
#include "app/frmmain.h"
#include "app/tray_win.h"
#include "filemon/dir_form.h"
#include "procmon/pro_form.h"

namespace korimo::test {

inline procmon::ProcessMonitorServices QuietProcessMonitor() {
    return {[](const std::wstring&, const std::wstring&) {}, [](const std::wstring&) {},
            [](const std::wstring&) { return procmon::Answer::LetRun; }, L"C:\\"};
}

inline filemon::FileMonitorServices QuietFileMonitor() {
    return {[](std::wstring_view) { return false; }, [](const std::wstring&) {},
            [](const std::wstring&, const std::wstring&) {}};
}

// The program around a main window under test: it shows nothing and closes nothing.
class QuietHost : public app::MainWindowHost {
public:
    void ShowAbout() override {}
    void CloseProgram(app::CloseReason) override {}
    bool AlertShowing() const override { return false; }
    void AutoSaveSwitched(bool) override {}
};

// The panels and tray of a main window under test.
struct QuietPanels {
    app::TrayIcon tray{[] { return true; }};
    procmon::pro_form pro{QuietProcessMonitor()};
    filemon::dir_form dir{QuietFileMonitor()};
    alerts::log_form log{L"C:\\", [] { return false; }};
};

} // namespace korimo::test
