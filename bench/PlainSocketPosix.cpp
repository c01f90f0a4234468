#include "bench/PlainSocket.h"

#include <sys/socket.h>

bool PlainSocket::sendAll(USock::Handle handle, const char* buf, long long length)
{
    while (length > 0) {
        const ssize_t r = ::send(static_cast<int>(handle), buf, static_cast<size_t>(length), MSG_NOSIGNAL);
        if (r <= 0)
            return false;
        buf += r;
        length -= r;
    }
    return true;
}

int PlainSocket::recvSome(USock::Handle handle, char* buf, int length)
{
    return static_cast<int>(::recv(static_cast<int>(handle), buf, static_cast<size_t>(length), 0));
}
