#include "print/RuleDrawer.h"

#include "print/LineStore.h"
#include "print/PageGeometry.h"
#include "print/PixelMath.h"
#include "printer/Graphics.h"

RuleDrawer::RuleDrawer(PrintDevice* dc, const PageGeometry& page, const LineStore& lines, int totalLines)
    : mDc(dc), mPage(page), mLines(lines), mTotalLines(totalLines)
{
}

bool RuleDrawer::drawsAsLines(const GridPosition& at, char ch) const
{
    return ch == '|' ? Graphics::joinsVertically(mLines.lines(), mTotalLines, at.line, at.column)
                     : Graphics::joinsHorizontally(mLines.lines(), at.line, at.column);
}

void RuleDrawer::draw(const GridPosition& at, char ch)
{
    const double p = mPage.pitch();
    const double cell = static_cast<double>(mPage.cellWidth);
    const double y0 = p * at.row + mPage.topPx;
    const double x0 = cell * at.column + mPage.leftPx;
    const double ym = y0 + p / 2;
    const double xLeft = trunc32(x0);
    const double xMid = trunc32(x0 + cell / 2);
    const double xRight = trunc32(x0 + mPage.cellWidth);
    const bool left = at.column > 0 && Graphics::isRuleChar(mLines.at(at.line, at.column - 1));
    const bool right = Graphics::isRuleChar(mLines.at(at.line, at.column + 1));
    const bool above = mTotalLines > 1 && Graphics::isRuleChar(mLines.at(at.line - 1, at.column));
    const bool below = mTotalLines > 1 && Graphics::isRuleChar(mLines.at(at.line + 1, at.column));

    if (ch != '=') {
        if (left)
            Graphics::drawHLine(mDc, xLeft, ym, xMid, ym, kPen);
        if (right)
            Graphics::drawHLine(mDc, xMid, ym, xRight, ym, kPen);
        if (above)
            Graphics::drawVLine(mDc, xMid, y0, xMid, ym, kPen);
        if (below)
            Graphics::drawVLine(mDc, xMid, ym, xMid, y0 + p, kPen);
        return;
    }
    // The double shape: two bands at 5/12 and 7/12 of the text height, as single-precision
    // fractions.
    const double a = trunc32(mPage.htextPx * static_cast<double>(5.0f / 12.0f));
    const double b = trunc32(mPage.htextPx * static_cast<double>(7.0f / 12.0f));
    if (left) {
        Graphics::drawHLine(mDc, xLeft, y0 + a, xMid, y0 + a, kPen);
        Graphics::drawHLine(mDc, xLeft, y0 + b, xMid, y0 + b, kPen);
    }
    if (right) {
        Graphics::drawHLine(mDc, xMid, y0 + a, xRight, y0 + a, kPen);
        Graphics::drawHLine(mDc, xMid, y0 + b, xRight, y0 + b, kPen);
    }
    if (above)
        Graphics::drawVLine(mDc, xMid, y0, xMid, y0 + b, kPen);
    // A double rule in the last five lines of the document gets no stroke downwards.
    if (below && at.line < mTotalLines - 5)
        Graphics::drawVLine(mDc, xMid, y0 + a, xMid, y0 + p, kPen);
}
