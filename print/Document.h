#pragma once

#include "print/LineReader.h"
#include "print/LineStore.h"

// The document as the layout sees it: read twice, once to count its lines and find the
// longest (the font is fitted to it), once to keep every line.
class Document {
public:
    // The counting pass, from where the reader stands. False (logged) when the document
    // has more lines than can be counted.
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
    LineStore mLines;
    int mTotal = 0;
    int mMaxLength = 0;
    char mLine[LineReader::kLineSize];
};
