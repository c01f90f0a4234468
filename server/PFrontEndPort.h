#pragma once

#include "common/UString.h"

// Where a front end beside the server's own protocol listens: the LPD port of -lpd
// "[ADDRESS:]PORT", or a raw-socket port of -raw "[ADDRESS:]PORT=QUEUE" with its queue.
class PFrontEndPort {
public:
    enum Kind { Lpd, Raw };

    PFrontEndPort();

    // Reads text for kind; the address is resolved, and is defaultHost when the text names
    // none. False for a port outside 1 to 65535, a host that does not resolve, or a raw
    // port without a queue.
    static bool parse(Kind kind, const UString& text, const UString& defaultHost, PFrontEndPort& out);

    Kind kind;
    // Dotted-decimal text.
    UString host;
    int port;
    UString queue;
};
