#include "common/UCodePage.h"

#include <windows.h>

UCodePage::UCodePage(int codePage) : mCodePage(codePage), mState(nullptr) {}

UCodePage::~UCodePage() {}

int UCodePage::decodeCodePage(const char* bytes, int length, char16_t* out)
{
    // A Windows wchar_t is a UTF-16 unit.
    const int n = MultiByteToWideChar(static_cast<UINT>(mCodePage), 0, bytes, length, reinterpret_cast<wchar_t*>(out),
        length);
    return n > 0 ? n : 0;
}

bool UCodePage::available(int codePage) { return IsValidCodePage(static_cast<UINT>(codePage)) != 0; }
