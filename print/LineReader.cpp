#include "print/LineReader.h"

namespace {

const int kCR = 13;
const int kLF = 10;
const int kFormFeed = 12;

} // namespace

LineReader::LineReader(std::FILE* file)
    : mFile(file)
    , mAbsorb(AbsorbNone)
    , mPos(0)
    , mEnd(0)
    , mAtEnd(false)
{
}

void LineReader::attach(std::FILE* file)
{
    mFile = file;
    mAbsorb = AbsorbNone;
    mPos = mEnd = 0;
    mAtEnd = false;
}

int LineReader::next()
{
    if (mPos < mEnd)
        return mBuffer[mPos++];
    if (mAtEnd || mFile == nullptr)
        return EOF;
    // A read error ends the document where it stands, as the end of the file would.
    const size_t got = std::fread(mBuffer, 1, sizeof mBuffer, mFile);
    if (got == 0) {
        mAtEnd = true;
        return EOF;
    }
    mPos = 0;
    mEnd = static_cast<int>(got);
    return mBuffer[mPos++];
}

bool LineReader::readLine(char* line, int size, int& length)
{
    length = 0;
    if (line == nullptr || size < 2) {
        if (line != nullptr && size > 0)
            line[0] = '\0';
        return false;
    }
    const int limit = size - 1;
    for (;;) {
        const int c = next();
        if (c == EOF) {
            line[length] = '\0';
            return length > 0;
        }
        if (c == kCR || c == kLF) {
            const Absorb self = c == kCR ? AbsorbCR : AbsorbLF;
            const Absorb partner = c == kCR ? AbsorbLF : AbsorbCR;
            if (mAbsorb == AbsorbAny || mAbsorb == self) {
                // The previous line's own line end: after a form feed or the limit its
                // pair partner may follow too.
                mAbsorb = mAbsorb == AbsorbAny ? partner : AbsorbNone;
                continue;
            }
            mAbsorb = partner;
            break;
        }
        if (c >= 32) {
            mAbsorb = AbsorbNone;
            line[length++] = static_cast<char>(c);
            if (length == limit) {
                mAbsorb = AbsorbAny;
                break;
            }
        } else if (c == kFormFeed) {
            line[length++] = static_cast<char>(c);
            mAbsorb = AbsorbAny;
            break;
        }
        // Any other control byte is dropped and changes nothing.
    }
    line[length] = '\0';
    return true;
}

bool LineReader::rewind()
{
    mPos = mEnd = 0;
    mAtEnd = false;
    mAbsorb = AbsorbNone;
    if (mFile == nullptr)
        return false;
    std::clearerr(mFile);
    return std::fseek(mFile, 0, SEEK_SET) == 0;
}
