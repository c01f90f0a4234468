#include "server/PJobStaging.h"

#include "common/JobProtocol.h"
#include "common/UCmdLine.h"
#include "common/UDirListing.h"
#include "common/UFile.h"
#include "common/UStopWatch.h"
#include "server/KeltoCmdLine.h"
#include "server/PPrintProgram.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kDigits = 10;

// Drops the trailing zeros of a fraction, keeping the point itself.
void trimFraction(char* text)
{
    char* point = std::strchr(text, '.');
    if (point == nullptr)
        return;
    char* end = text + std::strlen(text);
    while (end > point + 1 && end[-1] == '0')
        --end;
    *end = '\0';
}

UString nameWith(const char* prefix, const UString& stamp, const char* tail)
{
    UString name(prefix);
    name += ".";
    name += stamp;
    name += tail;
    return name;
}

bool stampInUse(const UString& stamp)
{
    return UDirListing::exists(PJobStaging::commandFileName(stamp).str()) ||
           UDirListing::exists(PJobStaging::jobFileName(stamp).str()) ||
           UDirListing::exists(PJobStaging::jobLogName(stamp).str());
}

} // namespace

UString PJobStaging::formatStamp(float seconds)
{
    // Widened to double, so the single-precision rounding shows in the digits.
    const double value = seconds;
    // The exponent after rounding to ten digits decides the notation, as 9.9999999996
    // rounds up to a number with two integer digits.
    char sci[64];
    std::snprintf(sci, sizeof sci, "%.*e", kDigits - 1, value);
    const char* e = std::strchr(sci, 'e');
    const int exponent = e != nullptr ? std::atoi(e + 1) : 0;

    char out[80];
    if (exponent >= -1) {
        std::snprintf(out, sizeof out, "%.*f", kDigits - 1 - exponent, value);
        trimFraction(out);
    } else {
        // The mantissa as printed, then the exponent in three digits whatever this run-time
        // library prints by itself.
        const size_t mantissa = static_cast<size_t>(e - sci);
        char head[64];
        std::memcpy(head, sci, mantissa);
        head[mantissa] = '\0';
        trimFraction(head);
        std::snprintf(out, sizeof out, "%se%c%03d", head, exponent < 0 ? '-' : '+',
                      exponent < 0 ? -exponent : exponent);
    }
    return UString(out);
}

UString PJobStaging::jobStamp(UStopWatch& uptime) { return unusedStamp(formatStamp(uptime.stopAndSeconds())); }

UString PJobStaging::unusedStamp(const UString& stamp)
{
    if (!stampInUse(stamp))
        return stamp;
    for (int k = 2;; ++k) {
        UString candidate(stamp);
        candidate += "-";
        candidate += UString(k);
        if (!stampInUse(candidate))
            return candidate;
    }
}

UString PJobStaging::commandFileName(const UString& stamp)
{
    return nameWith(JobProtocol::kCommandFilePrefix, stamp, ".ini");
}
UString PJobStaging::jobFileName(const UString& stamp) { return nameWith(JobProtocol::kJobFilePrefix, stamp, ".txt"); }
UString PJobStaging::jobLogName(const UString& stamp) { return nameWith(JobProtocol::kJobLogPrefix, stamp, ".txt"); }

bool PJobStaging::prepareJobOptions(const UString& text, KeltoCmdLine& options, const UString& stamp)
{
    std::string buffer;
    std::vector<char*> args = UCmdLine::splitInto(text, buffer);
    int argc = static_cast<int>(args.size()) - 1;
    char** argv = args.data();
    if (!options.parse(argc, argv))
        return false;
    if (!options.openFile.isEmpty())
        options.openFile = jobFileName(stamp);
    options.logFile = jobLogName(stamp);
    return true;
}

PJobStaging::WriteResult PJobStaging::writeCommandFile(const UString& name, const char* text)
{
    UFile file(name.str(), "wb");
    if (!file.isOpen())
        return CannotCreate;
    const size_t length = text != nullptr ? std::strlen(text) : 0;
    const size_t written = length > 0 ? std::fwrite(text, 1, length, file.get()) : 0;
    // A flush that fails at close loses bytes just as a short write does.
    const bool closed = file.close();
    return written == length && closed ? Written : CannotWrite;
}

UString PJobStaging::launchLine(const UString& commandFile, const KeltoCmdLine& options)
{
    UString line(PPrintProgram::kPrintProgram);
    line += " -cmdfile ";
    line += commandFile;
    line += " -logfile ";
    line += options.logFile;
    if (!options.openFile.isEmpty()) {
        line += " -open ";
        line += options.openFile;
    }
    return line;
}
