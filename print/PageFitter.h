#pragma once

#include "print/PageGeometry.h"

#include <cstdint>
#include <string>

class PrintArgs;
class PrintDevice;

// Fits the document to the page: turns the millimetre settings into device pixels and
// chooses the font width so that the longest line fits between the margins. Text is never
// wrapped; the font is narrowed instead.
class PageFitter {
public:
    // The font-width search moves one pixel per try; on any real device it settles within
    // a few tries. A device whose measured width does not follow the requested one would
    // keep it going forever, so it stops here and takes the best width it found.
    static constexpr int kMaxWidthTries = 200;

    PageFitter(const PrintArgs& options, PrintDevice* device, PageGeometry& page);

    // The page size, the margins and the text and line heights. False (logged) when the
    // device reports no page size, or when not one line fits between the margins.
    bool measure();
    // The grid cell and the font width for a longest line of maxLength characters. False
    // (logged) when a font cannot be selected or measured, or when not one character fits
    // between the margins.
    bool fitFont(int maxLength);
    // How many lines a page holds, the banner's slot below them inside the printable area
    // where one line can give way to it; at least one.
    void countLinesPerPage();
    // Whether measure() or fitFont() refused the options: margins or text sizes that leave
    // no room on this printer's page.
    bool refused() const { return mRefused; }

private:
    // A height in tenths of a millimetre as the options spell it: 35 is "3.5".
    static std::string tenths(std::int32_t value);
    bool refuse(const char* message);
    bool searchFontWidth();
    bool measureW(int fontWidth, const char* warning, int& measured);

    const PrintArgs& mArgs;
    PrintDevice* mDevice;
    PageGeometry& mPage;
    bool mRefused = false;
};
