#pragma once

// The lines of a document, each stored once with its own length. The print loop reads the
// lines above and below the one it draws, at any column; a column past a line's end reads
// as a space, so no line needs to be padded to the longest one. (Padding every line to the
// longest would make a file of a million short lines and one of 999 characters need a
// gigabyte, more than a 32-bit program can have.)
//
// Texts live in large blocks, one after the other, each NUL-terminated, so a line costs
// its characters, a NUL, a pointer and a length. The pointer array can be handed to code
// that takes the lines as an array of C strings. A store of decoded lines (wide) holds
// UTF-16 units instead of bytes, two bytes each; only a document with a code page pays
// for them.
class LineStore {
public:
    // A stored line is never longer than this.
    static constexpr int kMaxLength = 65535;

    LineStore();
    ~LineStore();
    LineStore(const LineStore&) = delete;
    LineStore& operator=(const LineStore&) = delete;

    // Drops every line and makes room for the pointers of count lines, of bytes or, wide,
    // of UTF-16 units. False when memory runs out (the store is then empty).
    bool reserve(int count, bool wide = false);
    // Appends a copy of the first length bytes (units) of text as the next line; a byte
    // line to a byte store, a unit line to a wide one. False when memory runs out, when
    // length is out of range, when the kind does not match or when every reserved line is
    // taken.
    bool add(const char* text, int length);
    bool add(const char16_t* text, int length);
    // Drops every line and all memory.
    void clear();

    int size() const { return mCount; }
    bool wide() const { return mWide; }
    // Line i of a byte store, or of a wide one.
    const char* line(int i) const { return mLines[i]; }
    const char16_t* wideLine(int i) const { return reinterpret_cast<const char16_t*>(mLines[i]); }
    int length(int i) const { return mLengths[i]; }
    // The character at column of line i, a byte as 0..255 or a unit: a space past the
    // line's end and for a line or column outside the document.
    char16_t at(int i, int column) const;
    // Removes the last character of line i, if it has one.
    void dropLast(int i);
    // The lines as C strings, size() of them; null while nothing is reserved.
    const char* const* lines() const { return mLines; }

private:
    struct Block;

    char* room(int bytes);
    bool add(const void* text, int length, int unit);

    char** mLines;
    unsigned short* mLengths;
    int mCount;
    int mCapacity;
    bool mWide;
    Block* mBlocks;
};
