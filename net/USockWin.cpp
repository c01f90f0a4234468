// The Winsock side of the socket seam: what draxomeServer runs on.
#include "net/USock.h"

#include "common/ULog.h"

#include <winsock2.h>

#include <cstring>

namespace {

SOCKET sk(USock::Handle h) { return static_cast<SOCKET>(h); }

// A program the server starts (the print program, which -view leaves running) would
// otherwise inherit the listening socket and the client's connection, keep the connection
// open after the server has closed it, and hold the port after the server has ended.
SOCKET notInherited(SOCKET s)
{
    if (s != INVALID_SOCKET)
        SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    return s;
}

bool wouldBlock(int err) { return err == WSAEWOULDBLOCK || err == WSAEINTR || err == WSAEINPROGRESS; }

} // namespace

bool USock::initWSocket()
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

void USock::cleanupWSocket() { WSACleanup(); }

USock::Handle USock::createTcpSocket()
{
    const SOCKET s = notInherited(::socket(AF_INET, SOCK_STREAM, 0));
    return s == INVALID_SOCKET ? kInvalidHandle : static_cast<Handle>(s);
}

void USock::closeHandle(Handle handle) { ::closesocket(sk(handle)); }

bool USock::dottedAddress(const char* text, std::uint32_t& out)
{
    const unsigned long a = ::inet_addr(text);
    if (a == INADDR_NONE)
        return false;
    out = static_cast<std::uint32_t>(a);
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
    out.sin_port = htons(static_cast<u_short>(port));
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
    return ::bind(sk(sock), reinterpret_cast<const sockaddr*>(&sa), 16) != SOCKET_ERROR;
}

bool USock::listen(int backlog) { return ::listen(sk(sock), backlog) != SOCKET_ERROR; }

bool USock::accept(USock& client)
{
    // A client that reset its connection while it waited in the backlog fails this accept
    // only (WSAECONNRESET); it must not end the server for everyone.
    SOCKET s;
    do {
        s = notInherited(::accept(sk(sock), nullptr, nullptr));
    } while (s == INVALID_SOCKET && (WSAGetLastError() == WSAECONNRESET || WSAGetLastError() == WSAEINTR));
    return client.attach(s == INVALID_SOCKET ? kInvalidHandle : static_cast<Handle>(s));
}

bool USock::connect()
{
    sockaddr_in sa;
    if (!getSockAddr(sa))
        return false;
    return ::connect(sk(sock), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != SOCKET_ERROR;
}

USock::ConnectResult USock::connect(double timeout)
{
    sockaddr_in sa;
    if (!getSockAddr(sa))
        return ConnectFailed;
    // Winsock cannot tell a socket's mode: the object's own record says which to go back to.
    u_long on = 1;
    if (::ioctlsocket(sk(sock), FIONBIO, &on) == SOCKET_ERROR)
        return ConnectFailed;
    ConnectResult result = ConnectFailed;
    if (::connect(sk(sock), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != SOCKET_ERROR) {
        result = Connected;
    } else if (WSAGetLastError() == WSAEWOULDBLOCK) {
        // A connection that is made turns the socket writable; one that fails is reported
        // in the exception set, not as writable.
        fd_set writable;
        fd_set failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(sk(sock), &writable);
        FD_SET(sk(sock), &failed);
        const double ms = timeout < 0 ? 0 : timeout * 1000.0;
        const long total = ms >= 2e9 ? 2000000000L : static_cast<long>(ms);
        timeval tv;
        tv.tv_sec = total / 1000;
        tv.tv_usec = (total % 1000) * 1000;
        const int r = ::select(0, nullptr, &writable, &failed, &tv);
        if (r == 0) {
            result = ConnectTimedOut;
        } else if (r > 0 && FD_ISSET(sk(sock), &writable) && !FD_ISSET(sk(sock), &failed)) {
            int err = 0;
            int len = sizeof err;
            const bool ok =
                ::getsockopt(sk(sock), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) == 0 && err == 0;
            result = ok ? Connected : ConnectFailed;
        }
    }
    if (blocking != 0) {
        u_long off = 0;
        if (::ioctlsocket(sk(sock), FIONBIO, &off) == SOCKET_ERROR)
            return ConnectFailed;
    }
    return result;
}

bool USock::attach(Handle handle)
{
    sockaddr_in sa;
    int len = sizeof sa;
    UString text;
    if (handle == kInvalidHandle || ::getsockname(sk(handle), reinterpret_cast<sockaddr*>(&sa), &len) == SOCKET_ERROR ||
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
    if (::closesocket(sk(sock)) == SOCKET_ERROR) {
        reset();
        return false;
    }
    return true;
}

bool USock::setNonBlocking()
{
    u_long on = 1;
    if (::ioctlsocket(sk(sock), FIONBIO, &on) == SOCKET_ERROR)
        return false;
    blocking = 0;
    return true;
}

bool USock::setBlocking()
{
    u_long off = 0;
    if (::ioctlsocket(sk(sock), FIONBIO, &off) == SOCKET_ERROR)
        return false;
    blocking = 1;
    return true;
}

bool USock::getPeerAddress(UString& name, UString& peerAddress)
{
    sockaddr_in sa;
    int len = sizeof sa;
    if (::getpeername(sk(sock), reinterpret_cast<sockaddr*>(&sa), &len) == SOCKET_ERROR)
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
    const int r = ::send(sk(sock), buf, n, 0);
    broken = r == SOCKET_ERROR && !wouldBlock(WSAGetLastError());
    return r;
}

int USock::platformRecv(char* buf, int n, bool& broken)
{
    const int r = ::recv(sk(sock), buf, n, 0);
    broken = (r == SOCKET_ERROR && !wouldBlock(WSAGetLastError())) || (r == 0 && n > 0);
    return r;
}

void USock::waitReady(bool forWrite, double seconds)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(sk(sock), &set);
    // Whole milliseconds, capped so a very long interval cannot overflow the fields.
    const double ms = seconds * 1000.0;
    const long total = ms >= 2e9 ? 2000000000L : static_cast<long>(ms);
    timeval tv;
    tv.tv_sec = total / 1000;
    tv.tv_usec = (total % 1000) * 1000;
    ::select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &tv);
}
