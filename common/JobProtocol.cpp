#include "common/JobProtocol.h"

#include <cstring>

const JobProtocol::OptionWord JobProtocol::kOptions[22] = {
    {"open", Open, true},
    {"disablelog", DisableLog, false},
    {"fontlist", FontList, false},
    {"response", Response, true},
    {"printlist", PrintList, false},
    {"reslist", ResList, false},
    {"logfile", LogFile, true},
    {"ver", Ver, false},
    {"listenaddr", ListenAddr, true},
    {"view", View, false},
    {"allowrun", AllowRun, true},
    {"trustclients", TrustClients, false},
    {"clienttimeout", ClientTimeout, true},
    {"keepjobs", KeepJobs, true},
    {"serverlogsize", ServerLogSize, true},
    {"maxjob", MaxJob, true},
    {"jobtimeout", JobTimeout, true},
    {"maxviews", MaxViews, true},
    {"lpd", Lpd, true},
    {"raw", Raw, true},
    {"queues", Queues, true},
    {"stopgrace", StopGrace, true},
};

const JobProtocol::Reply JobProtocol::kReplyOrder[kReplyCount] = {PrintListReply, FontListReply, VersionReply,
                                                        ResponseReply,  ResListReply,  LogReply};

const char* const JobProtocol::kPrinterList = "prntlist.txt";
const char* const JobProtocol::kFontList = "fontlist.txt";
const char* const JobProtocol::kResList = "reslist.txt";
const char* const JobProtocol::kVersionFile = "version.txt";

const char* const JobProtocol::kCommandFilePrefix = "tmpCmdfile";
const char* const JobProtocol::kJobFilePrefix = "tmpFilename";
const char* const JobProtocol::kJobLogPrefix = "tmpLog";

const JobProtocol::OptionWord* JobProtocol::findOption(const char* arg)
{
    if (arg == nullptr || arg[0] != '-')
        return nullptr;
    for (const OptionWord& o : kOptions) {
        if (std::strcmp(arg + 1, o.word) == 0)
            return &o;
    }
    return nullptr;
}
