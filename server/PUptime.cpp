#include "server/PUptime.h"

#include "common/UStopWatch.h"

namespace {

// Made before the entry function runs, like the log's lock, so it never races its first use.
UStopWatch gUptime;

} // namespace

void PUptime::start() { gUptime.start(); }

UStopWatch& PUptime::watch() { return gUptime; }
