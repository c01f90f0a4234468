#pragma once

#include "common/UString.h"

#include <cstddef>
#include <string>

// One print job of the LPD and raw-socket front ends, from its staged data to its log
// line: the queue's options checked as a client's command line is (unless -trustclients),
// a command file of the queue's options plus what the front end adds (-direct, -docname),
// the print program started on the staged data and waited for, every staged file removed,
// and one server-log line. The server's own protocol keeps its own exchange; this serves
// the front ends that speak other protocols.
class PJobRunner {
public:
    struct Job {
        const char* frontEnd = "";
        UString peer;
        // Texts the peer sent: they are logged as untrusted text and never become options.
        UString user;
        UString host;
        UString queue;
        UString documentName;
        // Print the data as it is (-direct) instead of laying it out.
        bool direct = false;
    };
    enum Outcome { Printed, Refused, NotStarted, EndedByStop };

    // A stamp no staged file carries yet, for the data of a new job.
    static UString freshStamp();
    // The job whose data lies in the staged job file of stamp, bytes long. Everything
    // staged under the stamp is gone afterwards, whatever the outcome.
    static Outcome run(const Job& job, const std::string& queueOptions, const UString& stamp, long long bytes);
    // The command file's text: the queue's options, " -direct" for direct jobs, and the
    // document name as the quoted value of -docname, cut so that the whole text stays
    // within what the print program reads. Empty when the queue's options alone do not fit.
    static std::string commandText(const std::string& queueOptions, const Job& job);
    // A peer's text as a value: quotes and control characters removed, at most most bytes.
    static std::string plainText(const std::string& text, size_t most);
    // Removes the command file, job file and job log of stamp.
    static void discard(const UString& stamp);
    // The job's one server-log line, "<front end> job from <peer>, user '<user>'[, host
    // '<host>'], queue '<queue>', <bytes> bytes: <outcome>".
    static void log(const Job& job, long long bytes, const char* outcome, bool failed);
};
