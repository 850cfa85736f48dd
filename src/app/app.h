// The program: owns every window for the whole run, gives each the collaborators it uses, and runs the
// start-up and close sequences and the message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "alerts/frm_outputbox.h"
#include "alerts/log_form.h"
#include "app/frm_maker.h"
#include "app/frmmain.h"
#include "alerts/panel_host.h"
#include "app/tray_win.h"
#include "filemon/dir_form.h"
#include "procmon/pro_form.h"

namespace korimo::app {

// How long the close image keeps its notice on screen before the icon goes.
inline constexpr DWORD kClosePauseMs = 1000;

class App final : public MainWindowHost, public alerts::PanelHost {
public:
    App();

    // The start-up procedure: returns the process's exit code.
    int Main();

    // The alert pop-up, loaded on first use and kept for the rest of the run.
    alerts::Frm_Outputbox& Alert();

    // MainWindowHost
    void ShowAbout() override;
    void CloseProgram(CloseReason reason) override;
    bool AlertShowing() const override;
    void BringQuestionForward() override;
    void AutoSaveSwitched(bool on) override;
    void MainWindowDpiChanged(int dpi) override;

    // PanelHost
    void Report(const std::wstring& title, const std::wstring& text) override;
    void Log(const std::wstring& entry) override;
    void LogAndShow(const std::wstring& entry) override;
    bool LogEndsWith(std::wstring_view tail) const override;
    alerts::Answer Ask(const std::wstring& question) override;

private:
    // The window icons at `windowDpi` and the tray icon at the DPI of the primary monitor, where the taskbar
    // is; the icons they replace go once nothing shows them.
    void TakeIcons(int windowDpi);
    bool LoadMainWindow();
    void Notice(const std::wstring& title, const std::wstring& text);
    int RunMessageLoop();
    // The close sequence itself: the monitors, the log, the tray, the windows; once.
    void Close(CloseReason reason);
    // The program's own keys in its windows (Esc, F1, F6, Alt+F4); true when the key was one of them.
    bool HandleKey(const MSG& msg, HWND root);

    std::wstring appFolder_;
    std::wstring dataFolder_; // where the log folder and the batch file go (see DataFolder)
    ui::Icon bigIcon_;
    ui::Icon smallIcon_;
    ui::Icon trayIcon_;
    TrayIcon tray_;
    procmon::pro_form pro_;
    filemon::dir_form dir_;
    alerts::log_form log_;
    frmmain main_;
    std::unique_ptr<frm_maker> maker_;
    std::unique_ptr<alerts::Frm_Outputbox> alert_;
    bool closing_ = false;
    std::optional<CloseReason> pendingClose_; // an ordinary close, made by the message loop
};

} // namespace korimo::app
