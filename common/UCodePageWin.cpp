#include "common/UCodePage.h"

#include <windows.h>

UCodePage::UCodePage(int codePage) : mCodePage(codePage), mState(nullptr) {}

UCodePage::~UCodePage() {}

int UCodePage::decode(const char* bytes, int length, char16_t* out, bool& invalid)
{
    if (length <= 0)
        return 0;
    wchar_t* wide = reinterpret_cast<wchar_t*>(out);
    if (mCodePage == kUtf8) {
        // Asked strictly first, so an invalid sequence is noticed; then again leniently,
        // when Windows puts U+FFFD in its place.
        const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, wide, length);
        if (n > 0)
            return n;
        invalid = true;
    }
    const int n = MultiByteToWideChar(static_cast<UINT>(mCodePage), 0, bytes, length, wide, length);
    return n > 0 ? n : 0;
}

bool UCodePage::available(int codePage) { return IsValidCodePage(static_cast<UINT>(codePage)) != 0; }
