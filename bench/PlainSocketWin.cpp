#include "bench/PlainSocket.h"

#include <winsock2.h>

bool PlainSocket::sendAll(USock::Handle handle, const char* buf, long long length)
{
    while (length > 0) {
        const int n = length > 0x40000000LL ? 0x40000000 : static_cast<int>(length);
        const int r = ::send(static_cast<SOCKET>(handle), buf, n, 0);
        if (r <= 0)
            return false;
        buf += r;
        length -= r;
    }
    return true;
}

int PlainSocket::recvSome(USock::Handle handle, char* buf, int length)
{
    return ::recv(static_cast<SOCKET>(handle), buf, length, 0);
}
