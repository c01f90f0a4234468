#include "common/UStopWatch.h"

#include "common/UOs.h"

void UStopWatch::start() { mStart = UOs::tickCount(); }
void UStopWatch::stop() { mEnd = UOs::tickCount(); }

float UStopWatch::seconds() const
{
    const std::uint32_t elapsed = mEnd - mStart;
    return static_cast<float>(static_cast<double>(elapsed) / 1000.0);
}

float UStopWatch::stopAndSeconds()
{
    stop();
    return seconds();
}
