// The process monitor panel: the list of titled windows and the settings of the process check.
#pragma once

#include "ui/panel_window.h"

namespace korimo::procmon {

class pro_form final : public ui::PanelWindow {
protected:
    ui::PanelInfo Info() const override { return {L"Korimo.pro_form", L"进程监视", 9615, 3150}; }
};

} // namespace korimo::procmon
