#include "alerts/frm_outputbox_layout.h"

#include <array>

namespace korimo::alerts {

using ui::ControlKind;

namespace {
constexpr std::array<ui::ControlSpec, 6> kControls{{
    {L"Command1", ControlKind::PictureButton, L"", 240, 120, 855, 495, IDC_OUT_COMMAND1},
    {L"Command2", ControlKind::PictureButton, L"", 240, 600, 855, 495, IDC_OUT_COMMAND2},
    {L"Command3", ControlKind::PictureButton, L"", 240, 1080, 855, 495, IDC_OUT_COMMAND3},
    {L"Label1", ControlKind::Label, L"Korimo", 1200, 120, 1095, 375, IDC_OUT_LABEL1},
    {L"MsgLabel", ControlKind::Label, L"", 1320, 480, 4215, 975, IDC_OUT_MSGLABEL},
    {L"time", ControlKind::Label, L"10", 5640, 1200, 615, 495, IDC_OUT_TIME},
}};
} // namespace

std::span<const ui::ControlSpec> OutputboxControls() { return kControls; }

} // namespace korimo::alerts
