#include "app/frmmain_layout.h"

#include <array>

namespace korimo::app {

using ui::ControlKind;
using ui::ControlSpec;

namespace {
constexpr std::array<ControlSpec, 12> kControls{{
    {L"Command1", ControlKind::PictureButton, L"进程监视", 240, 4680, 975, 495, IDC_COMMAND1},
    {L"Command2", ControlKind::PictureButton, L"文件监视", 1440, 4680, 975, 495, IDC_COMMAND2},
    {L"Command3", ControlKind::PictureButton, L"日志", 7320, 4680, 975, 495, IDC_COMMAND3},
    {L"Command4", ControlKind::PictureButton, L"收缩", 8400, 4680, 975, 495, IDC_COMMAND4},
    {L"Command5", ControlKind::PictureButton, L"网络监视", 7320, 480, 975, 495, IDC_COMMAND5, false},
    {L"Command6", ControlKind::PictureButton, L"扫描", 8400, 480, 975, 495, IDC_COMMAND6, false},
    {L"Check1(0)", ControlKind::CheckBox, L"开启托盘提示", 240, 1560, 2415, 255, IDC_CHECK1_0},
    {L"Check1(1)", ControlKind::CheckBox, L"开机时启动", 240, 1920, 2415, 255, IDC_CHECK1_1},
    {L"Check1(2)", ControlKind::CheckBox, L"自动保存日志", 240, 2280, 2415, 255, IDC_CHECK1_2},
    {L"Label1", ControlKind::Label, L"Velmora 作品", 8160, 4320, 1335, 255, IDC_LABEL1},
    {L"Image2", ControlKind::ImageArea, L"", 8760, 0, 255, 255, IDC_IMAGE2},
    {L"Image1", ControlKind::ImageArea, L"", 9120, 0, 255, 255, IDC_IMAGE1},
}};
} // namespace

std::span<const ControlSpec> MainControls() { return kControls; }

} // namespace korimo::app
