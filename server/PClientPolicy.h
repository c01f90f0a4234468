#pragma once

#include "common/UString.h"

#include <vector>

class KeltoCmdLine;

// What the administrator allows printer clients, from the server's own command line: the
// -run values they may use (-allowrun), whether their command lines are checked at all
// (-trustclients), and how long a read from a client may take (-clienttimeout). Start-up
// sets it once; every exchange reads it. Until then the checks are on, no program is
// allowed and reads wait 60 seconds at most.
class PClientPolicy {
public:
    static void set(const KeltoCmdLine& serverOptions);

    static const std::vector<UString>& allowRun();
    static bool trustClients();
    // Seconds.
    static double clientTimeout();
    // -maxjob in bytes: the most data one job of the LPD and raw-socket front ends brings.
    static long long maxJobBytes();
    // -queues: the queue file those front ends read at every job.
    static const UString& queueFile();
};
