// The BSD-sockets side of the socket seam: what the native build and its tests run on.
#include "net/USock.h"

#include "common/UStopWatch.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int fd(USock::Handle h) { return static_cast<int>(h); }

bool wouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK || err == EINTR; }

} // namespace

bool USock::initWSocket() { return true; }

void USock::cleanupWSocket() {}

USock::Handle USock::createTcpSocket()
{
    // Close-on-exec: a program the server starts (the print program, which -view leaves
    // running) must not keep the client's connection open or hold the port.
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return s < 0 ? kInvalidHandle : static_cast<Handle>(s);
}

void USock::closeHandle(Handle handle) { ::close(fd(handle)); }

bool USock::dottedAddress(const char* text, std::uint32_t& out)
{
    const in_addr_t a = ::inet_addr(text);
    if (a == INADDR_NONE)
        return false;
    out = a;
    return true;
}

bool USock::lookupName(const char* text, std::uint32_t& out)
{
    const hostent* h = ::gethostbyname(text);
    if (h == nullptr || h->h_addrtype != AF_INET || h->h_addr_list[0] == nullptr)
        return false;
    std::memcpy(&out, h->h_addr_list[0], sizeof out);
    return true;
}

bool USock::dottedText(std::uint32_t addr, UString& out)
{
    in_addr a;
    a.s_addr = addr;
    const char* text = ::inet_ntoa(a);
    if (text == nullptr)
        return false;
    out = text;
    return true;
}

bool USock::getSockAddr(sockaddr_in& out)
{
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    out.sin_port = htons(static_cast<std::uint16_t>(port));
    std::uint32_t a = 0;
    if (!dottedAddress(address.str(), a) && !lookupName(address.str(), a))
        return false;
    out.sin_addr.s_addr = a;
    return true;
}

bool USock::bind()
{
    sockaddr_in sa;
    if (!getSockAddr(sa))
        return false;
    // Winsock lets a restarted server take its port again at once; do the same here
    // rather than wait out the old connections' TIME_WAIT.
    const int on = 1;
    ::setsockopt(fd(sock), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    return ::bind(fd(sock), reinterpret_cast<const sockaddr*>(&sa), 16) != -1;
}

bool USock::listen(int backlog) { return ::listen(fd(sock), backlog) != -1; }

// Errors that belong to one pending connection, not to the listening socket: a client
// that gave up while it waited in the backlog must not end the server for everyone.
static bool connectionError(int e)
{
    return e == EINTR || e == ECONNABORTED || e == EPROTO || e == ENETDOWN || e == ENOPROTOOPT ||
           e == EHOSTDOWN || e == ENONET || e == EHOSTUNREACH || e == ENETUNREACH || e == EOPNOTSUPP;
}

bool USock::accept(USock& client)
{
    int s;
    do {
        s = ::accept4(fd(sock), nullptr, nullptr, SOCK_CLOEXEC);
    } while (s < 0 && connectionError(errno));
    return client.attach(s < 0 ? kInvalidHandle : static_cast<Handle>(s));
}

bool USock::connect()
{
    sockaddr_in sa;
    if (!getSockAddr(sa))
        return false;
    return ::connect(fd(sock), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != -1;
}

USock::ConnectResult USock::connect(double timeout)
{
    sockaddr_in sa;
    if (!getSockAddr(sa))
        return ConnectFailed;
    const int s = fd(sock);
    const int flags = ::fcntl(s, F_GETFL, 0);
    if (flags == -1 || ::fcntl(s, F_SETFL, flags | O_NONBLOCK) == -1)
        return ConnectFailed;
    ConnectResult result = ConnectFailed;
    if (::connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0) {
        result = Connected;
    } else if (errno == EINPROGRESS || errno == EINTR) {
        // The handshake goes on by itself; the socket turns writable when it has ended,
        // one way or the other, and SO_ERROR then tells which.
        UStopWatch watch;
        watch.start();
        result = ConnectTimedOut;
        for (;;) {
            const double left = (timeout < 0 ? 0 : timeout) - watch.stopAndSeconds();
            const double ms = left * 1000.0;
            pollfd p;
            p.fd = s;
            p.events = POLLOUT;
            p.revents = 0;
            const int r = ::poll(&p, 1, ms <= 0 ? 0 : ms >= 2e9 ? 2000000000 : static_cast<int>(ms) + 1);
            if (r > 0) {
                int err = 0;
                socklen_t len = sizeof err;
                const bool ok = ::getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0;
                result = ok ? Connected : ConnectFailed;
                break;
            }
            if (r < 0 && errno != EINTR) {
                result = ConnectFailed;
                break;
            }
            if (r == 0 && ms <= 0)
                break;
        }
    }
    // A connection that is half made when the time is up stays the caller's to close.
    if (::fcntl(s, F_SETFL, flags) == -1)
        return ConnectFailed;
    return result;
}

bool USock::attach(Handle handle)
{
    sockaddr_in sa;
    socklen_t len = sizeof sa;
    UString text;
    if (handle == kInvalidHandle || ::getsockname(fd(handle), reinterpret_cast<sockaddr*>(&sa), &len) == -1 ||
        !dottedText(sa.sin_addr.s_addr, text)) {
        reset();
        return false;
    }
    address = text;
    port = ntohs(sa.sin_port);
    sock = handle;
    blocking = 1;
    return true;
}

bool USock::close()
{
    if (::close(fd(sock)) == -1) {
        reset();
        return false;
    }
    return true;
}

namespace {

bool setFlag(int s, bool nonBlocking)
{
    const int flags = ::fcntl(s, F_GETFL, 0);
    if (flags == -1)
        return false;
    const int wanted = nonBlocking ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return ::fcntl(s, F_SETFL, wanted) != -1;
}

} // namespace

bool USock::setNonBlocking()
{
    if (!setFlag(fd(sock), true))
        return false;
    blocking = 0;
    return true;
}

bool USock::setBlocking()
{
    if (!setFlag(fd(sock), false))
        return false;
    blocking = 1;
    return true;
}

bool USock::getPeerAddress(UString& name, UString& peerAddress)
{
    sockaddr_in sa;
    socklen_t len = sizeof sa;
    if (::getpeername(fd(sock), reinterpret_cast<sockaddr*>(&sa), &len) == -1)
        return false;
    UString text;
    if (!dottedText(sa.sin_addr.s_addr, text))
        return false;
    peerAddress = text;
    name = text;
    return true;
}

int USock::platformSend(const char* buf, int n, bool& broken)
{
    // MSG_NOSIGNAL: a peer that has gone must end the transfer with a result, not end the
    // process with SIGPIPE as a plain send would.
    const ssize_t r = ::send(fd(sock), buf, static_cast<size_t>(n), MSG_NOSIGNAL);
    broken = r < 0 && !wouldBlock(errno);
    return static_cast<int>(r);
}

int USock::platformRecv(char* buf, int n, bool& broken)
{
    const ssize_t r = ::recv(fd(sock), buf, static_cast<size_t>(n), 0);
    broken = (r < 0 && !wouldBlock(errno)) || (r == 0 && n > 0);
    return static_cast<int>(r);
}

void USock::waitReady(bool forWrite, double seconds)
{
    pollfd p;
    p.fd = fd(sock);
    p.events = forWrite ? POLLOUT : POLLIN;
    p.revents = 0;
    // Whole milliseconds, kept within poll's int however long the caller's interval.
    const double ms = seconds * 1000.0;
    ::poll(&p, 1, ms >= 2e9 ? 2000000000 : static_cast<int>(ms));
}
