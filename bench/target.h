// How every benchmark states a target: one line "target: <what> = <value> (<= <limit>) met" or "... MISSED",
// which bench/run.sh counts. A benchmark exits non-zero when one of its targets was missed.
#pragma once

#include <cstdio>

namespace korimo::bench {

class Targets {
public:
    // A figure that must not exceed its limit.
    bool AtMost(const char* what, double value, double limit) { return Say(what, value, "<=", limit, value <= limit); }
    // A figure that must reach its limit.
    bool AtLeast(const char* what, double value, double limit) { return Say(what, value, ">=", limit, value >= limit); }
    // A condition that must hold (every entry in the log, the views equal to it...).
    bool Holds(const char* what, bool holds) {
        std::printf("target: %s: %s\n", what, holds ? "met" : "MISSED");
        missed_ += !holds;
        return holds;
    }
    int ExitCode() const { return missed_ ? 1 : 0; }

private:
    bool Say(const char* what, double value, const char* relation, double limit, bool met) {
        std::printf("target: %s = %.3f (%s %.3f) %s\n", what, value, relation, limit, met ? "met" : "MISSED");
        missed_ += !met;
        return met;
    }
    int missed_ = 0;
};

} // namespace korimo::bench
