#include "alerts/log_form_layout.h"

#include <array>

namespace korimo::alerts {

using ui::ControlKind;

namespace {
// The word-wrap box is 255 twips high, not 180: at 180 its caption is cut off at every scaling.
constexpr std::array<ui::ControlSpec, 7> kControls{{
    {L"Command1", ControlKind::PictureButton, L"另存为…", 360, 120, 1455, 495, IDC_LOG_COMMAND1},
    {L"Command2", ControlKind::PictureButton, L"设置字体…", 360, 720, 1455, 495, IDC_LOG_COMMAND2},
    {L"Picture1", ControlKind::Swatch, L"", 360, 1320, 1095, 1095, IDC_LOG_PICTURE1},
    {L"Picture2", ControlKind::Swatch, L"", 600, 1560, 1095, 1095, IDC_LOG_PICTURE2},
    {L"Check1", ControlKind::CheckBox, L"自动换行", 360, 2760, 1335, 255, IDC_LOG_CHECK1},
    {L"text", ControlKind::TextView, L"", 2040, 120, 7395, 2895, IDC_LOG_TEXT},
    {L"Text1", ControlKind::WrappedTextView, L"", 2040, 120, 7395, 2895, IDC_LOG_TEXT1},
}};
} // namespace

std::span<const ui::ControlSpec> LogControls() { return kControls; }

} // namespace korimo::alerts
