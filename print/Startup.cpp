#include "print/Startup.h"

#include "common/JobProtocol.h"
#include "common/UCmdLine.h"
#include "common/UDateTime.h"
#include "common/UMemory.h"
#include "common/ULog.h"
#include "common/UString.h"
#include "print/PrintArgs.h"
#include "print/Printfile.h"
#include "printer/FontList.h"
#include "common/UFile.h"
#include "printer/PrinterList.h"
#include "printer/PrinterSetup.h"
#include "printer/WinVersion.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char* const kClosingLine = "-----------------------------------------";
// The print server's temporary files; a log among them belongs to one of its jobs.
const char* const kServerFiles[] = { JobProtocol::kCommandFilePrefix, JobProtocol::kJobFilePrefix,
                                     JobProtocol::kJobLogPrefix };

void info(const char* msg) { ULog::write(msg, ULog::Info); }

void copyField(char* field, const char* text)
{
    std::snprintf(field, PrintArgs::kTextSize, "%s", text);
}

// Moves the log file to its ".1" when it has grown beyond the limit, so the run starts a
// new one and every line of this run stays in it; false when it can be neither opened nor
// created.
bool limitLogFile(const char* path, std::int32_t limit)
{
    UFile log(path, "r+b");
    if (!log.isOpen())
        return UFile(path, "wb").isOpen();
    std::fseek(log.get(), 0, SEEK_END);
    const long size = std::ftell(log.get());
    log.close();
    if (size > static_cast<long>(limit) && !ULog::rotate(path))
        return UFile(path, "wb").isOpen();
    return true;
}

} // namespace

const char* Startup::windowsName(int versionClass)
{
    if (versionClass >= 1 && versionClass <= 3)
        return "Windows 9x/Me";
    if (versionClass >= 4 && versionClass <= 6)
        return "Windows NT/2000";
    if (versionClass == 7)
        return "Windows XP";
    return "Unknown";
}

const char* Startup::orientationName(int orientation)
{
    switch (orientation) {
    case 1: return "PORTRAIT";
    case 2: return "LANDSCAPE";
    default: return "DEFAULT";
    }
}

const char* Startup::paperName(int papersize)
{
    switch (papersize) {
    case 1: return "LETTER";
    case 3: return "TABLOID";
    case 5: return "LEGAL";
    case 7: return "EXECUTIVE";
    case 8: return "A3";
    case 9: return "A4";
    case 11: return "A5";
    case 13: return "B5";
    default: return "DEFAULT";
    }
}

const char* Startup::duplexName(int duplex)
{
    switch (duplex) {
    case 1: return "NONE";
    case 2: return "LONG";
    case 3: return "SHORT";
    default: return "DEFAULT";
    }
}

void Startup::settleLog(PrintArgs& o)
{
    // The first lines of every run, and whole runs with -disablelog, go to the default
    // log: it is held to the same limit, or it would grow with every job.
    const PrintArgs defaults;
    limitLogFile(defaults.logfile, o.logsize);
    if (o.log) {
        copyField(o.logpath, o.logfile);
        if (!limitLogFile(o.logpath, o.logsize))
            o.log = false;
    }
    // Also when the file could not be made: its lines are then lost, and the Config line
    // says log=disabled.
    ULog::setStream(UString(o.logpath), 0);
}

void Startup::adjust(PrintArgs& o)
{
    // A banner is never taller than the text.
    if (o.hbanner > o.htext)
        o.hbanner = o.htext;
    if (o.hbanner == 0)
        o.banner[0] = '\0';

    if (o.printlist && !printlist())
        ULog::write("Main::WinMain(): could not create printer list", ULog::Warning);
    if (o.fontlist && !fontlist())
        ULog::write("Main::WinMain(): could not create font list", ULog::Warning);

    if (o.printername[0] == '\0') {
        char* name = nullptr;
        if (!getdefaultprinter(name) || name == nullptr || std::strlen(name) >= PrintArgs::kTextSize)
            ULog::write("Main::WinMain() : could not get default printer", ULog::Warning);
        else
            copyField(o.printername, name);
    }

    if (o.reslist && !reslist(o.printername))
        ULog::write("Main::WinMain(): could not create resolution list", ULog::Warning);

    if (o.defaultres) {
        o.resolution.xres = 0;
        o.resolution.yres = 0;
    } else if (o.resolution.xres == 0 && o.resolution.yres == 0) {
        std::int32_t chosen[2] = { 0, 0 };
        if (getminres(o.printername, chosen, o.minres)) {
            o.resolution.xres = chosen[0];
            o.resolution.yres = chosen[1];
        } else {
            ULog::write("WinMain(...) : cannot get minres; using default resolution", ULog::Error);
        }
    }
}

void Startup::describe(const PrintArgs& o)
{
    UString version("Windows Version: ");
    version += windowsName(getwinversion());
    info(version.str());

    UString programVersion("Version=");
    programVersion += o.version;
    info(programVersion.str());

    // Four texts of at most 499 characters, a face of 99 and the numbers fit easily.
    char line[4096];
    std::snprintf(line, sizeof line,
                  "Config:\tfilename=%s\thtext=%d\tfontface=%s\torientation=%s\tpapersize=%s\tleft=%d"
                  "\tright=%d\ttop=%d\tbottom=%d\tlogfile=%s\tlog=%s\tlogsize=%d\tgraph=%s\tprintername=%s",
                  o.filename, static_cast<int>(o.htext), o.fontface, orientationName(o.orientation),
                  paperName(o.papersize), static_cast<int>(o.left), static_cast<int>(o.right),
                  static_cast<int>(o.top), static_cast<int>(o.bottom), o.logpath,
                  o.log ? "enabled" : "disabled", static_cast<int>(o.logsize),
                  o.graph == 1 ? "enabled" : "disabled", o.printername);
    info(line);

    std::int32_t* list = nullptr;
    int count = 0;
    if (enumres(o.printername, list, count)) {
        info("\tPossible resolutions:");
        for (int i = 0; i < count; ++i) {
            std::snprintf(line, sizeof line, "\t\t%dx%d", static_cast<int>(list[2 * i]),
                          static_cast<int>(list[2 * i + 1]));
            info(line);
        }
    }

    if (o.resolution.xres == 0 && o.resolution.yres == 0)
        std::snprintf(line, sizeof line, "\tchosen resolution=printer default");
    else
        std::snprintf(line, sizeof line, "\tchosen resolution=%dx%d", static_cast<int>(o.resolution.xres),
                      static_cast<int>(o.resolution.yres));
    info(line);
}

bool Startup::writesClosingLine(const PrintArgs& o)
{
    if (!o.view)
        return true;
    for (const char* name : kServerFiles)
        if (std::strstr(o.logpath, name) != nullptr)
            return false;
    return true;
}

std::string Startup::serverJobLog(const char* commandLine)
{
    std::string buffer;
    const std::vector<char*> argv = UCmdLine::splitInto(UString(commandLine), buffer);
    std::string log;
    for (size_t i = 0; i + 1 < argv.size() && argv[i + 1] != nullptr; ++i)
        if (std::strcmp(argv[i], "-logfile") == 0 && std::strstr(argv[i + 1], JobProtocol::kJobLogPrefix) != nullptr &&
            std::strlen(argv[i + 1]) < PrintArgs::kTextSize)
            log = argv[++i];
    return log;
}

int Startup::printJob()
{
    Printfile job;
    if (job.startPrinting())
        return kOk;
    return job.optionsRefused() ? kBadOptions : kJobFailed;
}

int Startup::run(const char* commandLine, Job job)
{
    const char* text = commandLine != nullptr ? commandLine : "";
    ULog::setStyle(ULog::PrintStyle);
    UMemory::endOnFailedNew();

    // Until the options are parsed every line of a stand-alone run goes to the default
    // log, whatever -logfile says. A print-server job logs into its job log from the first
    // line on: the parser's messages (an option mistyped by a remote user) are returned
    // to the client with the rest.
    const std::string defaultLog = args.logfile;
    const std::string jobLog = serverJobLog(text);
    if (jobLog.empty()) {
        copyField(args.logpath, args.logfile);
    } else {
        copyField(args.logpath, jobLog.c_str());
    }
    ULog::setStream(UString(args.logpath), 0);
    UString received("Command line: ");
    received += text;
    info(received.str());
    if (args.parse(text) == -1) {
        // Refused runs log into the default log too; many in a row must not grow it
        // without bound.
        limitLogFile(args.logpath, args.logsize);
        return kBadOptions;
    }
    // -disablelog keeps the default log, as in a stand-alone run.
    if (!args.log)
        copyField(args.logpath, defaultLog.c_str());

    // The server's job log is new for each job: a size limit applied now would only cut
    // off the lines the client is to read.
    if (jobLog.empty() || !args.log || jobLog != args.logfile)
        settleLog(args);

    info(UDateTime::now().logOn().str());

    adjust(args);
    describe(args);

    const int code = job != nullptr ? job() : kJobFailed;

    if (writesClosingLine(args))
        info(kClosingLine);
    return code;
}
