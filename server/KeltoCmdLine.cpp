#include "server/KeltoCmdLine.h"

#include "common/ULog.h"

#include <cstring>

KeltoCmdLine::KeltoCmdLine()
    : logEnabled(true), fontList(false), response(false), printList(false), resList(false), ver(false),
      view(false)
{
    UString host("0.0.0.0:");
    listenAddr = host + kDefaultPort;
}

KeltoCmdLine::~KeltoCmdLine() = default;

bool KeltoCmdLine::parse(int& argc, char**& argv)
{
    enum Keyword { Open, DisableLog, FontList, Response, PrintList, ResList, LogFile, Ver, ListenAddr, View };
    struct Option {
        const char* word;
        Keyword keyword;
        const char* missingValue; // null for a flag
    };
    static const Option options[] = {
        {"open", Open, "Error in KeltoCmdLine::parse(): -open"},
        {"disablelog", DisableLog, nullptr},
        {"fontlist", FontList, nullptr},
        {"response", Response, "Error in KeltoCmdLine::parse(): -response"},
        {"printlist", PrintList, nullptr},
        {"reslist", ResList, nullptr},
        {"logfile", LogFile, "Error in KeltoCmdLine::parse(): -logfile"},
        {"ver", Ver, nullptr},
        {"listenaddr", ListenAddr, "Error in KeltoCmdLine::parse(): -listenaddr"},
        {"view", View, nullptr},
    };

    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg == nullptr || arg[0] != '-')
            continue;
        const Option* found = nullptr;
        for (const Option& o : options) {
            if (std::strcmp(arg + 1, o.word) == 0) {
                found = &o;
                break;
            }
        }
        if (found == nullptr)
            continue;
        const char* value = nullptr;
        if (found->missingValue != nullptr) {
            if (i + 1 >= argc || argv[i + 1] == nullptr) {
                ULog::write(found->missingValue, ULog::Error);
                return false;
            }
            value = argv[++i];
        }
        switch (found->keyword) {
        case Open: openFile = value; break;
        case DisableLog: logEnabled = false; break;
        case FontList: fontList = true; break;
        case Response:
            responseFile = value;
            response = true;
            break;
        case PrintList: printList = true; break;
        case ResList: resList = true; break;
        case LogFile: logFile = value; break;
        case Ver: ver = true; break;
        case ListenAddr: listenAddr = value; break;
        case View: view = true; break;
        }
    }
    return true;
}
