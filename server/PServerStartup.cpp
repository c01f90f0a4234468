#include "server/PServerStartup.h"

#include "common/JobProtocol.h"
#include "common/UCmdLine.h"
#include "common/UDateTime.h"
#include "common/UIOFileRemover.h"
#include "common/UMemory.h"
#include "common/ULog.h"
#include "net/USock.h"
#include "server/KeltoCmdLine.h"
#include "server/PClientPolicy.h"
#include "server/PFrontEndPort.h"
#include "server/PJobHistory.h"
#include "server/PPrintProgram.h"
#include "server/PPrinterServer.h"
#include "server/PServerControl.h"
#include "server/PUptime.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

const char* const PServerStartup::kLogFile = "draxomeServerLog.txt";
const char* const PServerStartup::kVersion = "v0.0.8";

namespace {

void logError(const char* msg) { ULog::write(msg, ULog::Error); }

// Where -listenaddr asks to listen: its host, resolved, and its port, or the default port
// when the port is missing or unusable. An administrator who named one address must never
// get all of them, so a host that is missing or does not resolve ends the start instead.
bool listenAddress(const UString& text, UString& host, int& port)
{
    UString named;
    parseAddress(text, named, port);
    if (port < 1 || port > 65535)
        port = KeltoCmdLine::kDefaultPort;
    if (!named.isEmpty() && resolveHost(named, host))
        return true;
    UString line("main::WinMain(): -listenaddr '");
    line += text;
    line += named.isEmpty() ? "': no host to listen on" : "': cannot resolve the host";
    logError(line.str());
    return false;
}

// The front ends' ports, each read with the server's own listening host as the default
// address. False, after its log line, for one that cannot be used: an administrator who
// asked for a front end must not get a server without it.
bool frontEndPorts(const KeltoCmdLine& options, const UString& host, std::vector<PFrontEndPort>& ports)
{
    std::vector<std::pair<PFrontEndPort::Kind, UString>> asked;
    if (!options.lpd.isEmpty())
        asked.emplace_back(PFrontEndPort::Lpd, options.lpd);
    for (const UString& raw : options.raw)
        asked.emplace_back(PFrontEndPort::Raw, raw);
    for (const auto& one : asked) {
        PFrontEndPort port;
        if (!PFrontEndPort::parse(one.first, one.second, host, port)) {
            UString line(one.first == PFrontEndPort::Lpd ? "main::WinMain(): -lpd '" : "main::WinMain(): -raw '");
            line += one.second;
            line += one.first == PFrontEndPort::Lpd ? "': expected [ADDRESS:]PORT" : "': expected [ADDRESS:]PORT=QUEUE";
            logError(line.str());
            return false;
        }
        ports.push_back(port);
    }
    return true;
}

bool parseOptions(const UString& commandLine, KeltoCmdLine& options)
{
    std::string buffer;
    std::vector<char*> args = UCmdLine::splitInto(commandLine, buffer);
    int argc = static_cast<int>(args.size()) - 1;
    char** argv = args.data();
    return options.parse(argc, argv);
}

void logStart()
{
    // The server's format ends in a line end of its own, so an empty line follows it.
    UString line = UDateTime::now().logOn();
    line += "\r\n";
    ULog::write(line, ULog::Info);
    UString version("Version=");
    version += PServerStartup::kVersion;
    ULog::write(version, ULog::Info);
}

} // namespace

void PServerStartup::removeTemporaryFiles()
{
    static const char* const prefixes[] = {JobProtocol::kCommandFilePrefix, JobProtocol::kJobFilePrefix,
                                           JobProtocol::kJobLogPrefix};
    UIOFileRemover remover;
    for (const char* prefix : prefixes) {
        UString pattern(prefix);
        pattern += "*";
        remover.setFileFilter(pattern);
        remover.start(".\\");
    }
}

int PServerStartup::run(const UString& commandLine)
{
    UMemory::endOnFailedNew();
    KeltoCmdLine options;
    ULog::setStream(kLogFile, 0);
    removeTemporaryFiles();
    // The parser has said why.
    if (!parseOptions(commandLine, options))
        return -1;
    ULog::setLimit(static_cast<long long>(options.serverLogSize * 1024 * 1024));
    PJobHistory::setKeep(options.keepJobs);
    if (!USock::initWSocket()) {
        logError("main::WinMain(): could not initialize windows Socket");
        return 1;
    }
    logStart();
    UString host;
    int port = 0;
    if (!listenAddress(options.listenAddr, host, port)) {
        USock::cleanupWSocket();
        return -1;
    }
    std::vector<PFrontEndPort> frontEnds;
    if (!frontEndPorts(options, host, frontEnds)) {
        USock::cleanupWSocket();
        return -1;
    }
    PClientPolicy::set(options);
    PServerControl::setGraceSeconds(options.stopGrace);
    if (options.trustClients)
        ULog::write("main::WinMain(): -trustclients: the command lines of printer clients are not checked; any "
                    "client can have the print program read, write and start files with this server's account",
                    ULog::Warning);
    const char* program = PPrintProgram::findPrintProgram();
    if (program == nullptr) {
        logError("main::WinMain(): could not find velquin.exe or draxome.exe");
        USock::cleanupWSocket();
        return 1;
    }
    // Clients are sent these inventories later, so they must be complete before anyone
    // can connect.
    if (!PPrintProgram::runInventory(program)) {
        logError("main::WinMain(): could not spawn process draxome.exe");
        USock::cleanupWSocket();
        return 1;
    }
    PUptime::start();

    // The loop ends on a stop request (exit 0) or when the server cannot serve: a port in
    // use, say. A scheduler or service manager must see that as a failure to restart it.
    const bool ended = PPrinterServer::run(host, port, frontEnds);
    // A stopped server leaves its directory as its next start would: without the files
    // of its jobs.
    if (ended)
        removeTemporaryFiles();
    USock::cleanupWSocket();
    ULog::write("\r\n-----------------------------------------\r\n\r\n", ULog::Info);
    return ended ? 0 : 1;
}
