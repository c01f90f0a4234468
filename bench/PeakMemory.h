#pragma once

// The memory a process has used: its peak and its current resident (working-set) size, in
// bytes; 0 when the platform cannot tell.
class PeakMemory {
public:
    static long long peakBytes();
    static long long currentBytes();
};
