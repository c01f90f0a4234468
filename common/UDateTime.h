#pragma once

#include "common/UString.h"

#include <cstdint>

// A local date and time as the print program's log prefix shows it: 6/Dec/2026 and 2:5:9.
class UDateTime {
public:
    UDateTime() = default;
    UDateTime(int second, int minute, int hour, int day, int month, int year);
    static UDateTime now();

    UString date() const;
    UString time() const;
    // The start line both programs log: "LOG ON: 6-12-2026 (d-m-y), 2:12:20".
    UString logOn() const;

    std::uint8_t second = 0;
    std::uint8_t minute = 0;
    std::uint8_t hour = 0;
    std::uint8_t day = 1;
    std::uint8_t month = 1;
    std::uint16_t year = 1970;
};
