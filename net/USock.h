#pragma once

#include "common/UString.h"

#include <cstdint>

// Splits "host:port" into its host text and port. True only for a non-empty host and a
// port from 1 to 65535; logs nothing, the caller falls back to its default address.
bool parseAddress(const UString& text, UString& host, int& port);
// Turns a host text into dotted-decimal text: a dotted address as it is, else the hosts
// file, else the platform's name service.
bool resolveHost(const UString& text, UString& result);

// A TCP endpoint over IPv4. The object is a plain record of a handle: copies name the same
// handle, the destructor never closes it, and only close() does. USockTcp moves the bytes.
// Everything here is written once; the calls that differ between Winsock and BSD sockets
// are behind the socket seam (USockSys.h).
class USock {
public:
    typedef std::uintptr_t Handle;
    static const Handle kInvalidHandle;

    USock();
    USock(const USock& other) = default;
    USock& operator=(const USock& other) = default;
    virtual ~USock();

    // Moves length bytes with a time limit: see USockTcp. The result is length on success.
    virtual int send(const char* buf, int length, double timeout, double interval, int chunk) = 0;
    virtual int recv(char* buf, int length, double timeout, double interval, int chunk) = 0;

    // Windows Sockets 2.2, once per process around all socket use.
    static bool initWSocket();
    static void cleanupWSocket();

    void reset();
    bool open(const UString& addressText, int port);
    bool bind();
    // With the system's largest backlog: clients that arrive in a burst wait in the queue
    // instead of being dropped by the kernel.
    bool listen();
    bool listen(int backlog);
    bool accept(USock& client);
    // Waits at most seconds for a client to accept; false when none came (or a signal cut
    // the wait short), so a listening loop can look at other things between clients.
    bool awaitClient(double seconds);
    // The same for several listening sockets at once: the index of the first that has a
    // client, or -1 when none came within seconds.
    static int awaitFirstClient(const USock* const* listeners, int count, double seconds);
    // The client side of open: connects to address and port.
    bool connect();
    enum ConnectResult { Connected, ConnectFailed, ConnectTimedOut };
    // The same within timeout seconds: a host that drops connection requests (a firewall
    // that answers nothing) would keep a plain connect waiting for minutes. A refused or
    // unreachable address fails as soon as the system knows. The socket keeps its
    // blocking mode either way.
    ConnectResult connect(double timeout);
    // Takes over handle, recording the address and port it is bound to.
    bool attach(Handle handle);
    bool close();
    // Closes so that what was sent arrives. A plain close while bytes of the peer lie
    // unread makes the system reset the connection and drop what is still queued for the
    // peer: a client refused while it still sends its document would lose the abort that
    // says why. So the sending side ends first, and the peer's bytes are read and dropped
    // until it closes too or seconds have passed.
    bool closeAfterSending(double seconds);
    // See USockSys::setKeepAlive: for a side that waits on a peer without a time limit.
    bool setKeepAlive();
    // Whether the peer has closed or reset the connection, asked without waiting. Only for
    // a peer that sends nothing more at this point: a byte that has come is taken.
    bool peerGone();
    bool setNonBlocking();
    bool setBlocking();
    bool getPeerAddress(UString& name, UString& peerAddress);

    Handle sock;
    // 1 while the socket is in the platform's default blocking mode.
    int blocking;
    // Host byte order.
    int port;
    // Dotted-decimal text.
    UString address;

protected:
    // One platform call of at most n bytes, flags 0. The result is the platform's; broken
    // is set when the connection is gone (an orderly close on receiving, or an error other
    // than "would block"), so the transfer loop can stop instead of polling a dead socket.
    int platformSend(const char* buf, int n, bool& broken);
    int platformRecv(char* buf, int n, bool& broken);
    // Waits until the socket can take (forWrite) or give bytes, for at most seconds.
    void waitReady(bool forWrite, double seconds);
};
