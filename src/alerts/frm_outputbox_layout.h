// The alert pop-up's size and controls, in twips.
#pragma once

#include <span>

#include "ui/layout.h"

namespace korimo::alerts {

inline constexpr int kOutputboxWidthTwips = 6420;
inline constexpr int kOutputboxHeightTwips = 1695;
inline constexpr int kOutputboxBottomMarginTwips = 300; // between the pop-up and the bottom of the screen

enum OutputboxControlId : int {
    IDC_OUT_COMMAND1 = 301,
    IDC_OUT_COMMAND2,
    IDC_OUT_COMMAND3,
    IDC_OUT_LABEL1,   // product name
    IDC_OUT_MSGLABEL, // the message
    IDC_OUT_TIME,     // the countdown
};

std::span<const ui::ControlSpec> OutputboxControls();

} // namespace korimo::alerts
