#pragma once

#include "common/UCmdLine.h"
#include "common/UString.h"

#include <vector>

// The server's option record: the server's own command line at start-up, and each
// client's job command line. Only the options the server itself acts on are taken;
// everything else is left to the print program.
class KeltoCmdLine : public UCmdLine {
public:
    static const int kDefaultPort = 2345;
    static constexpr double kDefaultClientTimeout = 60.0;
    static const int kDefaultKeepJobs = 100;
    static constexpr double kDefaultServerLogSize = 10.0;
    static const int kDefaultMaxJob = 200;
    static constexpr double kDefaultJobTimeout = 600.0;
    static const int kDefaultMaxViews = 4;

    KeltoCmdLine();
    ~KeltoCmdLine() override;

    // The vector holds no program name. An argument that does not begin with "-", or
    // whose rest is no keyword, is skipped; a value option takes the next argument,
    // whatever it is. False, after one Error line, when a value option ends the vector.
    bool parse(int& argc, char**& argv) override;

    UString openFile;
    UString logFile;
    bool logEnabled;
    bool fontList;
    bool response;
    UString responseFile;
    bool printList;
    bool resList;
    bool ver;
    UString listenAddr;
    bool view;

    // The server's own safety options; in a job's command line they are parsed like the
    // rest and have no effect. -allowrun NAME (repeatable): a -run value clients may use.
    std::vector<UString> allowRun;
    // -trustclients: no check of the clients' command lines.
    bool trustClients;
    // -clienttimeout SECONDS: the time limit of each read from a client; a positive number.
    double clientTimeout;
    // -keepjobs N: the files of the last N finished jobs stay, older ones are removed.
    int keepJobs;
    // -serverlogsize MEGABYTES: the server log's size before it moves to its ".1".
    double serverLogSize;
    // -maxjob MEGABYTES: the largest document a client may send, in MiB; a positive whole number.
    int maxJob;
    // -jobtimeout SECONDS: the time limit of receiving a job's command line and document
    // together; a positive number.
    double jobTimeout;
    // -maxviews N: how many -view print programs may run at once; a positive whole number.
    int maxViews;
    // -lpd [ADDRESS:]PORT: where the LPD receiver listens; empty for none.
    UString lpd;
    // -raw [ADDRESS:]PORT=QUEUE (repeatable): raw-socket ports and the queue of each.
    std::vector<UString> raw;
    // -queues FILE: the queue file of the LPD and raw-socket jobs.
    UString queues;
    // -stopgrace SECONDS: how long a running job may go on once a stop is requested; a
    // whole number from 0.
    int stopGrace;
    // The indices of the arguments this parse took as the -open option (not as the value
    // of another option), in order: the job checks compare them with the print program's
    // reading of the same line.
    std::vector<int> openArgs;
};
