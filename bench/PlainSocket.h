#pragma once

#include "net/USock.h"

// The yardstick for the transfer benchmark: the platform's own blocking send and recv on a
// socket handle, with nothing of the transfer loop around them.
class PlainSocket {
public:
    // Sends all length bytes; false when the connection fails.
    static bool sendAll(USock::Handle handle, const char* buf, long long length);
    // One blocking send or recv of at most length bytes: the platform's result.
    static int sendSome(USock::Handle handle, const char* buf, int length);
    static int recvSome(USock::Handle handle, char* buf, int length);
};
