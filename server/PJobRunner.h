#pragma once

#include "common/UString.h"
#include "server/KeltoCmdLine.h"
#include "server/PPrintProgram.h"

#include <cstddef>
#include <string>

// The job pipeline every front end shares: the job checks (unless -trustclients), the
// print program started on a staged command file, and the staged files removed. The
// server's own exchange takes these steps one by one between its replies; for the LPD and
// raw-socket front ends run() takes them all: the queue's options checked as a client's
// command line is, a command file of those options plus what the front end adds (-direct,
// -docname), the print program waited for, and one server-log line.
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

    // The job checks, passed by everything with -trustclients. A refusal leaves what was
    // refused in error and how the administrator can allow it in description.
    static bool allowed(const UString& optionText, const KeltoCmdLine& options, UString& error,
                        UString& description);
    // program started on the command file staged under stamp; waited for unless view.
    static PPrintProgram::JobRun launch(const char* program, const UString& stamp, const KeltoCmdLine& options,
                                        bool view);
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
