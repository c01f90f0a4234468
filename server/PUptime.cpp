#include "server/PUptime.h"

#include "common/UStopWatch.h"

namespace {

// The process's one uptime stopwatch; both fields start at zero before anything runs.
UStopWatch gUptime;

} // namespace

void PUptime::start() { gUptime.start(); }

UStopWatch& PUptime::watch() { return gUptime; }
