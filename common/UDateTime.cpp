#include "common/UDateTime.h"

#include "common/UOs.h"

#include <cstdio>

UDateTime::UDateTime(int s, int mi, int h, int d, int mo, int y)
    : second(static_cast<std::uint8_t>(s)), minute(static_cast<std::uint8_t>(mi)),
      hour(static_cast<std::uint8_t>(h)), day(static_cast<std::uint8_t>(d)),
      month(static_cast<std::uint8_t>(mo)), year(static_cast<std::uint16_t>(y))
{
}

UDateTime UDateTime::now()
{
    const UOs::LocalTime t = UOs::localTime();
    return UDateTime(t.second, t.minute, t.hour, t.day, t.month, t.year);
}

UString UDateTime::date() const
{
    static const char* const names[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // A month outside 1..12 cannot come from the clock; show it rather than index past the table.
    const char* name = month >= 1 && month <= 12 ? names[month - 1] : "???";
    UString s;
    UString withDay = s + static_cast<int>(day);
    UString withSlash = withDay + '/';
    UString withMonth = withSlash + name;
    UString withSlash2 = withMonth + '/';
    return withSlash2 + static_cast<int>(year);
}

UString UDateTime::time() const
{
    UString s;
    UString h = s + static_cast<int>(hour);
    UString hc = h + ':';
    UString m = hc + static_cast<int>(minute);
    UString mc = m + ':';
    return mc + static_cast<int>(second);
}

UString UDateTime::logOn() const
{
    char line[80];
    std::snprintf(line, sizeof line, "LOG ON: %lu-%lu-%lu (d-m-y), %lu:%lu:%lu", static_cast<unsigned long>(day),
                  static_cast<unsigned long>(month), static_cast<unsigned long>(year),
                  static_cast<unsigned long>(hour), static_cast<unsigned long>(minute),
                  static_cast<unsigned long>(second));
    return UString(static_cast<const char*>(line));
}
