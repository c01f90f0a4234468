#pragma once

#include "common/UString.h"
#include "server/PFrontEndPort.h"

#include <vector>

// The server's connection handler: the accept loop, and one job exchange per connection,
// on the server's only thread, so clients are served strictly one after another and later
// ones wait in the listen backlog. The LPD and raw-socket ports are served by the same
// loop, one connection at a time like the server's own.
class PPrinterServer {
public:
    // Listens on host and port, and on the front ends' ports, and serves every connection
    // in turn until a stop is requested (then true). Returns false, after its log line,
    // when a socket cannot be opened, bound or listened on, or when accepting fails.
    static bool run(const UString& host, int port, const std::vector<PFrontEndPort>& frontEnds);

    // One exchange over the connected USockTcp that run allocated on the heap. Takes the
    // object over and frees it at once: the caller must not touch it afterwards. 1 when the
    // exchange ran to its end, 0 when it ended at a failure.
    static unsigned dispatch(void* lpParam);
};
