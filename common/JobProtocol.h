#pragma once

// The facts of one job's exchange that the server, the client and the print program must
// agree on, kept in one place so they cannot drift apart.
class JobProtocol {
public:
    // The options the server reads in a command line, its own or a client's; every other
    // argument is the print program's business.
    enum Option {
        Open, DisableLog, FontList, Response, PrintList, ResList, LogFile, Ver, ListenAddr, View,
        AllowRun, TrustClients, ClientTimeout, KeepJobs, ServerLogSize, MaxJob, JobTimeout, MaxViews, Lpd,
        Raw, Queues, StopGrace
    };
    struct OptionWord {
        const char* word; // without its leading "-"
        Option option;
        bool takesValue; // the next argument, whatever it looks like
    };
    static const OptionWord kOptions[22];

    // The option an argument names: a "-" and exactly one of the words, in exact case;
    // null for anything else.
    static const OptionWord* findOption(const char* arg);

    // The files the server sends back, in the order it sends them. The first
    // kRepliesBeforeJob go before the print program runs; a -view job sends no other.
    enum Reply { PrintListReply, FontListReply, VersionReply, ResponseReply, ResListReply, LogReply };
    static const int kReplyCount = 6;
    static const Reply kReplyOrder[kReplyCount];
    static const int kRepliesBeforeJob = 3;

    // How many bytes of its command file the print program reads; a client's command line
    // is refused beyond it.
    static const int kCommandLineLimit = 5000;

    // The inventory files the print program writes in its directory at the server's start.
    static const char* const kPrinterList; // "prntlist.txt"
    static const char* const kFontList;    // "fontlist.txt"
    static const char* const kResList;     // "reslist.txt"
    static const char* const kVersionFile; // "version.txt"

    // The names the server stages a job's files under; what a start finds with these
    // prefixes was left by an earlier run.
    static const char* const kCommandFilePrefix; // "tmpCmdfile"
    static const char* const kJobFilePrefix;     // "tmpFilename"
    static const char* const kJobLogPrefix;      // "tmpLog"
};
