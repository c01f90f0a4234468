#pragma once

#include <climits>
#include <cstdint>

// A product or sum of page sizes kept inside 32 bits, where a margin of millions of
// millimetres would otherwise overflow.
inline std::int32_t clamp32(long long v)
{
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<std::int32_t>(v);
}

// Truncation toward zero of a coordinate or count, safe for any value a degenerate page
// can produce (an infinite or undefined quotient included).
inline std::int32_t trunc32(double v)
{
    if (!(v == v))
        return 0;
    if (v >= 2147483647.0)
        return INT_MAX;
    if (v <= -2147483648.0)
        return INT_MIN;
    return static_cast<std::int32_t>(v);
}
