// The event log panel: the running record of what the monitors report.
#pragma once

#include "ui/panel_window.h"

namespace korimo::alerts {

class log_form final : public ui::PanelWindow {
protected:
    ui::PanelInfo Info() const override { return {L"Korimo.log_form", L"日志", 9540, 3165}; }
};

} // namespace korimo::alerts
