#include "server/KeltoCmdLine.h"

#include "common/JobProtocol.h"
#include "common/ULog.h"
#include "server/PServerControl.h"

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

// A whole number of digits alone from least to 1000000; false for anything else.
bool readCount(const char* text, int& count, int least)
{
    if (text == nullptr || *text == '\0')
        return false;
    long value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        value = value * 10 + (*p - '0');
        if (value > 1000000)
            return false;
    }
    if (value < least)
        return false;
    count = static_cast<int>(value);
    return true;
}

bool missingValue(const char* word)
{
    UString line("Error in KeltoCmdLine::parse(): -");
    line += word;
    ULog::write(line, ULog::Error);
    return false;
}

} // namespace

KeltoCmdLine::KeltoCmdLine()
    : logEnabled(true), fontList(false), response(false), printList(false), resList(false), ver(false),
      view(false), trustClients(false), clientTimeout(kDefaultClientTimeout), keepJobs(kDefaultKeepJobs),
      serverLogSize(kDefaultServerLogSize), maxJob(kDefaultMaxJob), jobTimeout(kDefaultJobTimeout),
      maxViews(kDefaultMaxViews),
      queues("queues.txt"), stopGrace(PServerControl::kDefaultGraceSeconds)
{
    UString host("0.0.0.0:");
    listenAddr = host + kDefaultPort;
}

KeltoCmdLine::~KeltoCmdLine() = default;

bool KeltoCmdLine::parse(int& argc, char**& argv)
{
    for (int i = 0; i < argc; ++i) {
        const JobProtocol::OptionWord* found = JobProtocol::findOption(argv[i]);
        if (found == nullptr)
            continue;
        const char* value = nullptr;
        if (found->takesValue) {
            if (i + 1 >= argc || argv[i + 1] == nullptr)
                return missingValue(found->word);
            value = argv[++i];
        }
        switch (found->option) {
        case JobProtocol::Open:
            openFile = value;
            openArgs.push_back(i - 1);
            break;
        case JobProtocol::DisableLog: logEnabled = false; break;
        case JobProtocol::FontList: fontList = true; break;
        case JobProtocol::Response:
            responseFile = value;
            response = true;
            break;
        case JobProtocol::PrintList: printList = true; break;
        case JobProtocol::ResList: resList = true; break;
        case JobProtocol::LogFile: logFile = value; break;
        case JobProtocol::Ver: ver = true; break;
        case JobProtocol::ListenAddr: listenAddr = value; break;
        case JobProtocol::View: view = true; break;
        case JobProtocol::AllowRun: allowRun.push_back(UString(value)); break;
        case JobProtocol::TrustClients: trustClients = true; break;
        case JobProtocol::ClientTimeout:
            // A limit that is no number would leave the server without one.
            if (!readSeconds(value, clientTimeout))
                return missingValue(found->word);
            break;
        case JobProtocol::KeepJobs:
            if (!readCount(value, keepJobs, 0))
                return missingValue(found->word);
            break;
        case JobProtocol::ServerLogSize:
            // Megabytes, as -clienttimeout reads seconds: 0.5 is half a megabyte.
            if (!readSeconds(value, serverLogSize))
                return missingValue(found->word);
            break;
        case JobProtocol::MaxJob:
            if (!readCount(value, maxJob, 1))
                return missingValue(found->word);
            break;
        case JobProtocol::JobTimeout:
            if (!readSeconds(value, jobTimeout))
                return missingValue(found->word);
            break;
        case JobProtocol::MaxViews:
            if (!readCount(value, maxViews, 1))
                return missingValue(found->word);
            break;
        case JobProtocol::Lpd: lpd = value; break;
        case JobProtocol::Raw: raw.push_back(UString(value)); break;
        case JobProtocol::Queues: queues = value; break;
        case JobProtocol::StopGrace:
            if (!readCount(value, stopGrace, 0))
                return missingValue(found->word);
            break;
        }
    }
    return true;
}
