#include "print/RuleDrawer.h"

#include "print/BoxChar.h"
#include "print/LineStore.h"
#include "print/PageGeometry.h"
#include "print/PixelMath.h"
#include "printer/Graphics.h"

#include <algorithm>

RuleDrawer::RuleDrawer(PrintDevice* dc, const PageGeometry& page, const LineStore& lines, int totalLines)
    : mDc(dc), mPage(page), mLines(lines), mTotalLines(totalLines)
{
}

char16_t RuleDrawer::cell(int line, int column) const
{
    const char16_t c = mLines.at(line, column);
    return mLines.wide() ? c : BoxChar::fromCodePage437(static_cast<unsigned char>(c));
}

char RuleDrawer::classAt(int line, int column) const
{
    const char16_t c = cell(line, column);
    return c == '+' ? '+' : BoxChar::ruleClass(c);
}

bool RuleDrawer::drawsAsLines(const GridPosition& at, char16_t c) const
{
    const char cls = c == '+' ? '+' : BoxChar::ruleClass(c);
    if (cls == '+')
        return isJoint(at.line, at.column);
    if (cls == '|')
        return mTotalLines > 1
            && (joins(at, cls, at.line - 1, at.column) || joins(at, cls, at.line + 1, at.column));
    return cls != 0 && (joins(at, cls, at.line, at.column - 1) || joins(at, cls, at.line, at.column + 1));
}

bool RuleDrawer::isJoint(int line, int column) const
{
    auto rule = [this](int l, int c) {
        const char cls = classAt(l, c);
        return cls != 0 && cls != '+';
    };
    return cell(line, column) == '+'
        && (rule(line, column - 1) || rule(line, column + 1) || rule(line - 1, column) || rule(line + 1, column));
}

bool RuleDrawer::joins(const GridPosition& at, char cls, int line, int column) const
{
    const char other = classAt(line, column);
    if (other == 0)
        return false;
    if (other == '+' ? isJoint(line, column) : cls == '+')
        return true;
    if (other == '+')
        return false;
    // Along its own direction a rule joins any rule; across it only a rule of the other
    // direction, so two rules on neighbouring rows (or columns) stay two clean lines.
    const bool across = (line != at.line) == (cls != '|');
    if (across)
        return cls == '|' ? other != '|' : other == '|';
    return true;
}

void RuleDrawer::draw(const GridPosition& at, char16_t c)
{
    const char cls = c == '+' ? '+' : BoxChar::ruleClass(c);
    const double p = mPage.pitch();
    const double width = static_cast<double>(mPage.cellWidth);
    const double y0 = p * at.row + mPage.topPx;
    const double x0 = width * at.column + mPage.leftPx;
    // A cell ends where the next one begins, both edges computed the same way; computed
    // from its own start, an edge can truncate one pixel short of the next cell's start and
    // leave a gap in every rule that crosses it.
    Cell k;
    k.top = trunc32(y0);
    k.middle = trunc32(y0 + p / 2);
    k.bottom = trunc32(p * (at.row + 1) + mPage.topPx);
    k.xLeft = trunc32(x0);
    k.xMid = trunc32(x0 + width / 2);
    k.xRight = trunc32(width * (at.column + 1) + mPage.leftPx);
    k.left = joins(at, cls, at.line, at.column - 1);
    k.right = joins(at, cls, at.line, at.column + 1);
    k.above = mTotalLines > 1 && joins(at, cls, at.line - 1, at.column);
    k.below = mTotalLines > 1 && joins(at, cls, at.line + 1, at.column);
    // The double shape: two bands at 5/12 and 7/12 of the text height, as single-precision
    // fractions.
    const int a = trunc32(y0 + trunc32(mPage.htextPx * static_cast<double>(5.0f / 12.0f)));
    const int b = trunc32(y0 + trunc32(mPage.htextPx * static_cast<double>(7.0f / 12.0f)));
    const bool doubleAcross = BoxChar::doubleAcross(c);

    if (BoxChar::doubleDown(c)) {
        drawDoubleDown(k, a, b, doubleAcross);
        return;
    }
    if (!doubleAcross) {
        if (k.left)
            mHorizontal.push_back({ k.middle, k.xLeft, k.xMid });
        if (k.right)
            mHorizontal.push_back({ k.middle, k.xMid, k.xRight });
        if (k.above)
            mVertical.push_back({ k.xMid, k.top, k.middle });
        if (k.below)
            mVertical.push_back({ k.xMid, k.middle, k.bottom });
        return;
    }
    for (int y : { a, b }) {
        if (k.left)
            mHorizontal.push_back({ y, k.xLeft, k.xMid });
        if (k.right)
            mHorizontal.push_back({ y, k.xMid, k.xRight });
    }
    if (k.above)
        mVertical.push_back({ k.xMid, k.top, b });
    // An "=" rule in the last five lines of the document gets no stroke downwards.
    if (k.below && (c != '=' || at.line < mTotalLines - 5))
        mVertical.push_back({ k.xMid, a, k.bottom });
}

void RuleDrawer::drawDoubleDown(const Cell& k, int a, int b, bool doubleAcross)
{
    // The two lines stand as far apart as the bands of a double horizontal, either side of
    // the middle, so a double frame's rows and columns meet corner to corner.
    const int xl = k.xMid - (b - a) / 2;
    const int xr = xl + (b - a);
    const int pen = kPen;
    if (!doubleAcross) {
        // Single arms across end at the nearer of the two lines, or cross between them
        // where the double line ends in this cell.
        const int from = k.above ? k.top : k.middle;
        const int to = k.below ? k.bottom : k.middle + pen;
        if (k.above || k.below) {
            mVertical.push_back({ xl, from, to });
            mVertical.push_back({ xr, from, to });
        }
        if (k.above && k.below) {
            if (k.left)
                mHorizontal.push_back({ k.middle, k.xLeft, xl + pen });
            if (k.right)
                mHorizontal.push_back({ k.middle, xr, k.xRight });
        } else if (k.left || k.right) {
            mHorizontal.push_back({ k.middle, k.left ? k.xLeft : xl, k.right ? k.xRight : xr + pen });
        }
        return;
    }
    // Double both ways: the lines are the edges of a road two lines wide, through the
    // cell's middle square [xl, xr] x [a, b] and out along each joined side; a side of the
    // square with no road leaving it is closed.
    if (!k.above)
        mHorizontal.push_back({ a, xl, xr + pen });
    if (!k.below)
        mHorizontal.push_back({ b, xl, xr + pen });
    if (!k.left)
        mVertical.push_back({ xl, a, b + pen });
    if (!k.right)
        mVertical.push_back({ xr, a, b + pen });
    for (int y : { a, b }) {
        if (k.left)
            mHorizontal.push_back({ y, k.xLeft, xl + pen });
        if (k.right)
            mHorizontal.push_back({ y, xr, k.xRight });
    }
    for (int x : { xl, xr }) {
        if (k.above)
            mVertical.push_back({ x, k.top, a });
        if (k.below)
            mVertical.push_back({ x, b, k.bottom });
    }
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
