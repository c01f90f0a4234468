#pragma once

#include "common/JobProtocol.h"

#include <string>
#include <vector>

// What one job's exchange looks like, read off the print options alone, the way the
// server reads them: whether a file goes with the command line, and which replies come
// back in which order. The server parses the command line with JobProtocol's short option
// list (whole words, exact case; an option with a value takes the next argument, whatever
// it looks like), and so does the plan: in "-open -printlist" the file to send is called
// "-printlist" and no printer list comes.
//
// The printer list and the response file share one type code; only their place in the
// order tells them apart, so the plan is the one thing that names each reply.
class ReplyPlan {
public:
    enum Kind {
        PrintList = JobProtocol::PrintListReply,
        FontList = JobProtocol::FontListReply,
        Version = JobProtocol::VersionReply,
        Response = JobProtocol::ResponseReply,
        ResList = JobProtocol::ResListReply,
        Log = JobProtocol::LogReply
    };

    // False when an option that takes a value stands last without one (the server would
    // refuse the line); error then says which.
    bool read(const std::vector<std::string>& args, std::string& error);

    // The type code the reply travels under.
    static int typeCode(Kind kind);
    // How messages name the reply: "the printer list", "the job log", ...
    static const char* describe(Kind kind);
    // The local file name the reply is stored under, for all but the response file, whose
    // name comes from the -response value the user typed.
    static const char* fileName(Kind kind);

    // The file the client sends: the value of the last -open; none when it is empty.
    bool sendsFile = false;
    // Whether the server takes an -open at all; with an empty value it expects no file.
    bool openGiven = false;
    std::string openFile;
    bool view = false;
    // The value of the last -response.
    std::string responseName;
    // Every reply, in the order the server sends them.
    std::vector<Kind> replies;
    // How many of replies come before the print program runs.
    size_t beforeJob = 0;
};
