// The file monitor panel: the switches of the shell change notifications it reports.
#pragma once

#include "ui/panel_window.h"

namespace korimo::filemon {

class dir_form final : public ui::PanelWindow {
protected:
    ui::PanelInfo Info() const override { return {L"Korimo.dir_form", L"Shell Change Notifications demo", 9555, 3150}; }
};

} // namespace korimo::filemon
