#pragma once

#include "print/LineReader.h"
#include "print/LineStore.h"

class UCodePage;

// The document as the layout sees it: read twice, once to count its lines and find the
// longest (the font is fitted to it), once to keep every line. With a code page, each line
// is decoded to UTF-16 and measured in characters; a UTF-8 byte order mark at the start is
// skipped, and a UTF-16 document refused.
class Document {
public:
    // Decodes lines with this code page from now on; null keeps the bytes as they are.
    // The caller keeps it alive while this document reads.
    void setCodePage(UCodePage* codePage) { mCodePage = codePage; }

    // The counting pass, from where the reader stands. False (logged) when the document
    // has more lines than can be counted, or is UTF-16. Warns once, naming the first line,
    // when a line is no valid UTF-8.
    bool count(LineReader& reader);
    // The reading pass, from the start of the file (named in the log when it cannot be
    // rewound): exactly the counted lines, none longer than the longest counted one.
    // False (logged) when memory runs out or the file cannot be rewound.
    bool read(LineReader& reader, const char* filename);
    void clear();

    int totalLines() const { return mTotal; }
    int maxLength() const { return mMaxLength; }
    LineStore& lines() { return mLines; }
    const LineStore& lines() const { return mLines; }

private:
    // Line index of the pass (0 for the first) is decoded from mLine into mUnits; answers
    // its length in units. False when the document is UTF-16.
    bool decode(int index, int& length, bool& invalid);

    UCodePage* mCodePage = nullptr;
    LineStore mLines;
    int mTotal = 0;
    int mMaxLength = 0;
    char mLine[LineReader::kLineSize];
    char16_t mUnits[LineReader::kLineSize];
};
