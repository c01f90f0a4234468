// The Winsock side of the socket seam: what draxomeServer runs on.
#include "net/USockSys.h"

#include "common/ULog.h"

#include <winsock2.h>
#include <mstcpip.h>

#include <cstring>

namespace {

SOCKET sk(USockSys::Handle h) { return static_cast<SOCKET>(h); }

// A program the server starts (the print program, which -view leaves running) would
// otherwise inherit the listening socket and the client's connection, keep the connection
// open after the server has closed it, and hold the port after the server has ended.
USockSys::Handle notInherited(SOCKET s)
{
    if (s == INVALID_SOCKET)
        return USockSys::kInvalid;
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    return static_cast<USockSys::Handle>(s);
}

bool wouldBlock(int err) { return err == WSAEWOULDBLOCK || err == WSAEINTR || err == WSAEINPROGRESS; }

sockaddr_in toSockaddr(const USockSys::Endpoint& e)
{
    sockaddr_in sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<u_short>(e.port));
    sa.sin_addr.s_addr = e.address;
    return sa;
}

timeval msTimeval(int ms)
{
    timeval tv;
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return tv;
}

} // namespace

bool USockSys::startup()
{
    WSADATA data;
    if (WSAStartup(0x0202, &data) != 0) {
        ULog::write("USock::initWSocket: could not initialize Windows sockets", ULog::Error);
        return false;
    }
    if (LOBYTE(data.wVersion) != 2 || HIBYTE(data.wVersion) != LOBYTE(data.wVersion)) {
        WSACleanup();
        ULog::write("USock::initWSocket: could not initialize Windows sockets (2)", ULog::Error);
        return false;
    }
    return true;
}

void USockSys::cleanup() { WSACleanup(); }

USockSys::Handle USockSys::createTcp() { return notInherited(::socket(AF_INET, SOCK_STREAM, 0)); }

bool USockSys::closeHandle(Handle h) { return ::closesocket(sk(h)) != SOCKET_ERROR; }

void USockSys::shutdownSend(Handle h) { ::shutdown(sk(h), SD_SEND); }

bool USockSys::setKeepAlive(Handle h)
{
    // The system then probes ten times (its fixed count) at the interval.
    tcp_keepalive values{1, 60000, 10000};
    DWORD returned = 0;
    return WSAIoctl(sk(h), SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned, nullptr, nullptr) == 0;
}

bool USockSys::setNonBlocking(Handle h, bool on)
{
    u_long mode = on ? 1 : 0;
    return ::ioctlsocket(sk(h), FIONBIO, &mode) != SOCKET_ERROR;
}

bool USockSys::dottedAddress(const char* text, std::uint32_t& out)
{
    const unsigned long a = ::inet_addr(text);
    out = static_cast<std::uint32_t>(a);
    return a != INADDR_NONE;
}

bool USockSys::lookupName(const char* text, std::uint32_t& out)
{
    const hostent* entry = ::gethostbyname(text);
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list[0] == nullptr)
        return false;
    std::memcpy(&out, entry->h_addr_list[0], sizeof out);
    return true;
}

bool USockSys::bindTo(Handle h, const Endpoint& at)
{
    const sockaddr_in sa = toSockaddr(at);
    return ::bind(sk(h), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != SOCKET_ERROR;
}

bool USockSys::listenOn(Handle h, int backlog) { return ::listen(sk(h), backlog) != SOCKET_ERROR; }

int USockSys::maxBacklog() { return SOMAXCONN; }

USockSys::Handle USockSys::acceptNext(Handle h)
{
    // A client that reset its connection while it waited in the backlog fails this accept
    // only (WSAECONNRESET); it must not end the server for everyone.
    SOCKET s;
    do {
        s = ::accept(sk(h), nullptr, nullptr);
    } while (s == INVALID_SOCKET && (WSAGetLastError() == WSAECONNRESET || WSAGetLastError() == WSAEINTR));
    return notInherited(s);
}

USockSys::Progress USockSys::startConnect(Handle h, const Endpoint& to)
{
    const sockaddr_in sa = toSockaddr(to);
    if (::connect(sk(h), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != SOCKET_ERROR)
        return Done;
    return WSAGetLastError() == WSAEWOULDBLOCK ? Pending : Failed;
}

USockSys::Progress USockSys::waitConnected(Handle h, int ms)
{
    // A connection that is made turns the socket writable; one that fails is reported in
    // the exception set, not as writable.
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(sk(h), &writable);
    FD_SET(sk(h), &failed);
    timeval tv = msTimeval(ms);
    const int r = ::select(0, nullptr, &writable, &failed, &tv);
    if (r == 0)
        return Pending;
    if (r < 0 || !FD_ISSET(sk(h), &writable) || FD_ISSET(sk(h), &failed))
        return Failed;
    int err = 0;
    int len = sizeof err;
    return ::getsockopt(sk(h), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) == 0 && err == 0 ? Done
                                                                                                          : Failed;
}

bool USockSys::endpointOf(Handle h, bool peer, Endpoint& out)
{
    sockaddr_in sa;
    int len = sizeof sa;
    sockaddr* p = reinterpret_cast<sockaddr*>(&sa);
    if ((peer ? ::getpeername(sk(h), p, &len) : ::getsockname(sk(h), p, &len)) == SOCKET_ERROR)
        return false;
    out.address = sa.sin_addr.s_addr;
    out.port = ntohs(sa.sin_port);
    return true;
}

int USockSys::transfer(Handle h, bool sending, char* buf, int n, bool& broken)
{
    const int r = sending ? ::send(sk(h), buf, n, 0) : ::recv(sk(h), buf, n, 0);
    broken = (r == SOCKET_ERROR && !wouldBlock(WSAGetLastError())) || (!sending && r == 0 && n > 0);
    return r;
}

bool USockSys::waitReady(Handle h, bool forWrite, int ms)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(sk(h), &set);
    timeval tv = msTimeval(ms);
    return ::select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &tv) > 0;
}

int USockSys::firstReadable(const Handle* handles, int count, int ms)
{
    // An fd_set holds FD_SETSIZE sockets; the server listens on a handful.
    if (count <= 0 || count > FD_SETSIZE)
        return -1;
    fd_set set;
    FD_ZERO(&set);
    for (int i = 0; i < count; ++i)
        FD_SET(sk(handles[i]), &set);
    timeval tv = msTimeval(ms);
    if (::select(0, &set, nullptr, nullptr, &tv) <= 0)
        return -1;
    for (int i = 0; i < count; ++i) {
        if (FD_ISSET(sk(handles[i]), &set))
            return i;
    }
    return -1;
}
