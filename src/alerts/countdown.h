// The countdown of the alert pop-up, on its public 16-bit values: `Ot` seconds left, `Ov` the answer taken when
// they run out, `Ovalue` the answer (0: none yet).
#pragma once

#include <cstdint>
#include <string>

namespace korimo::alerts {

// One tick, once a second: returns what the countdown shows (" 10" … " 0"; "-1" … when there is no default
// answer and the count goes on), counts `Ot` down and, once it is below zero, answers with `Ov`. An `Ov` of 0
// gives no answer. `Ot` stops at the smallest 16-bit value instead of wrapping round to a positive one.
std::wstring CountdownTick(std::int16_t& Ot, std::int16_t Ov, std::int16_t& Ovalue);

} // namespace korimo::alerts
