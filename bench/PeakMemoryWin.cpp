#include "bench/PeakMemory.h"

#include <windows.h>
#include <psapi.h>

namespace {

bool counters(PROCESS_MEMORY_COUNTERS& pmc)
{
    pmc.cb = sizeof pmc;
    return GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc) != FALSE;
}

} // namespace

long long PeakMemory::peakBytes()
{
    PROCESS_MEMORY_COUNTERS pmc;
    return counters(pmc) ? static_cast<long long>(pmc.PeakWorkingSetSize) : 0;
}

long long PeakMemory::currentBytes()
{
    PROCESS_MEMORY_COUNTERS pmc;
    return counters(pmc) ? static_cast<long long>(pmc.WorkingSetSize) : 0;
}
