#include "procmon/pro_form_layout.h"

#include <array>

namespace korimo::procmon {

using ui::ControlKind;

namespace {
// The ignore-list boxes are 240 twips high, not 180: at 180 their captions are cut off.
constexpr std::array<ui::ControlSpec, 20> kControls{{
    {L"Label5", ControlKind::Label, L"【方式设置】", 240, 120, 1575, 255, IDC_PRO_LABEL5},
    {L"Check2(0)", ControlKind::CheckBox, L"开启自动监视", 240, 360, 2775, 255, IDC_PRO_CHECK2_0},
    {L"Check2(1)", ControlKind::CheckBox, L"开启对话框提示", 240, 600, 2775, 255, IDC_PRO_CHECK2_1},
    {L"Check2(2)", ControlKind::CheckBox, L"开启关闭进程提示", 240, 840, 2775, 255, IDC_PRO_CHECK2_2},
    {L"Label4", ControlKind::Label, L"【对话框提示忽略内容设置】", 3120, 120, 2415, 255, IDC_PRO_LABEL4},
    {L"Check1(0)", ControlKind::CheckBox, L"Explorer.EXE", 3360, 480, 1455, 240, IDC_PRO_CHECK1_0},
    {L"Check1(1)", ControlKind::CheckBox, L"Iexplore.EXE", 3360, 720, 1455, 240, IDC_PRO_CHECK1_1},
    {L"Check1(2)", ControlKind::CheckBox, L"Iexplore.exe", 3360, 960, 1455, 240, IDC_PRO_CHECK1_2},
    {L"Label1", ControlKind::Label, L"进程检测周期 (千分之一秒)", 600, 1680, 2415, 255, IDC_PRO_LABEL1},
    {L"protextt", ControlKind::TextBox, L"200", 480, 1920, 2415, 270, IDC_PRO_PROTEXTT},
    {L"cmdRefresh", ControlKind::PictureButton, L"刷新", 360, 2400, 1095, 495, IDC_PRO_CMDREFRESH},
    {L"prodo", ControlKind::PictureButton, L"检验", 1800, 2400, 1095, 495, IDC_PRO_PRODO},
    {L"Picture1", ControlKind::Frame, L"", 3360, 2880, 6015, 1215, IDC_PRO_PICTURE1},
    {L"Label2", ControlKind::Label, L"PID：", 3420, 2895, 450, 240, IDC_PRO_LABEL2},
    // "Label4" and "Label5" are what the two fields show before the first lookup fills them: meant.
    {L"ProcessID", ControlKind::Label, L"Label4", 3870, 2895, 900, 240, IDC_PRO_PROCESSID},
    {L"Label3", ControlKind::Label, L"路径：", 4830, 2895, 600, 240, IDC_PRO_LABEL3},
    {L"path", ControlKind::Label, L"Label5", 5430, 2895, 3885, 240, IDC_PRO_PATH},
    {L"process", ControlKind::ListBox, L"", 3420, 3180, 1900, 860, IDC_PRO_PROCESS},
    {L"proText1", ControlKind::TextView, L"", 5400, 3180, 1950, 860, IDC_PRO_PROTEXT1},
    {L"proText0", ControlKind::TextView, L"", 7400, 3180, 1950, 860, IDC_PRO_PROTEXT0},
}};
} // namespace

std::span<const ui::ControlSpec> ProControls() { return kControls; }

} // namespace korimo::procmon
