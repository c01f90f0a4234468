#include "bench/PlainSocket.h"

bool PlainSocket::sendAll(USock::Handle handle, const char* buf, long long length)
{
    while (length > 0) {
        const int n = length > 0x40000000LL ? 0x40000000 : static_cast<int>(length);
        const int r = sendSome(handle, buf, n);
        if (r <= 0)
            return false;
        buf += r;
        length -= r;
    }
    return true;
}
