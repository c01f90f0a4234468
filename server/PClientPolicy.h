#pragma once

#include "common/UString.h"

#include <vector>

class KeltoCmdLine;

// What the administrator allows printer clients, from the server's own command line: the
// -run values they may use (-allowrun), whether their command lines are checked at all
// (-trustclients), how long a read from a client may take (-clienttimeout), how large a
// document and how long the receipt of a job may be (-maxjob, -jobtimeout), and how many
// -view print programs may run at once (-maxviews). Start-up sets it once; every exchange
// reads it. Until then the checks are on, no program is allowed and the defaults hold.
class PClientPolicy {
public:
    static void set(const KeltoCmdLine& serverOptions);

    static const std::vector<UString>& allowRun();
    static bool trustClients();
    // Seconds.
    static double clientTimeout();
    // Bytes.
    static long long maxJobBytes();
    // Seconds.
    static double jobTimeout();
    static int maxViews();
    // -queues: the queue file the LPD and raw-socket front ends read at every job.
    static const UString& queueFile();
};
