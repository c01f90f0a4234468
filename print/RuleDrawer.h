#pragma once

#include "print/GridPosition.h"

#include <vector>

class LineStore;
class PrintDevice;
struct PageGeometry;

// The ruled lines of -graph: a rule character ("-", "=", "|" or a box-drawing character,
// see BoxChar) that joins a neighbouring rule character is drawn as lines instead of its
// glyph, so text tables and frames print as ruled boxes; so is a "+" beside, above or
// below one, as the joint of an ASCII table. Each such cell contributes pieces from its
// centre towards the rules it joins: along its direction any rule, across it only a rule
// of the other direction, a joint in every direction. Double horizontals ("=", "═") are
// two bands; double verticals ("║") two parallel lines as far apart as those bands, which
// meet the bands at corners and tees. The pieces of a page are kept and drawn at its end,
// merged into maximal runs, so a frame costs one rule per line of the frame instead of
// four per cell, and covers the same pixels.
class RuleDrawer {
public:
    // Thickness in pixels of drawn rules.
    static constexpr int kPen = 3;

    // A wide store's lines are decoded already; a byte store's frame bytes are read as
    // code page 437's.
    RuleDrawer(PrintDevice* dc, const PageGeometry& page, const LineStore& lines, int totalLines);

    // The character at (line, column) as the rules see it: Unicode, frame bytes decoded.
    char16_t cell(int line, int column) const;
    // Whether the rule character c at `at` is drawn as lines: a vertical rule when a rule
    // character stands above or below it, a horizontal one when one stands left or right
    // of it, "+" when one stands on any side.
    bool drawsAsLines(const GridPosition& at, char16_t c) const;
    // Adds the cell at `at` as pieces towards its rule neighbours.
    void draw(const GridPosition& at, char16_t c);
    // Draws the pieces added so far as maximal runs, each once, and forgets them.
    void flush();

private:
    // A piece of a rule: at `across` (y of a horizontal rule, x of a vertical one), from
    // `from` to `to` along it, in pixels.
    struct Piece {
        int across;
        int from;
        int to;
        bool operator<(const Piece& o) const
        {
            return across != o.across ? across < o.across : from < o.from;
        }
    };
    // A cell's edges and middle in pixels, and the sides it joins.
    struct Cell {
        int top, middle, bottom, xLeft, xMid, xRight;
        bool left, right, above, below;
    };

    // The rule class of the character at (line, column): "-", "=", "|", "+" or 0.
    char classAt(int line, int column) const;
    // Whether the character at (line, column) is a "+" with a rule character beside,
    // above or below it.
    bool isJoint(int line, int column) const;
    // Whether a cell of rule class cls at `at` joins its neighbour at (line, column).
    bool joins(const GridPosition& at, char cls, int line, int column) const;
    // The double vertical: two lines either side of the cell's middle.
    void drawDoubleDown(const Cell& c, int a, int b, bool doubleAcross);
    void flush(std::vector<Piece>& pieces, bool horizontal);

    PrintDevice* mDc;
    const PageGeometry& mPage;
    const LineStore& mLines;
    int mTotalLines;
    std::vector<Piece> mHorizontal;
    std::vector<Piece> mVertical;
};
