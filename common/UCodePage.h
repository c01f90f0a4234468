#pragma once

// A code page a document is written in, decoding lines to UTF-16. The operating-system
// seam: UCodePageWin.cpp asks Windows (MultiByteToWideChar), UCodePagePosix.cpp the C
// library's iconv, so the layout around it is tested natively with real code pages. The
// names and UTF-8 are read once, in UCodePage.cpp: how many U+FFFD a broken sequence
// makes differs between Windows versions and Wine, and a report should print the same
// everywhere (one U+FFFD per maximal broken sequence, as the Unicode standard advises).
class UCodePage {
public:
    // Windows' number for UTF-8.
    static constexpr int kUtf8 = 65001;

    // The code page a -codepage value names: "utf-8" or "utf8" in any case, or a Windows
    // code page number (437, 850, 1252...). 0 when the value names no code page this
    // machine can decode.
    static int lookup(const char* name);

    // A decoder for a code page that lookup() answered.
    explicit UCodePage(int codePage);
    UCodePage(const UCodePage&) = delete;
    UCodePage& operator=(const UCodePage&) = delete;
    ~UCodePage();

    // Decodes length bytes into out, which has room for length units: no supported code
    // page makes more units than bytes. Answers the number of units. An invalid UTF-8
    // sequence becomes U+FFFD and sets invalid; other code pages never set it.
    int decode(const char* bytes, int length, char16_t* out, bool& invalid);

    int number() const { return mCodePage; }

private:
    // Whether this machine decodes the code page of that number.
    static bool available(int codePage);
    static int decodeUtf8(const unsigned char* bytes, int length, char16_t* out, bool& invalid);
    // The platform's decoding of any other code page.
    int decodeCodePage(const char* bytes, int length, char16_t* out);

    int mCodePage;
    // The platform's conversion state, if it keeps one.
    void* mState;
};
