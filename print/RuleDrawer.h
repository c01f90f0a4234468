#pragma once

#include "print/GridPosition.h"

#include <vector>

class LineStore;
class PrintDevice;
struct PageGeometry;

// The ruled lines of -graph: a rule character ("-", "=" or "|") that joins a neighbouring
// rule character is drawn as lines instead of its glyph, so text tables and frames print
// as ruled boxes; so is a "+" beside, above or below one, as the joint of an ASCII table.
// Each such cell contributes up to four half-cell pieces from its centre towards the rules
// it joins ("=" as two bands): along its direction any rule, across it only a rule of the
// other direction, a joint in every direction. The pieces of a page are kept
// and drawn at its end, merged into maximal runs, so a frame costs one rule per line of
// the frame instead of four per cell, and covers the same pixels.
class RuleDrawer {
public:
    // Thickness in pixels of drawn rules.
    static constexpr int kPen = 3;

    RuleDrawer(PrintDevice* dc, const PageGeometry& page, const LineStore& lines, int totalLines);

    // Whether the rule character ch at `at` is drawn as lines: "|" when a rule character
    // stands above or below it, "-" and "=" when one stands left or right of it, "+" when
    // one stands on any side.
    bool drawsAsLines(const GridPosition& at, char ch) const;
    // Adds the cell at `at` as pieces towards its rule neighbours.
    void draw(const GridPosition& at, char ch);
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

    // Whether the character at (line, column) is a "+" with a rule character beside,
    // above or below it.
    bool isJoint(int line, int column) const;
    // Whether the cell ch at `at` joins its neighbour at (line, column).
    bool joins(const GridPosition& at, char ch, int line, int column) const;
    void flush(std::vector<Piece>& pieces, bool horizontal);

    PrintDevice* mDc;
    const PageGeometry& mPage;
    const LineStore& mLines;
    int mTotalLines;
    std::vector<Piece> mHorizontal;
    std::vector<Piece> mVertical;
};
