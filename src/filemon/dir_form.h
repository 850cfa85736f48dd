// The file monitor panel: the settings of the shell change notifications it reports, and the window the shell
// posts them to. Its load step hooks the window and registers it with the shell; its unload step undoes both.
#pragma once

#include <functional>
#include <utility>
#include <string>
#include <string_view>

#include "filemon/file_events.h"
#include "filemon/shell_win.h"
#include "ui/panel_window.h"

namespace korimo::filemon {

// What the file monitor uses of the rest of the program.
struct FileMonitorServices {
    std::function<bool(std::wstring_view tail)> logEndsWith;       // the repeat check reads the log's end only
    std::function<void(const std::wstring& entry)> appendToLog;     // appends and moves the log's caret to its end
    std::function<void(const std::wstring& title, const std::wstring& text)> notice; // the tray
};

class dir_form final : public ui::PanelWindow, private NotificationSink {
public:
    // A panel that goes without having been unloaded still ends its registration and removes its hook first:
    // a window destroyed while hooked is an error the user is told about.
    ~dir_form() override { Unload(ui::UnloadMode::SessionEnding); }

    explicit dir_form(FileMonitorServices services) : services_(std::move(services)) {}

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
    // would cost more than all the rest.
    void ReadSettings();
    void StartFlashing();
    void tmrFlashMe_Timer();

    FileMonitorServices services_;
    DetailOptions options_;
    FilterSettings filter_;
    ShellRegistration registration_;
    FlashCounter flash_;
    bool flashing_ = false;
    int flashes_ = 0;
};

} // namespace korimo::filemon
