#include "net/USock.h"

#include "common/UOs.h"
#include "net/UHostsFile.h"

#include <cstdlib>

const USock::Handle USock::kInvalidHandle = ~static_cast<USock::Handle>(0);

USock::USock() { reset(); }

USock::~USock() = default;

void USock::reset()
{
    sock = kInvalidHandle;
    port = 0;
    blocking = 1;
    address = "";
}

bool USock::open(const UString& addressText, int newPort)
{
    const Handle handle = createTcpSocket();
    if (handle == kInvalidHandle) {
        reset();
        return false;
    }
    UString resolved;
    if (!resolveHost(addressText, resolved)) {
        // Nobody else knows this handle yet: leaving it open would leak it.
        closeHandle(handle);
        reset();
        return false;
    }
    sock = handle;
    address = resolved;
    port = newPort;
    blocking = 1;
    return true;
}

void USock::sleep(double seconds)
{
    if (seconds < 0)
        return;
    const double ms = seconds * 1000.0;
    UOs::sleepMs(ms >= 2e9 ? 2000000000 : static_cast<int>(ms));
}

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
    if (USock::dottedAddress(text.str(), addr)) {
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
    if (USock::lookupName(text.str(), addr) && USock::dottedText(addr, result))
        return true;
    return false;
}
