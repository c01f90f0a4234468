#pragma once

#include <cstdint>

// The operating-system seam: the few services whose Windows and POSIX forms differ.
// UOsWin.cpp and UOsPosix.cpp implement it; the build picks one, so no other code asks
// which platform it runs on.
class UOs {
public:
    struct LocalTime {
        int second;
        int minute;
        int hour;
        int day;   // 1..31
        int month; // 1..12
        int year;  // full year
    };

    // Milliseconds since an arbitrary start; wraps after about 49.7 days.
    static std::uint32_t tickCount();
    static LocalTime localTime();
    static void sleepMs(int ms);
    // A modal box on Windows; standard error elsewhere. Returns when it is dismissed.
    static void alertBox(const char* text, const char* caption);
};
