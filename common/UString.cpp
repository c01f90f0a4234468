#include "common/UString.h"

#include "common/UMemory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kSpare = 10000;

[[noreturn]] void outOfMemory()
{
    UMemory::exhausted("UString::alloc(): memory allocation Errors\n");
}

char* allocBytes(long long n)
{
    if (n <= 0 || n > 0x7fffff00LL)
        outOfMemory();
    char* p = static_cast<char*>(std::malloc(static_cast<size_t>(n)));
    if (p == nullptr)
        outOfMemory();
    return p;
}

int textLength(const char* s)
{
    const size_t n = std::strlen(s);
    if (n > 0x7fff0000u)
        outOfMemory();
    return static_cast<int>(n);
}

struct Decimal {
    explicit Decimal(int v) : length(std::snprintf(text, sizeof text, "%d", v)) {}
    char text[16];
    int length;
};

} // namespace

UString::UString()
    : mText(allocBytes(2)), mLength(0), mCapacity(0), mScratch(allocBytes(2)), mScratchCapacity(1)
{
    mText[0] = '\0';
    mScratch[0] = '\0';
}

UString::UString(const char* s) : UString()
{
    if (s == nullptr)
        return;
    const int n = textLength(s);
    std::free(mText);
    mText = allocBytes(n + 2LL);
    std::memcpy(mText, s, static_cast<size_t>(n) + 1);
    mLength = n;
    mCapacity = n;
}

UString::UString(int v) : UString(static_cast<const char*>(Decimal(v).text)) {}

UString::UString(const UString& s) : UString(s.mText) {}

UString::~UString()
{
    std::free(mText);
    std::free(mScratch);
}

void UString::reserve(int n, int keep)
{
    if (mCapacity >= n + 3)
        return;
    char* fresh = allocBytes(static_cast<long long>(n) + kSpare + 2);
    if (keep > 0)
        std::memcpy(fresh, mText, static_cast<size_t>(keep));
    fresh[keep] = '\0';
    std::free(mText);
    mText = fresh;
    mCapacity = n + kSpare;
}

void UString::alloc(int n)
{
    reserve(n, 0);
}

void UString::grow(int n)
{
    reserve(n, mLength);
}

char* UString::clear()
{
    mLength = 0;
    mText[0] = '\0';
    return mText;
}

UString& UString::operator=(const char* s)
{
    if (s == nullptr) {
        clear();
        return *this;
    }
    const int n = textLength(s);
    if (mCapacity >= n + 4) {
        std::memmove(mText, s, static_cast<size_t>(n) + 1);
    } else {
        // s may point into our own text: copy before the old buffer goes.
        char* fresh = allocBytes(static_cast<long long>(n) + 1 + kSpare + 2);
        std::memcpy(fresh, s, static_cast<size_t>(n) + 1);
        std::free(mText);
        mText = fresh;
        mCapacity = n + 1 + kSpare;
    }
    mLength = n;
    return *this;
}

UString& UString::operator=(const UString& s)
{
    if (this != &s)
        *this = s.mText;
    return *this;
}

UString& UString::operator=(char c)
{
    alloc(2);
    mText[0] = c;
    mText[1] = '\0';
    mLength = 1;
    return *this;
}

UString& UString::operator+=(char c)
{
    grow(mLength + 2);
    mText[mLength] = c;
    mText[mLength + 1] = '\0';
    ++mLength;
    return *this;
}

UString& UString::operator+=(const char* s)
{
    if (s == nullptr)
        return *this;
    const int r = textLength(s);
    if (mCapacity >= mLength + r + 4) {
        std::memmove(mText + mLength, s, static_cast<size_t>(r) + 1);
    } else {
        char* fresh = allocBytes(static_cast<long long>(mLength) + r + 1 + kSpare + 2);
        std::memcpy(fresh, mText, static_cast<size_t>(mLength));
        std::memcpy(fresh + mLength, s, static_cast<size_t>(r) + 1);
        std::free(mText);
        mText = fresh;
        mCapacity = mLength + r + 1 + kSpare;
    }
    mLength += r;
    return *this;
}

UString& UString::operator+=(const UString& s)
{
    if (this == &s) {
        const UString copy(s);
        return *this += copy.mText;
    }
    return *this += s.mText;
}

void UString::ensureScratch(int n)
{
    // The allocation rule, for the scratch; its old content is not kept.
    if (mScratchCapacity >= n + 3)
        return;
    std::free(mScratch);
    mScratch = allocBytes(static_cast<long long>(n) + kSpare + 2);
    mScratchCapacity = n + kSpare;
}

UString UString::concat(const char* s, int r)
{
    ensureScratch(mLength + r + 1);
    std::memcpy(mScratch, mText, static_cast<size_t>(mLength));
    std::memcpy(mScratch + mLength, s, static_cast<size_t>(r));
    mScratch[mLength + r] = '\0';
    return UString(static_cast<const char*>(mScratch));
}

UString UString::operator+(const char* s)
{
    if (s == nullptr)
        return UString(*this);
    return concat(s, textLength(s));
}

UString UString::operator+(const UString& s)
{
    if (this == &s) {
        const UString copy(s);
        return concat(copy.mText, copy.mLength);
    }
    return concat(s.mText, s.mLength);
}

UString UString::operator+(char c)
{
    ensureScratch(mLength + 2);
    std::memcpy(mScratch, mText, static_cast<size_t>(mLength));
    mScratch[mLength] = c;
    mScratch[mLength + 1] = '\0';
    return UString(static_cast<const char*>(mScratch));
}

UString UString::operator+(int v)
{
    const Decimal d(v);
    return concat(d.text, d.length);
}

bool UString::operator==(const char* s) const
{
    if (s == nullptr)
        return isEmpty();
    return std::strcmp(mText, s) == 0;
}

bool UString::operator==(const UString& s) const
{
    return mLength == s.mLength && std::memcmp(mText, s.mText, static_cast<size_t>(mLength)) == 0;
}
