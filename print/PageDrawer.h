#pragma once

#include "print/GridPosition.h"
#include "print/LineReader.h"
#include "print/RuleDrawer.h"

class LineStore;
class PrintDevice;
struct PageGeometry;

// Draws the text lines of a page on the character grid: runs of text with one advance per
// cell, each rule character on its own, and with -graph the rules as lines, drawn once the
// page's text is down.
class PageDrawer {
public:
    // A run of text is drawn with one advance per character; a line holds at most this
    // many characters.
    static constexpr int kMaxRun = LineReader::kLineSize - 1;

    PageDrawer(PrintDevice* dc, const PageGeometry& page, const LineStore& lines, int totalLines, bool graph);

    // Draws the document lines first up to, not including, end as the rows of one page.
    // False as soon as the device refuses a text.
    bool drawLines(int first, int end);

private:
    bool drawLine(GridPosition at);
    // Draws count characters of the line from `at`, each followed by its advance, or one
    // rule character alone (advances null): bytes as they are, decoded lines with the wide
    // call.
    bool drawText(int x, int y, const GridPosition& at, int count, const int* advances);
    // Whether ch at `at` is drawn on its own, as a rule character: as its glyph, or with
    // -graph as lines.
    bool isRule(const GridPosition& at, char16_t c) const;

    PrintDevice* mDc;
    const PageGeometry& mPage;
    const LineStore& mLines;
    bool mGraph;
    RuleDrawer mRules;
    int mAdvances[kMaxRun];
};
