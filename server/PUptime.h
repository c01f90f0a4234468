#pragma once

class UStopWatch;

// The server's one uptime stopwatch: started once by start-up, after the inventory run,
// and read for every job stamp, so a job's temporary names count the seconds since then.
class PUptime {
public:
    static void start();
    static UStopWatch& watch();
};
