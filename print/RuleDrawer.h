#pragma once

#include "print/GridPosition.h"

class LineStore;
class PrintDevice;
struct PageGeometry;

// The ruled lines of -graph: a rule character ("-", "=" or "|") that joins a neighbouring
// rule character is drawn as lines instead of its glyph, so text tables and frames print
// as ruled boxes. Each such cell is drawn on its own, as up to four half-cell strokes from
// its centre towards the rule characters around it; "=" as two bands.
class RuleDrawer {
public:
    // Thickness in pixels of drawn rules.
    static constexpr int kPen = 3;

    RuleDrawer(PrintDevice* dc, const PageGeometry& page, const LineStore& lines, int totalLines);

    // Whether the rule character ch at `at` is drawn as lines: "|" when a rule character
    // stands above or below it, "-" and "=" when one stands left or right of it.
    bool drawsAsLines(const GridPosition& at, char ch) const;
    // Draws the cell at `at` as lines towards its rule neighbours.
    void draw(const GridPosition& at, char ch);

private:
    PrintDevice* mDc;
    const PageGeometry& mPage;
    const LineStore& mLines;
    int mTotalLines;
};
