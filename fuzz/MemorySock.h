#pragma once

#include "net/USock.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// A socket whose peer sent exactly the given bytes and then closed: a read gets what is
// left, never waits, and a send is taken whole. The wire readers run on it as on a real
// connection, thousands of times a second.
class MemorySock : public USock {
public:
    MemorySock(const std::uint8_t* data, std::size_t size) : mData(data), mLeft(size)
    {
        // Content transfers would switch a real socket's mode; this one has none.
        blocking = 0;
    }

    int send(const char*, int length, double, double, int) override { return length; }

    int recv(char* buf, int length, double, double, int) override
    {
        if (length <= 0)
            return 0;
        const std::size_t n = static_cast<std::size_t>(length) < mLeft ? static_cast<std::size_t>(length) : mLeft;
        if (n > 0)
            std::memcpy(buf, mData, n);
        mData += n;
        mLeft -= n;
        return static_cast<int>(n);
    }

private:
    const std::uint8_t* mData;
    std::size_t mLeft;
};
