#pragma once

#include "common/UVector.h"

class LineStore;

// Which lines go on which page: linesPerPage lines a page, and a form feed at the end of a
// line (after the sixth line) ends its page there. Then which pages a job prints.
class Pagination {
public:
    // Splits the lines into pages; the form feeds that end pages are dropped from their
    // lines. False (logged) when memory runs out.
    bool paginate(LineStore& lines, int totalLines, int linesPerPage);
    void clear() { mStarts.noEl = 0; }

    int pageCount() const { return mStarts.size() > 0 ? mStarts.size() - 1 : 0; }
    // The lines of page k (from 0): firstLine(k) up to, not including, endLine(k).
    int firstLine(int k) const { return mStarts.data[k]; }
    int endLine(int k) const { return mStarts.data[k + 1]; }

    // Whether page pageNumber (from 1) is among pages; an empty list selects every page,
    // an entry -N page N and every page after it.
    static bool selected(const UVector<int>& pages, int pageNumber);

private:
    bool addPageStart(int line);

    // The first line of every page, then the number of lines.
    UVector<int> mStarts;
};
