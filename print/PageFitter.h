#pragma once

#include "print/PageGeometry.h"

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
    // device reports no page size.
    bool measure();
    // The grid cell and the font width for a longest line of maxLength characters. False
    // (logged) when a font cannot be selected or measured.
    bool fitFont(int maxLength);
    // How many lines a page holds; at least one (logged when the margins leave less).
    void countLinesPerPage();

private:
    bool searchFontWidth();
    bool measureW(int fontWidth, const char* warning, int& measured);

    const PrintArgs& mArgs;
    PrintDevice* mDevice;
    PageGeometry& mPage;
};
