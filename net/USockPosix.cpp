// The BSD-sockets side of the socket seam: what the native build and its tests run on.
#include "net/USockSys.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

int fd(USockSys::Handle h) { return static_cast<int>(h); }

bool wouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK || err == EINTR; }

sockaddr_in toSockaddr(const USockSys::Endpoint& e)
{
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(e.port));
    sa.sin_addr.s_addr = e.address;
    return sa;
}

// Errors that belong to one pending connection, not to the listening socket: a client
// that gave up while it waited in the backlog must not end the server for everyone.
bool connectionError(int e)
{
    return e == EINTR || e == ECONNABORTED || e == EPROTO || e == ENETDOWN || e == ENOPROTOOPT ||
           e == EHOSTDOWN || e == ENONET || e == EHOSTUNREACH || e == ENETUNREACH || e == EOPNOTSUPP;
}

} // namespace

bool USockSys::startup() { return true; }

bool USockSys::setKeepAlive(Handle h)
{
    int on = 1, idle = 60, interval = 10, count = 6;
    return ::setsockopt(fd(h), SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) == 0 &&
           ::setsockopt(fd(h), IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle) == 0 &&
           ::setsockopt(fd(h), IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval) == 0 &&
           ::setsockopt(fd(h), IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count) == 0;
}

void USockSys::cleanup() {}

USockSys::Handle USockSys::createTcp()
{
    // Close-on-exec: a program the server starts (the print program, which -view leaves
    // running) must not keep the client's connection open or hold the port.
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return s < 0 ? kInvalid : static_cast<Handle>(s);
}

bool USockSys::closeHandle(Handle h) { return ::close(fd(h)) != -1; }

void USockSys::shutdownSend(Handle h) { ::shutdown(fd(h), SHUT_WR); }

bool USockSys::setNonBlocking(Handle h, bool on)
{
    const int flags = ::fcntl(fd(h), F_GETFL, 0);
    if (flags == -1)
        return false;
    return ::fcntl(fd(h), F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) != -1;
}

bool USockSys::dottedAddress(const char* text, std::uint32_t& out)
{
    const in_addr_t a = ::inet_addr(text);
    out = a;
    return a != INADDR_NONE;
}

bool USockSys::lookupName(const char* text, std::uint32_t& out)
{
    const hostent* h = ::gethostbyname(text);
    const bool found = h != nullptr && h->h_addrtype == AF_INET && h->h_addr_list[0] != nullptr;
    if (found)
        std::memcpy(&out, h->h_addr_list[0], sizeof out);
    return found;
}

bool USockSys::bindTo(Handle h, const Endpoint& at)
{
    const sockaddr_in sa = toSockaddr(at);
    // Winsock lets a restarted server take its port again at once; do the same here
    // rather than wait out the old connections' TIME_WAIT.
    const int on = 1;
    ::setsockopt(fd(h), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    return ::bind(fd(h), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != -1;
}

bool USockSys::listenOn(Handle h, int backlog) { return ::listen(fd(h), backlog) != -1; }

int USockSys::maxBacklog() { return SOMAXCONN; }

USockSys::Handle USockSys::acceptNext(Handle h)
{
    int s;
    do {
        s = ::accept4(fd(h), nullptr, nullptr, SOCK_CLOEXEC);
    } while (s < 0 && connectionError(errno));
    return s < 0 ? kInvalid : static_cast<Handle>(s);
}

USockSys::Progress USockSys::startConnect(Handle h, const Endpoint& to)
{
    const sockaddr_in sa = toSockaddr(to);
    if (::connect(fd(h), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0)
        return Done;
    return errno == EINPROGRESS || errno == EINTR ? Pending : Failed;
}

USockSys::Progress USockSys::waitConnected(Handle h, int ms)
{
    // The socket turns writable when the handshake has ended; SO_ERROR tells how.
    pollfd p;
    p.fd = fd(h);
    p.events = POLLOUT;
    p.revents = 0;
    const int r = ::poll(&p, 1, ms);
    if (r < 0)
        return errno == EINTR ? Pending : Failed;
    if (r == 0)
        return Pending;
    int err = 0;
    socklen_t len = sizeof err;
    return ::getsockopt(fd(h), SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0 ? Done : Failed;
}

bool USockSys::endpointOf(Handle h, bool peer, Endpoint& out)
{
    sockaddr_in sa;
    socklen_t len = sizeof sa;
    sockaddr* p = reinterpret_cast<sockaddr*>(&sa);
    if ((peer ? ::getpeername(fd(h), p, &len) : ::getsockname(fd(h), p, &len)) == -1)
        return false;
    out.address = sa.sin_addr.s_addr;
    out.port = ntohs(sa.sin_port);
    return true;
}

int USockSys::transfer(Handle h, bool sending, char* buf, int n, bool& broken)
{
    // MSG_NOSIGNAL: a peer that has gone must end the transfer with a result, not end the
    // process with SIGPIPE as a plain send would.
    const ssize_t r = sending ? ::send(fd(h), buf, static_cast<size_t>(n), MSG_NOSIGNAL)
                              : ::recv(fd(h), buf, static_cast<size_t>(n), 0);
    broken = (r < 0 && !wouldBlock(errno)) || (!sending && r == 0 && n > 0);
    return static_cast<int>(r);
}

bool USockSys::waitReady(Handle h, bool forWrite, int ms)
{
    pollfd p;
    p.fd = fd(h);
    p.events = forWrite ? POLLOUT : POLLIN;
    p.revents = 0;
    return ::poll(&p, 1, ms) > 0;
}

int USockSys::firstReadable(const Handle* handles, int count, int ms)
{
    std::vector<pollfd> polls(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        polls[static_cast<size_t>(i)].fd = fd(handles[i]);
        polls[static_cast<size_t>(i)].events = POLLIN;
        polls[static_cast<size_t>(i)].revents = 0;
    }
    if (count <= 0 || ::poll(polls.data(), static_cast<nfds_t>(count), ms) <= 0)
        return -1;
    for (int i = 0; i < count; ++i) {
        if (polls[static_cast<size_t>(i)].revents != 0)
            return i;
    }
    return -1;
}
