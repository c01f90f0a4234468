#include "client/ClientOptions.h"

#include "net/USock.h"

#include <cmath>
#include <cstdlib>

namespace {

bool allDigits(const std::string& s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// "host:port", or a host alone for the default port.
bool readServer(const std::string& text, std::string& host, int& port)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos) {
        if (text.empty())
            return false;
        host = text;
        port = ClientOptions::kDefaultPort;
        return true;
    }
    // The server's own reading of the address, made strict: "host:80abc" is a typing
    // error here, not port 80.
    UString h;
    int p = 0;
    if (!allDigits(text.substr(colon + 1)) || !parseAddress(UString(text.c_str()), h, p))
        return false;
    host = h.str();
    port = p;
    return true;
}

bool readSeconds(const std::string& text, double& seconds)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    // A day at most: beyond that a limit is no limit, and the stopwatch wraps anyway.
    if (end == nullptr || *end != '\0' || !std::isfinite(v) || v <= 0 || v > 86400)
        return false;
    seconds = v;
    return true;
}

} // namespace

ClientOptions::Outcome ClientOptions::parse(int argc, const char* const* argv, std::string& error)
{
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "-help" || arg == "--help")
            return Help;
        if (arg == "-version" || arg == "--version")
            return Version;
        if (arg == "-quiet") {
            quiet = true;
        } else if (arg == "-replace") {
            replace = true;
        } else if (arg == "-server" || arg == "-outdir" || arg == "-timeout") {
            if (!hasValue) {
                error = arg + " needs a value";
                return Usage;
            }
            const std::string value = argv[++i];
            if (arg == "-server" && !readServer(value, host, port)) {
                error = "-server wants HOST:PORT with a port from 1 to 65535, not '" + value + "'";
                return Usage;
            }
            if (arg == "-outdir") {
                if (value.empty()) {
                    error = "-outdir needs a directory";
                    return Usage;
                }
                outdir = value;
            }
            if (arg == "-timeout" && !readSeconds(value, timeout)) {
                error = "-timeout wants a number of seconds above 0 (at most 86400), not '" + value + "'";
                return Usage;
            }
        } else {
            break;
        }
    }
    for (; i < argc; ++i)
        printArgs.push_back(argv[i]);
    if (printArgs.empty()) {
        error = "no options for the print program: nothing to send";
        return Usage;
    }
    return Job;
}

const char* ClientOptions::synopsis()
{
    return "usage: draxomeClient [-server HOST:PORT] [-outdir DIR] [-replace] [-timeout SECONDS] [-quiet] [--]\n"
           "                     OPTION...\n"
           "(draxomeClient -help tells more)\n";
}

const char* ClientOptions::usage()
{
    return "usage: draxomeClient [-server HOST:PORT] [-outdir DIR] [-replace] [-timeout SECONDS] [-quiet] [--]\n"
           "                     OPTION...\n"
           "Sends one job to a draxome print server. The OPTIONs are the print program's\n"
           "(see docs/draxome.md); they travel as the job's command line, each argument\n"
           "intact. With -open FILE the local FILE is sent as the file to print.\n"
           "\n"
           "  -server HOST:PORT  the print server (default 127.0.0.1:2345)\n"
           "  -outdir DIR        where the files the server sends back go (default: the\n"
           "                     current directory; made if missing)\n"
           "  -replace           received files may replace files of the same name in DIR;\n"
           "                     without it a taken name gives way to name-1.txt, ...\n"
           "  -timeout SECONDS   longest wait for the connection and for any part of a\n"
           "                     reply (default 120)\n"
           "  -quiet             no list of received files, no progress line\n"
           "  --                 ends the client's own options\n"
           "  -version           shows the client's version\n"
           "\n"
           "Exit status: 0 job exchanged, 1 aborted by the server, 2 usage,\n"
           "3 network (no connection, connection lost, time limit passed, unexpected reply).\n";
}
