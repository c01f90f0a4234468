#include "common/UCodePage.h"

#include <cerrno>
#include <cstdio>
#include <iconv.h>

namespace {

// iconv's name of a Windows code page.
void iconvName(int codePage, char (&name)[16])
{
    if (codePage == UCodePage::kUtf8)
        std::snprintf(name, sizeof name, "UTF-8");
    else
        std::snprintf(name, sizeof name, "CP%d", codePage);
}

iconv_t open(int codePage)
{
    char name[16];
    iconvName(codePage, name);
    return iconv_open("UTF-16LE", name);
}

const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

} // namespace

UCodePage::UCodePage(int codePage) : mCodePage(codePage), mState(nullptr)
{
    iconv_t cd = open(codePage);
    if (cd != kNone)
        mState = cd;
}

UCodePage::~UCodePage()
{
    if (mState != nullptr)
        iconv_close(static_cast<iconv_t>(mState));
}

int UCodePage::decodeCodePage(const char* bytes, int length, char16_t* out)
{
    if (mState == nullptr)
        return 0;
    iconv_t cd = static_cast<iconv_t>(mState);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes);
    size_t inLeft = static_cast<size_t>(length);
    // Two bytes a unit, and room for every byte to become one.
    unsigned char buffer[2 * 1024];
    int units = 0;
    while (inLeft > 0 && units < length) {
        char* to = reinterpret_cast<char*>(buffer);
        const size_t room = static_cast<size_t>(length - units) * 2;
        size_t toLeft = room < sizeof buffer ? room : sizeof buffer;
        const size_t before = toLeft;
        const size_t r = iconv(cd, &in, &inLeft, &to, &toLeft);
        for (size_t i = 0; i + 1 < before - toLeft; i += 2)
            out[units++] = static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8));
        if (r != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // A byte the code page leaves undefined: U+FFFD, and on with the next.
        if (units < length)
            out[units++] = 0xFFFD;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return units;
}

bool UCodePage::available(int codePage)
{
    iconv_t cd = open(codePage);
    if (cd == kNone)
        return false;
    iconv_close(cd);
    return true;
}
