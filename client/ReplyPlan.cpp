#include "client/ReplyPlan.h"

#include "common/JobProtocol.h"
#include "net/USockMessage.h"

bool ReplyPlan::read(const std::vector<std::string>& args, std::string& error)
{
    *this = ReplyPlan();
    bool wanted[6] = {false, false, false, false, false, true};
    for (size_t i = 0; i < args.size(); ++i) {
        const JobProtocol::OptionWord* option = JobProtocol::findOption(args[i].c_str());
        if (option == nullptr)
            continue;
        std::string value;
        if (option->takesValue) {
            if (i + 1 >= args.size()) {
                error = args[i] + " needs a value";
                return false;
            }
            value = args[++i];
        }
        switch (option->option) {
        case JobProtocol::Open:
            openGiven = true;
            openFile = value;
            break;
        case JobProtocol::DisableLog: wanted[JobProtocol::LogReply] = false; break;
        case JobProtocol::FontList: wanted[JobProtocol::FontListReply] = true; break;
        case JobProtocol::Response:
            wanted[JobProtocol::ResponseReply] = true;
            responseName = value;
            break;
        case JobProtocol::PrintList: wanted[JobProtocol::PrintListReply] = true; break;
        case JobProtocol::ResList: wanted[JobProtocol::ResListReply] = true; break;
        case JobProtocol::Ver: wanted[JobProtocol::VersionReply] = true; break;
        case JobProtocol::View: view = true; break;
        // The rest only take their value: the server sets its own log name, and ignores a
        // listen address and its own safety options in a job.
        case JobProtocol::LogFile:
        case JobProtocol::ListenAddr:
        case JobProtocol::AllowRun:
        case JobProtocol::TrustClients:
        case JobProtocol::ClientTimeout:
        case JobProtocol::KeepJobs:
        case JobProtocol::ServerLogSize:
        case JobProtocol::MaxJob:
        case JobProtocol::JobTimeout:
        case JobProtocol::MaxViews:
        case JobProtocol::Lpd:
        case JobProtocol::Raw:
        case JobProtocol::Queues:
        case JobProtocol::StopGrace: break;
        }
    }
    sendsFile = !openFile.empty();
    for (int n = 0; n < 6; ++n) {
        const JobProtocol::Reply reply = JobProtocol::kReplyOrder[n];
        if (n == JobProtocol::kRepliesBeforeJob) {
            beforeJob = replies.size();
            if (view)
                break;
        }
        if (wanted[reply])
            replies.push_back(static_cast<Kind>(reply));
    }
    return true;
}

int ReplyPlan::typeCode(Kind kind)
{
    switch (kind) {
    case PrintList: return USockMessage::kFilePrintList;
    case FontList: return USockMessage::kFileFontList;
    case Version: return USockMessage::kFileVersion;
    case Response: return USockMessage::kFileResponse;
    case ResList: return USockMessage::kFileResList;
    case Log: return USockMessage::kFileLog;
    }
    return 0;
}

const char* ReplyPlan::describe(Kind kind)
{
    switch (kind) {
    case PrintList: return "the printer list";
    case FontList: return "the font list";
    case Version: return "the version file";
    case Response: return "the response file";
    case ResList: return "the resolution list";
    case Log: return "the job log";
    }
    return "a reply";
}

const char* ReplyPlan::fileName(Kind kind)
{
    switch (kind) {
    case PrintList: return JobProtocol::kPrinterList;
    case FontList: return JobProtocol::kFontList;
    case Version: return JobProtocol::kVersionFile;
    case Response: return "response.txt";
    case ResList: return JobProtocol::kResList;
    case Log: return "joblog.txt";
    }
    return "reply.txt";
}
