#pragma once

#include "common/UString.h"

// The server's connection handler: the accept loop, and one job exchange per connection,
// on the server's only thread, so clients are served strictly one after another and later
// ones wait in the listen backlog.
class PPrinterServer {
public:
    // Listens on host and port and serves every connection in turn until a stop is
    // requested (then true). Returns false, after its log line, when the socket cannot be
    // opened, bound or listened on, or when accepting fails.
    static bool run(const UString& host, int port);

    // One exchange over the connected USockTcp that run allocated on the heap. Takes the
    // object over and frees it at once: the caller must not touch it afterwards. 1 when the
    // exchange ran to its end, 0 when it ended at a failure.
    static unsigned dispatch(void* lpParam);
};
