// The file monitor panel: the settings of the shell change notifications it reports, and the window the shell
// posts them to. Its load step hooks the window and registers it with the shell; its unload step undoes both.
#pragma once

#include <string>

#include "alerts/panel_host.h"
#include "filemon/file_events.h"
#include "filemon/shell_win.h"
#include "ui/panel_window.h"
#include "ui/timer.h"

namespace korimo::filemon {

// The date and time of a report, as the user's regional settings write them (short date, a blank, long time).
std::wstring NowAsText();

class dir_form final : public ui::PanelWindow, private NotificationSink {
public:
    // A panel that goes without having been unloaded still ends its registration and removes its hook first:
    // a window destroyed while hooked is an error the user is told about.
    ~dir_form() override { Unload(ui::UnloadMode::SessionEnding); }

    // Reports go to the log and the tray through `host`; the repeat check reads the log's end there.
    explicit dir_form(alerts::PanelHost& host) : host_(host) {}

    // One shell notification: `items` points at the two item pointers, `event` is the event code.
    void NotificationReceipt(WPARAM items, LPARAM event) override;

    void Check1_Click();
    bool IsRegistered() const { return registration_.IsRegistered(); }
    int Flashes() const { return flashes_; } // inversions of the caption since load

protected:
    ui::PanelInfo Info() const override;
    void OnLoad() override;
    void OnUnload(ui::UnloadMode mode) override;
    std::span<const ui::CommandBinding> Commands() const override;
    std::span<const ui::TimerBinding> Timers() const override;
    void PaintFace(HDC dc, const ui::Scale& scale, SIZE client) override;
    std::span<const ui::ControlSpec> Controls() const override;

private:
    // The boxes are read when they change, not at every notification: in a flood, reading 28 boxes each time
    // would cost more than all the rest. The shell is asked anew for the events that are switched on.
    void ReadSettings();
    void StartFlashing();
    void tmrFlashMe_Timer();

    alerts::PanelHost& host_;
    DetailOptions options_;
    FilterSettings filter_;
    WindowHook hook_;
    ShellRegistration registration_;
    static constexpr UINT_PTR kFlashTimer = 1;
    FlashCounter flash_;
    ui::Timer flashTimer_{*this, kFlashTimer}; // six caption flashes after a report
    int flashes_ = 0;
};

} // namespace korimo::filemon
