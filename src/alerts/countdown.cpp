#include "alerts/countdown.h"

#include <limits>

namespace korimo::alerts {

std::wstring CountdownTick(std::int16_t& Ot, std::int16_t Ov, std::int16_t& Ovalue) {
    const int shown = Ot;
    std::wstring label = (shown < 0 ? L"-" : L" ") + std::to_wstring(shown < 0 ? -shown : shown);
    if (Ot > std::numeric_limits<std::int16_t>::min()) --Ot;
    if (Ot < 0 && Ov != 0) Ovalue = Ov;
    return label;
}

} // namespace korimo::alerts
