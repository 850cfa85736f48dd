// What the panels ask of the program that holds them: the tray for their reports, the event log and the question
// about a started program. App implements it and gives it to each panel when it makes it; a test or a benchmark
// gives one of its own.
#pragma once

#include <string>
#include <string_view>

#include "alerts/frm_outputbox_answer.h"

namespace korimo::alerts {

class PanelHost {
public:
    // A monitor's report as a tray notice, while "开启托盘提示" is ticked: shown at once or dropped, at most one
    // every 250 ms in a flood (the newest), respecting the user's quiet time.
    virtual void Report(const std::wstring& title, const std::wstring& text) = 0;
    // Adds a finished entry at the bottom of the event log; the views keep their caret where it is.
    virtual void Log(const std::wstring& entry) = 0;
    // The same, and the log's caret goes to its end, bringing the entry into view.
    virtual void LogAndShow(const std::wstring& entry) = 0;
    // Whether the event log ends with `tail` (the file monitor's repeat check reads only its end).
    virtual bool LogEndsWith(std::wstring_view tail) const = 0;
    // Asks the user about a started program (the alert pop-up); Answer::None while another question waits.
    virtual Answer Ask(const std::wstring& question) = 0;

protected:
    ~PanelHost() = default;
};

} // namespace korimo::alerts
