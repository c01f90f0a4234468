#include "bench/PeakMemory.h"

#include <cstdio>
#include <cstring>

namespace {

// A "Name:   1234 kB" line of /proc/self/status, in bytes.
long long statusField(const char* name)
{
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr)
        return 0;
    char line[256];
    long long kb = 0;
    const size_t n = std::strlen(name);
    while (std::fgets(line, sizeof line, f) != nullptr) {
        if (std::strncmp(line, name, n) == 0 && line[n] == ':') {
            std::sscanf(line + n + 1, "%lld", &kb);
            break;
        }
    }
    std::fclose(f);
    return kb * 1024;
}

} // namespace

long long PeakMemory::peakBytes() { return statusField("VmHWM"); }
long long PeakMemory::currentBytes() { return statusField("VmRSS"); }
