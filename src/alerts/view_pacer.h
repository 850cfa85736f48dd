// How long the log's views wait between updates. An update of the views that took long (a long log, wrapped, in a
// flood of entries) makes the next one wait nine times as long, up to kViewUpdateMaxMs, so that the views never
// take more than a tenth of the thread.
#pragma once

#include <algorithm>
#include <cstdint>

namespace korimo::alerts {

inline constexpr unsigned kViewUpdateMs = 100;
inline constexpr unsigned kViewUpdateMaxMs = 1000;

class ViewPacer {
public:
    unsigned DelayMs() const { return delayMs_; }
    void UpdateTook(std::uint64_t ms) {
        delayMs_ = static_cast<unsigned>(std::clamp<std::uint64_t>(ms * 9, kViewUpdateMs, kViewUpdateMaxMs));
    }

private:
    unsigned delayMs_ = kViewUpdateMs;
};

} // namespace korimo::alerts
