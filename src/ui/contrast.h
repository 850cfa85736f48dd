// High contrast: when the user has switched a high-contrast theme on, every face, mark and drawn button takes
// the system's colours instead of its own. One function reads the setting, so everything agrees on it.
#pragma once

#include <windows.h>

#include <optional>

namespace korimo::ui {

// Whether a high-contrast theme is on (SPI_GETHIGHCONTRAST, HCF_HIGHCONTRASTON), unless overridden.
bool HighContrastOn();
// Stands in for the system's setting (Wine keeps no high-contrast state of its own); nullopt reads it again.
void OverrideHighContrast(std::optional<bool> on);

// The setting is read once and kept; a theme change (ChangesFaceColours) has it read again.
void ReadHighContrastAgain();

// The face's own colour, or the system colour `systemColour` (COLOR_WINDOW, COLOR_WINDOWTEXT, ...) in high contrast.
COLORREF FaceColour(COLORREF own, int systemColour);

// A theme change that can alter the colours a face is drawn with: high contrast switched, system colours or
// the visual style changed.
bool ChangesFaceColours(UINT msg, WPARAM wParam);

} // namespace korimo::ui
