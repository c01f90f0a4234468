#include "common/UCodePage.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

int UCodePage::lookup(const char* name)
{
    if (name == nullptr || name[0] == '\0' || std::strlen(name) > 6)
        return 0;
    char lower[8] = {};
    for (int i = 0; name[i] != '\0'; ++i)
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    if (std::strcmp(lower, "utf-8") == 0 || std::strcmp(lower, "utf8") == 0)
        return kUtf8;
    char* end = nullptr;
    const long n = std::strtol(name, &end, 10);
    if (*end != '\0' || !std::isdigit(static_cast<unsigned char>(name[0])) || n <= 0 || n > 65535)
        return 0;
    // UTF-16 and UTF-7 are no byte-per-line encodings: a line end is no single byte there.
    if (n == 1200 || n == 1201 || n == 65000)
        return 0;
    return available(static_cast<int>(n)) ? static_cast<int>(n) : 0;
}

int UCodePage::decode(const char* bytes, int length, char16_t* out, bool& invalid)
{
    if (length <= 0 || bytes == nullptr)
        return 0;
    if (mCodePage == kUtf8)
        return decodeUtf8(reinterpret_cast<const unsigned char*>(bytes), length, out, invalid);
    return decodeCodePage(bytes, length, out);
}

int UCodePage::decodeUtf8(const unsigned char* s, int length, char16_t* out, bool& invalid)
{
    int units = 0;
    for (int i = 0; i < length;) {
        const unsigned lead = s[i];
        if (lead < 0x80) {
            out[units++] = static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        // The continuation bytes a lead byte needs, and the range of the first of them,
        // which excludes overlong forms, surrogates and values beyond U+10FFFF.
        int need = 0;
        unsigned code = 0, low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            code = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            code = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        int j = i + 1;
        int got = 0;
        for (; got < need && j < length && s[j] >= low && s[j] <= high; ++got, ++j) {
            code = (code << 6) | (s[j] & 0x3F);
            low = 0x80;
            high = 0xBF;
        }
        i = j;
        if (need == 0 || got < need) {
            // The broken sequence so far is one replacement; the byte that broke it starts
            // the next character.
            invalid = true;
            out[units++] = 0xFFFD;
        } else if (code >= 0x10000) {
            // Four bytes make two units, never more units than bytes.
            code -= 0x10000;
            out[units++] = static_cast<char16_t>(0xD800 + (code >> 10));
            out[units++] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out[units++] = static_cast<char16_t>(code);
        }
    }
    return units;
}
