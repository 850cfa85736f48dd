// The main window's size and controls, in twips.
#pragma once

#include "ui/layout.h"

#include <span>

namespace korimo::app {

inline constexpr int kMainClientWidthTwips = 9525;
inline constexpr int kMainClientHeightTwips = 5475;

enum MainControlId : int {
    IDC_COMMAND1 = 101, // 进程监视
    IDC_COMMAND2,       // 文件监视
    IDC_COMMAND3,       // 日志
    IDC_COMMAND4,       // 收缩
    IDC_COMMAND5,       // 网络监视 (hidden placeholder)
    IDC_COMMAND6,       // 扫描 (hidden placeholder)
    IDC_CHECK1_0,       // 开启托盘提示
    IDC_CHECK1_1,       // 开机时启动
    IDC_CHECK1_2,       // 自动保存日志
    IDC_LABEL1,         // credits
    IDC_IMAGE1,         // the close mark: a click area on the face, no window
    IDC_IMAGE2,         // the minimise mark: likewise
};

// In keyboard order: Command1..Command6, then Check1(0)..Check1(2).
std::span<const ui::ControlSpec> MainControls();

inline constexpr wchar_t kMainTitle[] = L"Korimo";

} // namespace korimo::app
