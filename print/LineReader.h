#pragma once

#include <cstdio>

// Reads a plain-text document line by line, as the page layout sees it. The rules:
// - bytes of 32 and above (unsigned) belong to the line;
// - CR LF, LF CR, a lone CR and a lone LF each end exactly one line, so a document keeps
//   its empty lines whichever convention it was written with (Windows, Unix, old
//   Macintosh, or the LF CR of some line printers);
// - a form feed is kept as the line's last character and ends it; a line end right after
//   it belongs to the same line, so a form feed alone on its line adds no empty line;
// - every other control byte (tab, escape...) is dropped;
// - a line that reaches its limit ends there and the next byte starts the next line; a
//   line end right after the limit is that line's own, as after a form feed;
// - at the end of the file a line is reported only when it holds a character.
// The file is read through a buffer of the reader's own: the document is read twice,
// byte by byte, and a locked getc per byte would dominate the time of a long document.
class LineReader {
public:
    // The line buffer of the layout: a line holds at most 999 characters.
    static constexpr int kLineSize = 1000;

    explicit LineReader(std::FILE* file = nullptr);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Reads from this file from now on (its current position); null detaches.
    void attach(std::FILE* file);

    // Reads the next line into line, which has room for size bytes: at most size - 1
    // characters and a NUL. length receives the number of characters. False when the
    // document has no more lines (line is then empty).
    bool readLine(char* line, int size, int& length);

    // Back to the first byte of the document; false when the file cannot be positioned.
    bool rewind();

private:
    static constexpr int kBufferSize = 16384;

    // The next byte of the file, or EOF.
    int next();

    // Which line-end byte right after the end of the previous line still belongs to it:
    // the other half of a CR LF or LF CR pair, or any line end after a form feed or the
    // length limit.
    enum Absorb { AbsorbNone, AbsorbCR, AbsorbLF, AbsorbAny };

    std::FILE* mFile;
    Absorb mAbsorb;
    unsigned char mBuffer[kBufferSize];
    int mPos;
    int mEnd;
    bool mAtEnd;
};
