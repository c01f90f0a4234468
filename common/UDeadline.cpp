#include "common/UDeadline.h"

#include "common/UOs.h"

UDeadline::UDeadline() : mSet(false), mStart(0), mSeconds(0.0) {}

UDeadline UDeadline::after(double seconds)
{
    UDeadline d;
    if (seconds >= 0) {
        d.mSet = true;
        d.mStart = UOs::tickCount();
        d.mSeconds = seconds;
    }
    return d;
}

double UDeadline::secondsLeft() const
{
    const std::uint32_t elapsed = UOs::tickCount() - mStart;
    const double left = mSeconds - static_cast<double>(elapsed) / 1000.0;
    return left < 0 ? 0.0 : left;
}

bool UDeadline::passed() const { return mSet && secondsLeft() <= 0; }

double UDeadline::cut(double limit) const
{
    if (!mSet)
        return limit;
    const double left = secondsLeft();
    return limit < 0 || left < limit ? left : limit;
}

UDeadline UDeadline::earlier(const UDeadline& other) const
{
    if (!mSet)
        return other;
    if (!other.mSet)
        return *this;
    return secondsLeft() <= other.secondsLeft() ? *this : other;
}
