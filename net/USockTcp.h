#pragma once

#include "net/USock.h"

// The TCP socket every part of the system uses. Its send and recv run the transfer loop:
// the socket is non-blocking for the length of one transfer, bytes go in platform calls of
// at most chunk bytes, and after an attempt that did not finish the loop waits until the
// socket is ready again, for at most interval seconds, until timeout seconds have passed;
// then one last attempt settles the result.
//
// Result: length when all bytes moved; otherwise the count moved so far, or -1 when nothing
// moved and the last platform call failed. A connection that closes or fails ends the
// transfer at once with that same result. The socket's blocking mode is restored at the end;
// if that fails the result is -1.
class USockTcp : public USock {
public:
    USockTcp();
    USockTcp(const USockTcp& other) = default;
    USockTcp& operator=(const USockTcp& other) = default;
    ~USockTcp() override;

    int send(const char* buf, int length, double timeout, double interval, int chunk) override;
    int recv(char* buf, int length, double timeout, double interval, int chunk) override;

    // What the peer has sent so far, up to length bytes, once at least one byte is there:
    // for streams whose length nobody announced. Waits at most timeout seconds for the
    // first byte. The count received, kClosed when the peer has ended the stream, or
    // kFailed when the connection failed or the time ran out.
    static const int kClosed = 0;
    static const int kFailed = -1;
    int receiveSome(char* buf, int length, double timeout);

private:
    int transfer(bool sending, char* buf, int length, double timeout, double interval, int chunk);
    int attempt(bool sending, char* buf, int n, bool& broken);
};
