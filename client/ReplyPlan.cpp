#include "client/ReplyPlan.h"

#include "net/USockMessage.h"

namespace {

// The server's option words, in the order it compares them, and whether each takes a value.
struct Keyword {
    const char* word;
    bool value;
};

const Keyword kKeywords[] = {
    {"open", true},     {"disablelog", false}, {"fontlist", false}, {"response", true}, {"printlist", false},
    {"reslist", false}, {"logfile", true},     {"ver", false},      {"listenaddr", true}, {"view", false},
};

} // namespace

bool ReplyPlan::read(const std::vector<std::string>& args, std::string& error)
{
    *this = ReplyPlan();
    bool log = true;
    bool fontList = false;
    bool printList = false;
    bool resList = false;
    bool version = false;
    bool response = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || arg[0] != '-')
            continue;
        const std::string word = arg.substr(1);
        const Keyword* match = nullptr;
        for (const Keyword& k : kKeywords) {
            if (word == k.word) {
                match = &k;
                break;
            }
        }
        if (match == nullptr)
            continue;
        std::string value;
        if (match->value) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            value = args[++i];
        }
        if (word == "open") {
            openGiven = true;
            openFile = value;
        } else if (word == "disablelog") {
            log = false;
        } else if (word == "fontlist") {
            fontList = true;
        } else if (word == "response") {
            response = true;
            responseName = value;
        } else if (word == "printlist") {
            printList = true;
        } else if (word == "reslist") {
            resList = true;
        } else if (word == "ver") {
            version = true;
        } else if (word == "view") {
            view = true;
        }
        // -logfile and -listenaddr only take their value: the server sets its own log name
        // and ignores a listen address in a job.
    }
    sendsFile = !openFile.empty();
    if (printList)
        replies.push_back(PrintList);
    if (fontList)
        replies.push_back(FontList);
    if (version)
        replies.push_back(Version);
    beforeJob = replies.size();
    if (!view) {
        if (response)
            replies.push_back(Response);
        if (resList)
            replies.push_back(ResList);
        if (log)
            replies.push_back(Log);
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
    case PrintList: return "prntlist.txt";
    case FontList: return "fontlist.txt";
    case Version: return "version.txt";
    case Response: return "response.txt";
    case ResList: return "reslist.txt";
    case Log: return "joblog.txt";
    }
    return "reply.txt";
}
