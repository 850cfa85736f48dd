// The process monitor panel: its settings, the check period, the window list and the check on its timer.
#pragma once

#include <string>
#include <utility>

#include "alerts/panel_host.h"
#include "procmon/close_by_image_win.h"
#include "procmon/process_check.h"
#include "ui/panel_window.h"
#include "ui/timer.h"

namespace korimo::procmon {

class pro_form final : public ui::PanelWindow, private CheckUser {
public:
    // Reports, questions and closes go through `host`; the batch file goes into `dataFolder`.
    pro_form(alerts::PanelHost& host, std::wstring dataFolder) : host_(host), dataFolder_(std::move(dataFolder)) {}

    void prodo_Click();      // runs the check, whatever the automatic monitoring
    void cmdRefresh_Click(); // refreshes the window list
    void process_Click();    // shows the process of the selected entry
    void protextt_Change();  // the period follows the box
    // The program is closing: a check under way goes no further, whatever it waits for.
    void WithdrawCheck() { check_.Withdraw(); }

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
    // CheckUser: what the check hands back, shown, reported, asked and closed in its order.
    void ShowList(const std::vector<WindowEntry>& windows) override;
    // The entry selected, as a click on it would, and its process shown.
    void ShowLookedUp(const LookedUp& lookedUp) override;
    void Tell(const Report& report) override;
    Answer Ask(const std::wstring& question) override;
    void Close(CloseRequest request) override;

    void RunCheck();
    void ReadSettings(); // the boxes the check reads, when one changes
    void ShowDetails(const ProcessInfo& info);
    void SetPeriod(unsigned milliseconds);
    bool Ticked(int id) const;
    void proTimer_Timer();
    void closeTimer_Timer(); // the closes under way: a process still running at its close's deadline is told; a
                             // batch whose cmd.exe has ended is let go

    alerts::PanelHost& host_;
    std::wstring dataFolder_;
    WinDesktop desktop_;
    CheckSettings settings_;
    ProcessCheck check_;
    CloseWatch closes_;
    std::vector<std::unique_ptr<BatchRun>> batches_; // each held until the cmd.exe that runs it has ended
    std::vector<WindowEntry> shownList_;   // what the list box and proText1 show
    std::vector<WindowEntry> shownBefore_; // what proText0 shows: the list before
    unsigned periodMs_ = 0;
    static constexpr UINT_PTR kProTimer = 1, kCloseTimer = 2;
    ui::Timer proTimer_{*this, kProTimer};
    ui::Timer closeTimer_{*this, kCloseTimer};
};

} // namespace korimo::procmon
