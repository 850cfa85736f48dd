// Collaborators for panels that a test loads only for their windows: every report goes nowhere, every question
// lets the program run.
#pragma once

#include "alerts/log_form.h"
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

// The panels and tray of a main window under test.
struct QuietPanels {
    app::TrayIcon tray{[] { return true; }};
    procmon::pro_form pro{QuietProcessMonitor()};
    filemon::dir_form dir{QuietFileMonitor()};
    alerts::log_form log{L"C:\\", [] { return false; }};
};

} // namespace korimo::test
