#include "print/PageDrawer.h"

#include "print/BoxChar.h"
#include "print/LineStore.h"
#include "print/PageGeometry.h"
#include "print/PixelMath.h"
#include "printer/Graphics.h"
#include "printer/PrintDevice.h"

PageDrawer::PageDrawer(PrintDevice* dc, const PageGeometry& page, const LineStore& lines, int totalLines, bool graph)
    : mDc(dc), mPage(page), mLines(lines), mGraph(graph), mRules(dc, page, lines, totalLines)
{
}

bool PageDrawer::drawLines(int first, int end)
{
    GridPosition at;
    for (at.line = first, at.row = 0; at.line < end; ++at.line, ++at.row)
        if (!drawLine(at))
            return false;
    mRules.flush();
    return true;
}

bool PageDrawer::drawLine(GridPosition at)
{
    const int length = mLines.length(at.line);
    const int y = trunc32(mPage.pitch() * at.row + mPage.topPx);
    const int advance = trunc32(mPage.cellWidth);
    for (at.column = 0; at.column < length; ++at.column) {
        const char16_t ch = mLines.at(at.line, at.column);
        if (ch == ' ' || ch == '\f')
            continue;
        const int x = trunc32(static_cast<double>(mPage.cellWidth) * at.column + mPage.leftPx);
        const char16_t c = mRules.cell(at.line, at.column);
        if (isRule(at, c)) {
            if (mGraph && mRules.drawsAsLines(at, c))
                mRules.draw(at, c);
            else if (!drawText(x, y, at, 1, nullptr))
                return false;
            continue;
        }
        // A run ends before the next space or rule character; a form feed left at the end
        // of one of the first lines ends it too, as it is no character to print.
        int end = at.column + 1;
        GridPosition next = at;
        for (next.column = end; end < length && mLines.at(at.line, end) != ' ' && mLines.at(at.line, end) != '\f'
             && !isRule(next, mRules.cell(at.line, end));)
            next.column = ++end;
        const int run = end - at.column;
        for (int i = 0; i < run; ++i)
            mAdvances[i] = advance;
        if (!drawText(x, y, at, run, mAdvances))
            return false;
        at.column = end - 1;
    }
    return true;
}

bool PageDrawer::drawText(int x, int y, const GridPosition& at, int count, const int* advances)
{
    if (mLines.wide())
        return mDc->textOutW(x, y, mLines.wideLine(at.line) + at.column, count, advances);
    if (advances != nullptr)
        return mDc->textOut(x, y, mLines.line(at.line) + at.column, count, advances);
    // A rule character alone; a frame byte prints as the rule character it stands for.
    const char glyph = static_cast<char>(Graphics::lineChar(static_cast<unsigned char>(mLines.line(at.line)[at.column])));
    return mDc->textOut(x, y, &glyph, 1, nullptr);
}

bool PageDrawer::isRule(const GridPosition& at, char16_t c) const
{
    // With -graph a "+" that joins rules is one of them; without, every "+" is text.
    return BoxChar::ruleClass(c) != 0 || (mGraph && c == '+' && mRules.drawsAsLines(at, c));
}
