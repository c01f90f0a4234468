#pragma once

// What happens when memory runs out, in one place: the program says where, in its own log
// style, and ends (ULog::fatal). Nothing throws, so no caller half-handles it.
class UMemory {
public:
    [[noreturn]] static void exhausted(const char* where);
    // Makes every failed new, the standard containers' included, end through exhausted.
    // Each program calls it first thing in its entry function.
    static void endOnFailedNew();
};
