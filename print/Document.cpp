#include "print/Document.h"

#include "common/UCodePage.h"
#include "common/ULog.h"

#include <climits>
#include <cstdio>
#include <cstring>

bool Document::count(LineReader& reader)
{
    mTotal = 0;
    mMaxLength = 0;
    int length = 0;
    bool warned = false;
    while (reader.readLine(mLine, sizeof mLine, length)) {
        if (mTotal == INT_MAX) {
            ULog::write("Printfile::printfile(): totalines: the document has too many lines", ULog::Error);
            return false;
        }
        bool invalid = false;
        if (!decode(mTotal, length, invalid))
            return false;
        if (invalid && !warned) {
            char message[200];
            std::snprintf(message, sizeof message,
                "Printfile::printfile(): line %d is not valid UTF-8: printed with U+FFFD in its place", mTotal + 1);
            ULog::write(message, ULog::Warning);
            warned = true;
        }
        ++mTotal;
        if (length > mMaxLength)
            mMaxLength = length;
    }
    return true;
}

bool Document::read(LineReader& reader, const char* filename)
{
    if (!mLines.reserve(mTotal, mCodePage != nullptr)) {
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
        bool invalid = false;
        if (!reader.readLine(mLine, sizeof mLine, length) || !decode(i, length, invalid))
            length = 0;
        if (length > mMaxLength)
            length = mMaxLength;
        if (!(mCodePage != nullptr ? mLines.add(mUnits, length) : mLines.add(mLine, length))) {
            ULog::write("malloc(strlen(line)+1): memory error", ULog::Error);
            return false;
        }
    }
    return true;
}

bool Document::decode(int index, int& length, bool& invalid)
{
    if (mCodePage == nullptr)
        return true;
    const char* bytes = mLine;
    if (index == 0 && length >= 2 && (std::memcmp(bytes, "\xff\xfe", 2) == 0 || std::memcmp(bytes, "\xfe\xff", 2) == 0)) {
        ULog::write("Printfile::printfile(): the document is UTF-16: save it as UTF-8 and print it with -codepage utf-8",
            ULog::Error);
        return false;
    }
    if (index == 0 && mCodePage->number() == UCodePage::kUtf8 && length >= 3 && std::memcmp(bytes, "\xef\xbb\xbf", 3) == 0) {
        bytes += 3;
        length -= 3;
    }
    length = mCodePage->decode(bytes, length, mUnits, invalid);
    return true;
}

void Document::clear()
{
    mLines.clear();
    mTotal = 0;
    mMaxLength = 0;
}
