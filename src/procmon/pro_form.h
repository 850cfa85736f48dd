// The process monitor panel: its settings, the check period, the window list and the check on its timer.
#pragma once

#include <functional>
#include <utility>
#include <string>

#include "procmon/process_check.h"
#include "ui/panel_window.h"

namespace korimo::procmon {

// What the process monitor uses of the rest of the program.
struct ProcessMonitorServices {
    std::function<void(const std::wstring& title, const std::wstring& text)> notice; // the tray
    std::function<void(const std::wstring& entry)> log;                               // the event log
    std::function<Answer(const std::wstring& message)> ask; // the alert pop-up
    std::wstring appFolder;                                // where the batch file goes
};

class pro_form final : public ui::PanelWindow, private CheckPlatform {
public:
    explicit pro_form(ProcessMonitorServices services) : services_(std::move(services)) {}

    void prodo_Click();      // runs the check, whatever the automatic monitoring
    void cmdRefresh_Click(); // refreshes the window list
    void process_Click();    // shows the process of the selected entry
    void protextt_Change();  // the period follows the box

    unsigned PeriodMs() const { return periodMs_; }
    const ProcessCheck& Check() const { return check_; }

protected:
    ui::PanelInfo Info() const override;
    void OnLoad() override;
    void OnUnload(ui::UnloadMode mode) override;
    std::span<const ui::CommandBinding> Commands() const override;
    std::span<const ui::TimerBinding> Timers() const override;
    std::span<const ui::ControlSpec> Controls() const override;

private:
    // CheckPlatform
    std::vector<WindowEntry> ListWindows() override;
    ProcessInfo LookUp(const WindowEntry& entry) override;
    CheckSettings Settings() override;
    void Report(const std::wstring& noticeTitle, const std::wstring& noticeText, const std::wstring& logEntry) override;
    std::unique_ptr<ProcessHold> Hold(const ProcessInfo& info) override;
    Answer Ask(const std::wstring& message) override;
    void CloseByImageName(const CloseOrder& order, std::unique_ptr<ProcessHold> hold) override;

    void ShowList(const std::vector<WindowEntry>& windows);
    void ShowDetails(const ProcessInfo& info);
    void SetPeriod(unsigned milliseconds);
    bool Ticked(int id) const;
    void proTimer_Timer();
    void closeTimer_Timer(); // the closes under way: a process still running at its close's deadline is told

    ProcessMonitorServices services_;
    ProcessCheck check_;
    CloseWatch closes_;
    std::vector<WindowEntry> shownList_;   // what the list box and proText1 show
    std::vector<WindowEntry> shownBefore_; // what proText0 shows: the list before
    unsigned periodMs_ = 0;
};

} // namespace korimo::procmon
