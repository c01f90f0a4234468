#pragma once

// The heap string of both programs: single-byte text with a scratch buffer of its own in
// which concatenation results are assembled, so repeated concatenations onto the same
// string do not allocate each time. Every growth leaves 10000 spare bytes.
// A failed allocation ends the process through an alert; nothing throws.
class UString {
public:
    UString();
    UString(const char* s);
    explicit UString(int v);
    UString(const UString& s);
    ~UString();

    void alloc(int n);
    void grow(int n);

    char* str() const { return mText; }
    int length() const { return mLength; }
    bool isEmpty() const { return mLength == 0; }
    char* clear();
    int capacity() const { return mCapacity; }

    char& operator[](int i) { return mText[i]; }
    const char& operator[](int i) const { return mText[i]; }

    UString& operator=(const char* s);
    UString& operator=(const UString& s);
    UString& operator=(char c);
    UString& operator+=(char c);
    UString& operator+=(const char* s);
    UString& operator+=(const UString& s);

    // The result is built in this string's scratch buffer, so these are not const.
    UString operator+(const char* s);
    UString operator+(const UString& s);
    UString operator+(char c);
    UString operator+(int v);

    bool operator==(const char* s) const;
    bool operator==(const UString& s) const;
    bool operator!=(const char* s) const { return !(*this == s); }
    bool operator!=(const UString& s) const { return !(*this == s); }

private:
    UString concat(const char* s, int r);
    void ensureScratch(int n);
    // Replace the text buffer by one of room n (allocation rule), keeping the first keep bytes.
    void reserve(int n, int keep);

    char* mText;
    int mLength;
    int mCapacity;
    char* mScratch;
    int mScratchCapacity;
};
