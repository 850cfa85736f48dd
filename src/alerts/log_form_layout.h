// The event log window's size and controls, in twips.
#pragma once

#include <span>

#include "ui/layout.h"

namespace korimo::alerts {

inline constexpr int kLogWidthTwips = 9540;
inline constexpr int kLogHeightTwips = 3165;

enum LogControlId : int {
    IDC_LOG_COMMAND1 = 201, // 另存为…
    IDC_LOG_COMMAND2,       // 设置字体…
    IDC_LOG_PICTURE1,       // text colour swatch
    IDC_LOG_PICTURE2,       // background colour swatch
    IDC_LOG_CHECK1,         // 自动换行
    IDC_LOG_TEXT,           // the log, lines not wrapped
    IDC_LOG_TEXT1,          // the log, lines wrapped
};

// In keyboard order; Picture1 lies above Picture2 where the two squares overlap.
std::span<const ui::ControlSpec> LogControls();

} // namespace korimo::alerts
