// What the benchmarks share: the clock, the message loop run until it is empty, counting entries, a median.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string_view>
#include <vector>

namespace korimo::bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
inline double SecondsSince(Clock::time_point start) { return Seconds(Clock::now() - start); }

// Handles every waiting message, as the program's loop does between two events. Under Wine the drawing of a
// window reaches the screen when its thread finds its queue empty, so this also pays for that.
inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Seconds per call of `body`, over `rounds` calls.
template <class F> double Timed(int rounds, F&& body) {
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i) body();
    return SecondsSince(start) / rounds;
}

// How many times `what` occurs in `text` (entries of a kind in the log).
inline std::size_t Count(std::wstring_view text, std::wstring_view what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::wstring_view::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace korimo::bench
