// The file monitor panel's size and controls, in twips.
#pragma once

#include <vector>

#include "ui/layout.h"

namespace korimo::filemon {

inline constexpr int kDirWidthTwips = 9555;
inline constexpr int kDirHeightTwips = 3150;

enum DirControlId : int {
    IDC_DIR_LABEL2 = 501,
    IDC_DIR_CHECK1_0, // 显示详细信息
    IDC_DIR_OPTION1_0, // 显示名字
    IDC_DIR_OPTION1_1, // 显示路径
    IDC_DIR_CHECK1_3, // 不重复显示
    IDC_DIR_LABEL1,
    IDC_DIR_CHECK2_0, // the 25 event switches follow in order
};

// In keyboard order: the display settings, then the 25 event switches in five columns of five.
const std::vector<ui::ControlSpec>& DirControls();

} // namespace korimo::filemon
