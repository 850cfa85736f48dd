// The process monitor panel's size and controls, in twips.
#pragma once

#include <span>

#include "ui/layout.h"

namespace korimo::procmon {

inline constexpr int kProWidthTwips = 9615;
inline constexpr int kProHeightTwips = 3150;
inline constexpr unsigned kInitialPeriodMs = 1000; // the box shows "200" but counts only once it is changed

enum ProControlId : int {
    IDC_PRO_CHECK2_0 = 401, // 开启自动监视
    IDC_PRO_CHECK2_1,       // 开启对话框提示
    IDC_PRO_CHECK2_2,       // 开启关闭进程提示
    IDC_PRO_CHECK1_0,       // ignore list
    IDC_PRO_CHECK1_1,
    IDC_PRO_CHECK1_2,
    IDC_PRO_PROTEXTT,       // the check period
    IDC_PRO_CMDREFRESH,
    IDC_PRO_PRODO,
    IDC_PRO_LABEL5,
    IDC_PRO_LABEL4,
    IDC_PRO_LABEL1,
    IDC_PRO_PICTURE1,
    IDC_PRO_LABEL2,
    IDC_PRO_PROCESSID,
    IDC_PRO_LABEL3,
    IDC_PRO_PATH,
    IDC_PRO_PROCESS,        // the window list
    IDC_PRO_PROTEXT1,       // the current list's titles
    IDC_PRO_PROTEXT0,       // the previous list's titles
};

// In keyboard order. The panel Picture1 starts 270 twips above the bottom of the window and reaches below it:
// its top strip shows the looked-up process id and path; the list and the list texts lie below, out of sight.
std::span<const ui::ControlSpec> ProControls();

} // namespace korimo::procmon
