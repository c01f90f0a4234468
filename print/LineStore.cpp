#include "print/LineStore.h"

#include <cstdlib>
#include <cstring>

// One block of line texts. Blocks are chained newest first and freed together.
struct LineStore::Block {
    Block* next;
    int used;
    int size;
    char* text() { return reinterpret_cast<char*>(this + 1); }
};

namespace {

// Large enough that a million short lines take a few hundred blocks, small enough that
// a 32-bit process finds room for one even when its address space is fragmented.
const int kBlockSize = 256 * 1024;

} // namespace

LineStore::LineStore()
    : mLines(nullptr)
    , mLengths(nullptr)
    , mCount(0)
    , mCapacity(0)
    , mWide(false)
    , mBlocks(nullptr)
{
}

LineStore::~LineStore() { clear(); }

void LineStore::clear()
{
    while (mBlocks != nullptr) {
        Block* next = mBlocks->next;
        std::free(mBlocks);
        mBlocks = next;
    }
    std::free(mLines);
    std::free(mLengths);
    mLines = nullptr;
    mLengths = nullptr;
    mCount = 0;
    mCapacity = 0;
}

bool LineStore::reserve(int count, bool wide)
{
    clear();
    mWide = wide;
    if (count < 0)
        return false;
    // Never a zero-byte request: its answer may be null on one platform and not another.
    const size_t n = count > 0 ? static_cast<size_t>(count) : 1;
    if (n > static_cast<size_t>(-1) / sizeof(char*))
        return false;
    mLines = static_cast<char**>(std::malloc(n * sizeof(char*)));
    mLengths = static_cast<unsigned short*>(std::malloc(n * sizeof(unsigned short)));
    if (mLines == nullptr || mLengths == nullptr) {
        clear();
        return false;
    }
    mCapacity = count;
    return true;
}

char* LineStore::room(int bytes)
{
    if (mBlocks == nullptr || mBlocks->size - mBlocks->used < bytes) {
        const int size = bytes > kBlockSize ? bytes : kBlockSize;
        Block* block = static_cast<Block*>(std::malloc(sizeof(Block) + static_cast<size_t>(size)));
        if (block == nullptr)
            return nullptr;
        block->next = mBlocks;
        block->used = 0;
        block->size = size;
        mBlocks = block;
    }
    char* p = mBlocks->text() + mBlocks->used;
    // A wide store asks for whole units only, so its lines start on even offsets.
    mBlocks->used += bytes;
    return p;
}

bool LineStore::add(const char* text, int length) { return !mWide && add(text, length, 1); }

bool LineStore::add(const char16_t* text, int length) { return mWide && add(text, length, 2); }

bool LineStore::add(const void* text, int length, int unit)
{
    if (mCount >= mCapacity || length < 0 || length > kMaxLength || (text == nullptr && length > 0))
        return false;
    char* p = room((length + 1) * unit);
    if (p == nullptr)
        return false;
    if (length > 0)
        std::memcpy(p, text, static_cast<size_t>(length * unit));
    std::memset(p + length * unit, 0, static_cast<size_t>(unit));
    mLines[mCount] = p;
    mLengths[mCount] = static_cast<unsigned short>(length);
    ++mCount;
    return true;
}

char16_t LineStore::at(int i, int column) const
{
    if (i < 0 || i >= mCount || column < 0 || column >= mLengths[i])
        return ' ';
    return mWide ? wideLine(i)[column] : static_cast<unsigned char>(mLines[i][column]);
}

void LineStore::dropLast(int i)
{
    if (i < 0 || i >= mCount || mLengths[i] == 0)
        return;
    --mLengths[i];
    if (mWide)
        std::memset(mLines[i] + 2 * mLengths[i], 0, 2);
    else
        mLines[i][mLengths[i]] = '\0';
}
