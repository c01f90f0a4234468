#include "server/PPeerReader.h"

namespace {

const size_t kBufferSize = 64 * 1024;
// Sends are short answers: a peer that does not take them within this is gone.
const double kSendSeconds = 10.0;
const double kSendInterval = 0.05;

} // namespace

PPeerReader::PPeerReader(const USockTcp& connection, double timeout)
    : mConnection(connection), mTimeout(timeout), mBuffer(kBufferSize), mStart(0), mEnd(0)
{
}

PPeerReader::Result PPeerReader::fill()
{
    mStart = 0;
    mEnd = 0;
    const int r = mConnection.receiveSome(mBuffer.data(), static_cast<int>(mBuffer.size()), mTimeout);
    if (r == USockTcp::kClosed)
        return Closed;
    if (r < 0)
        return Failed;
    mEnd = static_cast<size_t>(r);
    return Ok;
}

PPeerReader::Result PPeerReader::readLine(std::string& line, size_t most)
{
    line.clear();
    bool any = false;
    for (;;) {
        if (mStart == mEnd) {
            const Result r = fill();
            if (r == Closed)
                return any ? Failed : Closed;
            if (r != Ok)
                return r;
        }
        any = true;
        while (mStart < mEnd) {
            const char c = mBuffer[mStart++];
            if (c == '\n')
                return Ok;
            if (line.size() == most)
                return TooLarge;
            line += c;
        }
    }
}

PPeerReader::Result PPeerReader::readCount(long long count, std::FILE* to, std::string* text)
{
    while (count > 0) {
        if (mStart == mEnd) {
            const Result r = fill();
            if (r != Ok)
                return r;
        }
        size_t n = mEnd - mStart;
        if (static_cast<long long>(n) > count)
            n = static_cast<size_t>(count);
        if (to != nullptr) {
            if (std::fwrite(mBuffer.data() + mStart, 1, n, to) != n)
                return NotWritten;
        } else if (text != nullptr) {
            text->append(mBuffer.data() + mStart, n);
        }
        mStart += n;
        count -= static_cast<long long>(n);
    }
    return Ok;
}

PPeerReader::Result PPeerReader::readToEnd(long long most, std::FILE* to, long long& got)
{
    got = 0;
    for (;;) {
        if (mStart == mEnd) {
            const Result r = fill();
            if (r == Closed)
                return Ok;
            if (r != Ok)
                return r;
        }
        const size_t n = mEnd - mStart;
        got += static_cast<long long>(n);
        if (got > most)
            return TooLarge;
        if (std::fwrite(mBuffer.data() + mStart, 1, n, to) != n)
            return NotWritten;
        mStart = mEnd;
    }
}

bool PPeerReader::send(const char* bytes, int length)
{
    return mConnection.send(bytes, length, kSendSeconds, kSendInterval, length) == length;
}
