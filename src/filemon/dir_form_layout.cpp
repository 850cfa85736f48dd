#include "filemon/dir_form_layout.h"

#include <array>
#include <string>

#include "filemon/file_events.h"

namespace korimo::filemon {

using ui::ControlKind;

namespace {
// Column lefts of the event switches; each box reaches to the next column.
constexpr std::array<int, 6> kColumns{240, 1560, 3600, 5640, 7440, 9495};

std::vector<ui::ControlSpec> Build() {
    static std::array<std::wstring, kSwitchCount> names; // the layout entries refer to these for the program's life
    std::vector<ui::ControlSpec> controls{
        {L"Label2", ControlKind::Label, L"【显示方式设置】", 120, 120, 2400, 255, IDC_DIR_LABEL2},
        {L"Check1(0)", ControlKind::CheckBox, L"显示详细信息", 240, 360, 2160, 255, IDC_DIR_CHECK1_0},
        {L"Option1(0)", ControlKind::OptionButton, L"显示名字", 480, 600, 1920, 255, IDC_DIR_OPTION1_0, true, true},
        {L"Option1(1)", ControlKind::OptionButton, L"显示路径", 480, 840, 1920, 255, IDC_DIR_OPTION1_1},
        {L"Check1(3)", ControlKind::CheckBox, L"不重复显示", 240, 1080, 2160, 255, IDC_DIR_CHECK1_3},
        {L"Label1", ControlKind::Label, L"【提示内容设置】", 120, 1440, 2400, 255, IDC_DIR_LABEL1},
    };
    for (std::size_t i = 0; i < kSwitchCount; ++i) {
        const std::size_t column = i / 5, row = i % 5;
        names[i] = L"Check2(" + std::to_wstring(i) + L")";
        const int left = kColumns[column];
        controls.push_back({names[i], ControlKind::CheckBox, EventSwitches()[i].caption, left,
                            1680 + 240 * static_cast<int>(row), kColumns[column + 1] - left - 60, 240,
                            IDC_DIR_CHECK2_0 + static_cast<int>(i)});
    }
    return controls;
}
} // namespace

const std::vector<ui::ControlSpec>& DirControls() {
    static const std::vector<ui::ControlSpec> controls = Build();
    return controls;
}

} // namespace korimo::filemon
