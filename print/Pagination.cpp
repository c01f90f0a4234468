#include "print/Pagination.h"

#include "common/ULog.h"
#include "print/LineStore.h"

#include <climits>

bool Pagination::addPageStart(int line)
{
    // The vector grows by a fixed step; doubled here, a page table of many thousand pages
    // is not copied over and over.
    const long long needed = (static_cast<long long>(mStarts.noEl) + 1) * static_cast<long long>(sizeof(int));
    if (needed > mStarts.capacity) {
        const long long doubled = static_cast<long long>(mStarts.capacity) * 2;
        const long long want = doubled > needed ? doubled : needed;
        if (want > INT_MAX / 2 || !mStarts.alloc(static_cast<int>(want)))
            return false;
    }
    return mStarts.add(line);
}

bool Pagination::paginate(LineStore& lines, int totalLines, int linesPerPage)
{
    mStarts.noEl = 0;
    bool ok = addPageStart(0);
    int onPage = 0;
    for (int i = 0; ok && i < totalLines; ++i) {
        if (onPage == linesPerPage) {
            onPage = 0;
            ok = addPageStart(i);
        }
        const int length = lines.length(i);
        if (length > 0 && lines.at(i, length - 1) == '\f' && i > 5) {
            lines.dropLast(i);
            onPage = linesPerPage - 1;
        }
        ++onPage;
    }
    if (ok)
        ok = addPageStart(totalLines);
    if (!ok) {
        ULog::write("Printfile::printfile(): pageStarts.add(): memory error", ULog::Error);
        return false;
    }
    return true;
}

bool Pagination::selected(const UVector<int>& pages, int pageNumber)
{
    if (pages.size() == 0)
        return true;
    for (int i = 0; i < pages.size(); ++i)
        if (pages.data[i] == pageNumber || (pages.data[i] < 0 && pageNumber >= -pages.data[i]))
            return true;
    return false;
}
