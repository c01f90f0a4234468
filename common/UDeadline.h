#pragma once

#include <cstdint>

// A moment by which something must be done, over the millisecond tick counter (one wrap of
// the counter is absorbed, as in UStopWatch). A default deadline is none: it never passes.
// Several steps that must end together share one deadline instead of each starting its own
// limit, so a peer cannot stretch a whole by dripping its parts.
class UDeadline {
public:
    UDeadline();
    // seconds from now; a negative time gives none.
    static UDeadline after(double seconds);

    bool isSet() const { return mSet; }
    bool passed() const;
    // A step's own limit in seconds (negative: none) cut to what is left of this deadline:
    // never below zero when the deadline is set.
    double cut(double limit) const;
    // Whichever of the two passes first; none only when both are none.
    UDeadline earlier(const UDeadline& other) const;

private:
    double secondsLeft() const;

    bool mSet;
    std::uint32_t mStart;
    double mSeconds;
};
