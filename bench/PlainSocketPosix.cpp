#include "bench/PlainSocket.h"

#include <sys/socket.h>

int PlainSocket::sendSome(USock::Handle handle, const char* buf, int length)
{
    return static_cast<int>(::send(static_cast<int>(handle), buf, static_cast<size_t>(length), MSG_NOSIGNAL));
}

int PlainSocket::recvSome(USock::Handle handle, char* buf, int length)
{
    return static_cast<int>(::recv(static_cast<int>(handle), buf, static_cast<size_t>(length), 0));
}
