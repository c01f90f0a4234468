#include "server/PFrontEndPort.h"

#include "net/USock.h"

#include <string>

PFrontEndPort::PFrontEndPort() : kind(Lpd), port(0) {}

bool PFrontEndPort::parse(Kind kind, const UString& text, const UString& defaultHost, PFrontEndPort& out)
{
    std::string rest(text.str());
    std::string queue;
    if (kind == Raw) {
        const size_t equals = rest.find('=');
        if (equals == std::string::npos || equals + 1 == rest.size())
            return false;
        queue = rest.substr(equals + 1);
        rest = rest.substr(0, equals);
    }
    std::string host;
    const size_t colon = rest.rfind(':');
    if (colon != std::string::npos) {
        host = rest.substr(0, colon);
        rest = rest.substr(colon + 1);
        if (host.empty())
            return false;
    }
    if (rest.empty() || rest.size() > 5)
        return false;
    int port = 0;
    for (char c : rest) {
        if (c < '0' || c > '9')
            return false;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535)
        return false;
    UString resolved = defaultHost;
    if (!host.empty() && !resolveHost(UString(host.c_str()), resolved))
        return false;
    out.kind = kind;
    out.host = resolved;
    out.port = port;
    out.queue = UString(queue.c_str());
    return true;
}
