#include "ui/contrast.h"

namespace korimo::ui {

namespace {
std::optional<bool> overridden;
std::optional<bool> read; // the setting as last read: every label's colour asks for it
} // namespace

bool HighContrastOn() {
    if (overridden) return *overridden;
    if (!read) {
        HIGHCONTRASTW setting{};
        setting.cbSize = sizeof(setting);
        read = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(setting), &setting, 0) &&
               (setting.dwFlags & HCF_HIGHCONTRASTON);
    }
    return *read;
}

void ReadHighContrastAgain() { read.reset(); }

void OverrideHighContrast(std::optional<bool> on) { overridden = on; }

COLORREF FaceColour(COLORREF own, int systemColour) { return HighContrastOn() ? GetSysColor(systemColour) : own; }

bool ChangesFaceColours(UINT msg, WPARAM wParam) {
    switch (msg) {
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        return true;
    case WM_SETTINGCHANGE:
        return wParam == SPI_SETHIGHCONTRAST || wParam == 0; // 0: a change the sender did not name
    default:
        return false;
    }
}

} // namespace korimo::ui
