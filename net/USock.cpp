#include "net/USock.h"

#include "common/UStopWatch.h"
#include "net/UHostsFile.h"
#include "net/USockSys.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Whole milliseconds, kept within the platforms' int however long the caller's time.
int wholeMs(double ms) { return ms <= 0 ? 0 : ms >= 2e9 ? 2000000000 : static_cast<int>(ms); }

// The four bytes of a network-order address as they lie in memory: the dotted text.
UString dottedText(std::uint32_t address)
{
    unsigned char b[4];
    std::memcpy(b, &address, sizeof b);
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
    return UString(text);
}

// The endpoint a socket opened for address and port binds or connects to.
bool endpointFor(const UString& address, int port, USockSys::Endpoint& out)
{
    out.port = port;
    out.address = 0;
    return USockSys::dottedAddress(address.str(), out.address) || USockSys::lookupName(address.str(), out.address);
}

} // namespace

const USock::Handle USock::kInvalidHandle = USockSys::kInvalid;

USock::USock() { reset(); }

USock::~USock() = default;

bool USock::initWSocket() { return USockSys::startup(); }

void USock::cleanupWSocket() { USockSys::cleanup(); }

void USock::reset()
{
    sock = kInvalidHandle;
    port = 0;
    blocking = 1;
    address = "";
}

bool USock::open(const UString& addressText, int newPort)
{
    const Handle handle = USockSys::createTcp();
    if (handle == kInvalidHandle) {
        reset();
        return false;
    }
    UString resolved;
    if (!resolveHost(addressText, resolved)) {
        // Nobody else knows this handle yet: leaving it open would leak it.
        USockSys::closeHandle(handle);
        reset();
        return false;
    }
    sock = handle;
    address = resolved;
    port = newPort;
    blocking = 1;
    return true;
}

bool USock::bind()
{
    USockSys::Endpoint at;
    return endpointFor(address, port, at) && USockSys::bindTo(sock, at);
}

bool USock::listen() { return USockSys::listenOn(sock, USockSys::maxBacklog()); }

bool USock::listen(int backlog) { return USockSys::listenOn(sock, backlog); }

bool USock::accept(USock& client) { return client.attach(USockSys::acceptNext(sock)); }

bool USock::awaitClient(double seconds) { return USockSys::waitReady(sock, false, wholeMs(seconds * 1000.0)); }

int USock::awaitFirstClient(const USock* const* listeners, int count, double seconds)
{
    std::vector<USockSys::Handle> handles;
    for (int i = 0; i < count; ++i)
        handles.push_back(listeners[i]->sock);
    return USockSys::firstReadable(handles.data(), count, wholeMs(seconds * 1000.0));
}

bool USock::connect()
{
    USockSys::Endpoint to;
    return endpointFor(address, port, to) && USockSys::startConnect(sock, to) == USockSys::Done;
}

USock::ConnectResult USock::connect(double timeout)
{
    USockSys::Endpoint to;
    if (!endpointFor(address, port, to) || !USockSys::setNonBlocking(sock, true))
        return ConnectFailed;
    USockSys::Progress progress = USockSys::startConnect(sock, to);
    if (progress == USockSys::Pending) {
        // The handshake goes on by itself until it ends, one way or the other, or the time
        // is up; a wait cut short by a signal simply waits again for what is left.
        UStopWatch watch;
        watch.start();
        for (;;) {
            const double ms = ((timeout < 0 ? 0 : timeout) - watch.stopAndSeconds()) * 1000.0;
            // One millisecond more, so the wait never ends just before the limit.
            progress = USockSys::waitConnected(sock, ms <= 0 ? 0 : wholeMs(ms) + 1);
            if (progress != USockSys::Pending || ms <= 0)
                break;
        }
    }
    const ConnectResult result = progress == USockSys::Done      ? Connected
                                 : progress == USockSys::Pending ? ConnectTimedOut
                                                                 : ConnectFailed;
    // A connection that is half made when the time is up stays the caller's to close.
    // Neither platform reports a socket's mode: the object's own record says which to go
    // back to.
    if (blocking != 0 && !USockSys::setNonBlocking(sock, false))
        return ConnectFailed;
    return result;
}

bool USock::attach(Handle handle)
{
    USockSys::Endpoint local;
    if (handle == kInvalidHandle || !USockSys::endpointOf(handle, false, local)) {
        reset();
        return false;
    }
    address = dottedText(local.address);
    port = local.port;
    sock = handle;
    blocking = 1;
    return true;
}

bool USock::close()
{
    if (!USockSys::closeHandle(sock)) {
        reset();
        return false;
    }
    return true;
}

bool USock::closeAfterSending(double seconds)
{
    USockSys::shutdownSend(sock);
    if (USockSys::setNonBlocking(sock, true)) {
        UStopWatch watch;
        watch.start();
        // Only a peer still sending makes a close lose what was sent to it: one that has
        // kept still a moment is let go, so that it cannot hold the server for the whole
        // drain after its limit has passed.
        const double stillSeconds = 0.2;
        UStopWatch still;
        still.start();
        char sink[4096];
        bool broken = false;
        for (;;) {
            const double left = std::min(seconds - watch.stopAndSeconds(), stillSeconds - still.stopAndSeconds());
            if (left <= 0)
                break;
            USockSys::waitReady(sock, false, wholeMs(left * 1000.0) + 1);
            const int got = USockSys::transfer(sock, false, sink, sizeof sink, broken);
            if (got <= 0 && broken)
                break;
            if (got > 0)
                still.start();
        }
    }
    return close();
}

bool USock::setKeepAlive() { return USockSys::setKeepAlive(sock); }

bool USock::peerGone()
{
    const int wasBlocking = blocking;
    if (wasBlocking != 0 && !setNonBlocking())
        return false;
    char byte = 0;
    bool broken = false;
    USockSys::transfer(sock, false, &byte, 1, broken);
    if (wasBlocking == 1)
        setBlocking();
    return broken;
}

bool USock::setNonBlocking()
{
    if (!USockSys::setNonBlocking(sock, true))
        return false;
    blocking = 0;
    return true;
}

bool USock::setBlocking()
{
    if (!USockSys::setNonBlocking(sock, false))
        return false;
    blocking = 1;
    return true;
}

bool USock::getPeerAddress(UString& name, UString& peerAddress)
{
    USockSys::Endpoint peer;
    if (!USockSys::endpointOf(sock, true, peer))
        return false;
    peerAddress = dottedText(peer.address);
    name = peerAddress;
    return true;
}

int USock::platformSend(const char* buf, int n, bool& broken)
{
    // A sending call only reads the buffer.
    return USockSys::transfer(sock, true, const_cast<char*>(buf), n, broken);
}

int USock::platformRecv(char* buf, int n, bool& broken) { return USockSys::transfer(sock, false, buf, n, broken); }

void USock::waitReady(bool forWrite, double seconds) { USockSys::waitReady(sock, forWrite, wholeMs(seconds * 1000.0)); }

bool parseAddress(const UString& text, UString& host, int& port)
{
    host = "";
    int pos = 0;
    const int n = text.length();
    while (pos < n && text[pos] != ':')
        host += text[pos++];
    if (pos < n)
        ++pos; // the ':' itself
    // atoi's reading (blanks, a sign, leading digits, nothing else) without its undefined
    // overflow: a number too large for a port stays too large.
    const long value = std::strtol(text.str() + pos, nullptr, 10);
    if (value > 65535 || value < -1)
        port = -1;
    else
        port = static_cast<int>(value);
    return !host.isEmpty() && port >= 1 && port <= 65535;
}

bool resolveHost(const UString& text, UString& result)
{
    std::uint32_t addr = 0;
    if (USockSys::dottedAddress(text.str(), addr)) {
        result = text;
        return true;
    }
    UHostsFile hosts;
    UString entryAddress;
    UString entryName;
    if (hosts.find(text, entryAddress, entryName) >= 0) {
        result = entryAddress;
        return true;
    }
    if (!USockSys::lookupName(text.str(), addr))
        return false;
    result = dottedText(addr);
    return true;
}
