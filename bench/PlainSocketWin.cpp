#include "bench/PlainSocket.h"

#include <winsock2.h>

int PlainSocket::sendSome(USock::Handle handle, const char* buf, int length)
{
    return ::send(static_cast<SOCKET>(handle), buf, length, 0);
}

int PlainSocket::recvSome(USock::Handle handle, char* buf, int length)
{
    return ::recv(static_cast<SOCKET>(handle), buf, length, 0);
}
