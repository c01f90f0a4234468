#pragma once

#include <cstdint>

// The socket seam: only the calls whose Winsock and BSD-sockets forms really differ.
// USockWin.cpp and USockPosix.cpp implement it, the build compiles one; USock holds all
// the logic around it. Internal to net/: nothing outside USock includes this.
namespace USockSys {

typedef std::uintptr_t Handle;
// INVALID_SOCKET on Windows, -1 on POSIX.
constexpr Handle kInvalid = ~static_cast<Handle>(0);

// An IPv4 endpoint: address in network byte order, port in host byte order.
struct Endpoint {
    std::uint32_t address;
    int port;
};

enum Progress { Done, Pending, Failed };

// Windows Sockets 2.2 once per process (logged when it fails); nothing on POSIX.
bool startup();
void cleanup();

// A TCP socket that programs this process starts do not inherit; invalid on failure.
Handle createTcp();
bool closeHandle(Handle h);
// Ends the sending direction: the peer reads the end of the stream after what was sent.
void shutdownSend(Handle h);
bool setNonBlocking(Handle h, bool on);
// Probes an idle connection after a minute, then every ten seconds, so that a peer whose
// machine or network went away is noticed within about two minutes.
bool setKeepAlive(Handle h);

// inet_addr's reading of a dotted text; then the name service's first IPv4 address.
bool dottedAddress(const char* text, std::uint32_t& out);
bool lookupName(const char* text, std::uint32_t& out);

bool bindTo(Handle h, const Endpoint& at);
bool listenOn(Handle h, int backlog);
// The system's largest listen backlog.
int maxBacklog();
// The next connection, passing over the errors that belong to one pending connection only;
// invalid when the listening socket itself fails.
Handle acceptNext(Handle h);
// Done or Failed at once, or Pending while a non-blocking socket's handshake goes on.
Progress startConnect(Handle h, const Endpoint& to);
// Waits at most ms for a pending handshake: Done, Failed, or Pending when the time is up.
Progress waitConnected(Handle h, int ms);
// The socket's own (peer false) or its peer's endpoint.
bool endpointOf(Handle h, bool peer, Endpoint& out);

// One send or recv of at most n bytes, flags 0 (and no SIGPIPE). broken: the connection
// is gone (an orderly close on receiving, or an error other than "would block").
int transfer(Handle h, bool sending, char* buf, int n, bool& broken);
// Waits at most ms until the socket can take (forWrite) or give bytes; false when the
// time ran out first (or the wait was interrupted).
bool waitReady(Handle h, bool forWrite, int ms);
// Waits at most ms until one of count handles can give bytes (a listening socket: has a
// client to accept); the index of the first ready one, or -1 when none was in time.
int firstReadable(const Handle* handles, int count, int ms);

} // namespace USockSys
