#include "print/RuleDrawer.h"

#include "print/LineStore.h"
#include "print/PageGeometry.h"
#include "print/PixelMath.h"
#include "printer/Graphics.h"

#include <algorithm>

RuleDrawer::RuleDrawer(PrintDevice* dc, const PageGeometry& page, const LineStore& lines, int totalLines)
    : mDc(dc), mPage(page), mLines(lines), mTotalLines(totalLines)
{
}

bool RuleDrawer::drawsAsLines(const GridPosition& at, char ch) const
{
    if (ch == '+')
        return isJoint(at.line, at.column);
    if (ch == '|')
        return mTotalLines > 1
            && (joins(at, ch, at.line - 1, at.column) || joins(at, ch, at.line + 1, at.column));
    return joins(at, ch, at.line, at.column - 1) || joins(at, ch, at.line, at.column + 1);
}

bool RuleDrawer::isJoint(int line, int column) const
{
    return mLines.at(line, column) == '+'
        && (Graphics::isRuleChar(mLines.at(line, column - 1)) || Graphics::isRuleChar(mLines.at(line, column + 1))
            || Graphics::isRuleChar(mLines.at(line - 1, column)) || Graphics::isRuleChar(mLines.at(line + 1, column)));
}

bool RuleDrawer::joins(const GridPosition& at, char ch, int line, int column) const
{
    const char other = mLines.at(line, column);
    if (isJoint(line, column) || (ch == '+' && Graphics::isRuleChar(other)))
        return true;
    // Along its own direction a rule joins any rule; across it only a rule of the other
    // direction, so two rules on neighbouring rows (or columns) stay two clean lines.
    const bool across = (line != at.line) == (ch != '|');
    if (across)
        return ch == '|' ? other == '-' || other == '=' : other == '|';
    return Graphics::isRuleChar(other);
}

void RuleDrawer::draw(const GridPosition& at, char ch)
{
    const double p = mPage.pitch();
    const double cell = static_cast<double>(mPage.cellWidth);
    const double y0 = p * at.row + mPage.topPx;
    const double x0 = cell * at.column + mPage.leftPx;
    // A cell ends where the next one begins, both edges computed the same way; computed
    // from its own start, an edge can truncate one pixel short of the next cell's start and
    // leave a gap in every rule that crosses it.
    const int top = trunc32(y0);
    const int middle = trunc32(y0 + p / 2);
    const int bottom = trunc32(p * (at.row + 1) + mPage.topPx);
    const int xLeft = trunc32(x0);
    const int xMid = trunc32(x0 + cell / 2);
    const int xRight = trunc32(cell * (at.column + 1) + mPage.leftPx);
    const bool left = joins(at, ch, at.line, at.column - 1);
    const bool right = joins(at, ch, at.line, at.column + 1);
    const bool above = mTotalLines > 1 && joins(at, ch, at.line - 1, at.column);
    const bool below = mTotalLines > 1 && joins(at, ch, at.line + 1, at.column);

    if (ch != '=') {
        if (left)
            mHorizontal.push_back({ middle, xLeft, xMid });
        if (right)
            mHorizontal.push_back({ middle, xMid, xRight });
        if (above)
            mVertical.push_back({ xMid, top, middle });
        if (below)
            mVertical.push_back({ xMid, middle, bottom });
        return;
    }
    // The double shape: two bands at 5/12 and 7/12 of the text height, as single-precision
    // fractions.
    const int a = trunc32(y0 + trunc32(mPage.htextPx * static_cast<double>(5.0f / 12.0f)));
    const int b = trunc32(y0 + trunc32(mPage.htextPx * static_cast<double>(7.0f / 12.0f)));
    for (int y : { a, b }) {
        if (left)
            mHorizontal.push_back({ y, xLeft, xMid });
        if (right)
            mHorizontal.push_back({ y, xMid, xRight });
    }
    if (above)
        mVertical.push_back({ xMid, top, b });
    // A double rule in the last five lines of the document gets no stroke downwards.
    if (below && at.line < mTotalLines - 5)
        mVertical.push_back({ xMid, a, bottom });
}

void RuleDrawer::flush()
{
    flush(mHorizontal, true);
    flush(mVertical, false);
}

void RuleDrawer::flush(std::vector<Piece>& pieces, bool horizontal)
{
    std::sort(pieces.begin(), pieces.end());
    // Pieces on one line that touch or overlap become one run: a stroke ends where the next
    // begins, so the run covers exactly the pixels of its pieces.
    for (size_t i = 0; i < pieces.size();) {
        Piece run = pieces[i];
        for (++i; i < pieces.size() && pieces[i].across == run.across && pieces[i].from <= run.to; ++i)
            run.to = std::max(run.to, pieces[i].to);
        if (horizontal)
            Graphics::drawHLine(mDc, run.from, run.across, run.to, run.across, kPen);
        else
            Graphics::drawVLine(mDc, run.across, run.from, run.across, run.to, kPen);
    }
    pieces.clear();
}
