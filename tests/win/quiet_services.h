// Collaborators for windows that a test loads only for their windows.
#pragma once

#include "alerts/log_form.h"
#include "app/frmmain.h"
#include "alerts/panel_host.h"
#include "app/tray_win.h"
#include "filemon/dir_form.h"
#include "procmon/pro_form.h"

namespace korimo::test {

// The program around windows under test: it keeps no log, shows no notice, lets every program run, and closes
// nothing.
class QuietHost : public app::MainWindowHost, public alerts::PanelHost {
public:
    void ShowAbout() override {}
    void CloseProgram(app::CloseReason) override {}
    bool AlertShowing() const override { return false; }
    void AutoSaveSwitched(bool) override {}
    void Report(const std::wstring&, const std::wstring&) override {}
    void Log(const std::wstring&) override {}
    void LogAndShow(const std::wstring&) override {}
    bool LogEndsWith(std::wstring_view) const override { return false; }
    alerts::Answer Ask(const std::wstring&) override { return alerts::Answer::LetRun; }
};

// The panels and tray of a main window under test.
struct QuietPanels {
    QuietHost host;
    app::TrayIcon tray;
    procmon::pro_form pro{host, L"C:\\"};
    filemon::dir_form dir{host};
    alerts::log_form log{L"C:\\", false};
};

} // namespace korimo::test
