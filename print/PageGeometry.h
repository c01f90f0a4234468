#pragma once

#include "print/PixelMath.h"

#include <cstdint>

// Where a document goes on the page, in device pixels unless named otherwise: the page
// size the printer reports, the margins, the printable area between them, the text and
// line heights, and the character grid the font was fitted to.
struct PageGeometry {
    // The printable area: the device's page at first, then what the margins leave.
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t widthMM = 0;
    std::int32_t heightMM = 0;
    double htextPx = 0;
    double hlinePx = 0;
    std::int32_t leftPx = 0;
    std::int32_t rightPx = 0;
    std::int32_t topPx = 0;
    std::int32_t bottomPx = 0;
    std::int32_t linesPerPage = 0;
    // One grid cell's width, the natural width of "W" and the font width asked for.
    float cellWidth = 0;
    std::int32_t charWidth = 0;
    std::int32_t fontWidth = 0;

    // The distance of two text lines.
    double pitch() const { return htextPx + hlinePx; }
    // The height of the device's printable area, margins included.
    long long fullHeight() const { return static_cast<long long>(height) + topPx + bottomPx; }
    // A banner's height in pixels for hbanner tenths of a millimetre, scaled by the height
    // between the margins as the banner has always been (a page with margins gets a
    // smaller banner).
    int bannerPx(std::int32_t hbanner) const
    {
        return heightMM > 0 ? clamp32(static_cast<long long>(hbanner) * height / heightMM) / 10 : 0;
    }
};
