#include "server/PServerControl.h"

#include <atomic>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> gStop{false};
std::atomic<Clock::rep> gStopTicks{0};
std::atomic<int> gGrace{PServerControl::kDefaultGraceSeconds};
std::atomic<void (*)()> gHook{nullptr};

} // namespace

void PServerControl::requestStop()
{
    if (gStop.load())
        return;
    // The time first, so that a loop that sees the request also sees when it came.
    gStopTicks.store(Clock::now().time_since_epoch().count());
    gStop.store(true);
}

bool PServerControl::stopRequested() { return gStop.load(); }

bool PServerControl::graceOver()
{
    if (!gStop.load())
        return false;
    const Clock::time_point since{Clock::duration{gStopTicks.load()}};
    return Clock::now() - since >= std::chrono::seconds(gGrace.load());
}

int PServerControl::graceSeconds() { return gGrace.load(); }

void PServerControl::setGraceSeconds(int seconds) { gGrace.store(seconds < 0 ? 0 : seconds); }

void PServerControl::setListeningHook(void (*hook)()) { gHook.store(hook); }

void PServerControl::listening()
{
    void (*hook)() = gHook.load();
    if (hook != nullptr)
        hook();
}

void PServerControl::reset()
{
    gStop.store(false);
    gStopTicks.store(0);
    gGrace.store(kDefaultGraceSeconds);
    gHook.store(nullptr);
}
