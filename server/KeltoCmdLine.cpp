#include "server/KeltoCmdLine.h"

#include "common/ULog.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

// Seconds written as digits with at most one decimal point, such as 60 or 2.5, and above
// zero; false for anything else (signs, exponents, hexadecimal, trailing words).
bool readSeconds(const char* text, double& seconds)
{
    if (text == nullptr)
        return false;
    int digits = 0;
    int points = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p >= '0' && *p <= '9')
            ++digits;
        else if (*p == '.' && points == 0)
            ++points;
        else
            return false;
    }
    if (digits == 0)
        return false;
    const double v = std::strtod(text, nullptr);
    if (!std::isfinite(v) || v <= 0.0)
        return false;
    seconds = v;
    return true;
}

} // namespace

KeltoCmdLine::KeltoCmdLine()
    : logEnabled(true), fontList(false), response(false), printList(false), resList(false), ver(false),
      view(false), trustClients(false), clientTimeout(kDefaultClientTimeout)
{
    UString host("0.0.0.0:");
    listenAddr = host + kDefaultPort;
}

KeltoCmdLine::~KeltoCmdLine() = default;

bool KeltoCmdLine::parse(int& argc, char**& argv)
{
    enum Keyword {
        Open, DisableLog, FontList, Response, PrintList, ResList, LogFile, Ver, ListenAddr, View,
        AllowRun, TrustClients, ClientTimeout
    };
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
        {"allowrun", AllowRun, "Error in KeltoCmdLine::parse(): -allowrun"},
        {"trustclients", TrustClients, nullptr},
        {"clienttimeout", ClientTimeout, "Error in KeltoCmdLine::parse(): -clienttimeout"},
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
        case Open:
            openFile = value;
            openArgs.push_back(i - 1);
            break;
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
        case AllowRun: allowRun.push_back(UString(value)); break;
        case TrustClients: trustClients = true; break;
        case ClientTimeout:
            // A limit that is no number would leave the server without one.
            if (!readSeconds(value, clientTimeout)) {
                ULog::write(found->missingValue, ULog::Error);
                return false;
            }
            break;
        }
    }
    return true;
}
