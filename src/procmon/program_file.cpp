#include "procmon/program_file.h"

namespace korimo::procmon {

namespace {
std::uint32_t Read(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) value = value << 8 | bytes[at + i];
    return value;
}
} // namespace

std::optional<std::uint16_t> PeSubsystem(std::span<const std::uint8_t> head) {
    constexpr std::size_t kCoffHeader = 20, kSubsystemAt = 68;
    if (head.size() < 0x40 || head[0] != 'M' || head[1] != 'Z') return std::nullopt;
    const std::size_t pe = Read(head, 0x3C, 4);
    const std::size_t optional = pe + 4 + kCoffHeader;
    if (pe > head.size() || head.size() - pe < 4 + kCoffHeader || Read(head, pe, 4) != 0x00004550) // "PE\0\0"
        return std::nullopt;
    const std::size_t optionalSize = Read(head, pe + 4 + 16, 2);
    if (optionalSize < kSubsystemAt + 2 || head.size() - optional < kSubsystemAt + 2) return std::nullopt;
    const std::uint32_t magic = Read(head, optional, 2);
    if (magic != 0x10B && magic != 0x20B) return std::nullopt; // PE32, PE32+
    return static_cast<std::uint16_t>(Read(head, optional + kSubsystemAt, 2));
}

} // namespace korimo::procmon
