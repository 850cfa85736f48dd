// What a program file says of itself in its header, read from its first bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace korimo::procmon {

// The subsystem of a console program (IMAGE_SUBSYSTEM_WINDOWS_CUI): Windows gives it a console window, which it
// does not own, and taskkill cannot ask it to close, only end it by force.
inline constexpr std::uint16_t kConsoleSubsystem = 3;

// How many bytes from the start of a program file the header is looked for in.
inline constexpr std::size_t kProgramHeadBytes = 64 * 1024;

// The subsystem a PE program file (32- or 64-bit) names in its optional header; nothing when the bytes are not
// the start of such a file or end before the field.
std::optional<std::uint16_t> PeSubsystem(std::span<const std::uint8_t> head);

} // namespace korimo::procmon
