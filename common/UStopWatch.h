#pragma once

#include <cstdint>

// Elapsed time over the millisecond tick counter. The difference is taken as an unsigned
// 32-bit value, so one wrap of the counter (every 49.7 days) is absorbed.
class UStopWatch {
public:
    void start();
    void stop();
    float seconds() const;
    float stopAndSeconds();

private:
    std::uint32_t mStart = 0;
    std::uint32_t mEnd = 0;
};
