#include "print/Document.h"

#include "common/ULog.h"

#include <climits>
#include <cstdio>

bool Document::count(LineReader& reader)
{
    mTotal = 0;
    mMaxLength = 0;
    int length = 0;
    while (reader.readLine(mLine, sizeof mLine, length)) {
        if (mTotal == INT_MAX) {
            ULog::write("Printfile::printfile(): totalines: the document has too many lines", ULog::Error);
            return false;
        }
        ++mTotal;
        if (length > mMaxLength)
            mMaxLength = length;
    }
    return true;
}

bool Document::read(LineReader& reader, const char* filename)
{
    if (!mLines.reserve(mTotal)) {
        ULog::write("malloc(totalines*sizeof(char*): memory error", ULog::Error);
        return false;
    }
    if (!reader.rewind()) {
        char message[1000];
        std::snprintf(message, sizeof message, "Error in fseek(f, 0, SEEK_SET): problems width %s", filename);
        ULog::write(message, ULog::Error);
        return false;
    }
    for (int i = 0; i < mTotal; ++i) {
        int length = 0;
        // A file that changed since it was counted is laid out as counted: missing lines
        // are empty and no line grows past the longest one the font was chosen for.
        if (!reader.readLine(mLine, sizeof mLine, length))
            length = 0;
        if (length > mMaxLength)
            length = mMaxLength;
        if (!mLines.add(mLine, length)) {
            ULog::write("malloc(strlen(line)+1): memory error", ULog::Error);
            return false;
        }
    }
    return true;
}

void Document::clear()
{
    mLines.clear();
    mTotal = 0;
    mMaxLength = 0;
}
