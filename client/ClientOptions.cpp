#include "client/ClientOptions.h"

#include "common/JobProtocol.h"
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

// How many values the print program's options take, so that a value is never read as a
// file or as one of the client's options ("-banner -quiet" is a banner). Options the
// server reads come from the job protocol; an option found in neither is taken to have
// one value when the next argument does not begin with "-": a mistyped "-orientaton
// landscape" then reaches the print program whole, which says what it did not know.
struct PrintOption {
    const char* word;
    int values;
};
const PrintOption kPrintOptions[] = {
    {"htext", 1}, {"hline", 1}, {"cmdfile", 1}, {"docname", 1}, {"fontface", 1}, {"orientation", 1},
    {"papersize", 1}, {"left", 1}, {"right", 1}, {"top", 1}, {"bottom", 1}, {"logsize", 1},
    {"graph", 0}, {"printername", 1}, {"resolution", 2}, {"minres", 1}, {"defaultres", 0}, {"direct", 0},
    {"banner", 1}, {"hbanner", 1}, {"hcenter", 0}, {"pages", 1}, {"copy", 1}, {"run", 1}, {"zoom", 1},
    {"copies", 1}, {"duplex", 1}, {"codepage", 1},
};

// -1 for an option nobody here knows.
int valuesOf(const std::string& arg)
{
    for (const PrintOption& o : kPrintOptions)
        if (arg.compare(1, std::string::npos, o.word) == 0)
            return o.values;
    const JobProtocol::OptionWord* server = JobProtocol::findOption(arg.c_str());
    if (server != nullptr)
        return server->takesValue ? 1 : 0;
    return -1;
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
        if (arg == "-h" || arg == "-help" || arg == "--help")
            return Help;
        if (arg == "-version" || arg == "--version")
            return Version;
        if (arg == "-quiet") {
            quiet = true;
        } else if (arg == "-replace") {
            replace = true;
        } else if (arg == "-server" || arg == "-outdir" || arg == "-timeout" || arg == "-open") {
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
            if (arg == "-open") {
                if (value.empty()) {
                    error = "-open names no file";
                    return Usage;
                }
                files.push_back(value);
            }
        } else if (arg.empty()) {
            error = "an empty argument names no file";
            return Usage;
        } else if (arg == "-" || arg[0] != '-') {
            files.push_back(arg);
        } else {
            printArgs.push_back(arg);
            if (arg == "-docname")
                docnameGiven = true;
            int values = valuesOf(arg);
            if (values < 0)
                values = hasValue && argv[i + 1][0] != '-' ? 1 : 0;
            // An option missing its value goes as it is: the plan refuses it below.
            for (; values > 0 && i + 1 < argc; --values)
                printArgs.push_back(argv[++i]);
        }
    }
    for (; i < argc; ++i) {
        printArgs.push_back(argv[i]);
        docnameGiven = docnameGiven || printArgs.back() == "-docname";
    }
    if (printArgs.empty() && files.empty()) {
        error = "no file and no options for the print program: nothing to send";
        return Usage;
    }
    return Job;
}

std::vector<std::string> ClientOptions::jobArgs(const std::string& path, const std::string& docname) const
{
    std::vector<std::string> args = printArgs;
    if (path.empty())
        return args;
    if (!docnameGiven) {
        args.push_back("-docname");
        // The print program takes at most 499 characters of it.
        args.push_back(docname.substr(0, 499));
    }
    args.push_back("-open");
    args.push_back(path);
    return args;
}

std::string ClientOptions::shownName(const std::string& file)
{
    if (file == "-")
        return "stdin";
    return file;
}

std::string ClientOptions::baseName(const std::string& file)
{
    if (file == "-")
        return "stdin";
    const size_t cut = file.find_last_of("/\\");
    const std::string base = cut == std::string::npos ? file : file.substr(cut + 1);
    return base.empty() ? file : base;
}

const char* ClientOptions::synopsis()
{
    return "usage: draxomeClient [-server HOST:PORT] [-outdir DIR] [-replace] [-timeout SECONDS] [-quiet]\n"
           "                     [OPTION...] [FILE...] [-- OPTION...]\n"
           "(draxomeClient -h tells more)\n";
}

const char* ClientOptions::usage()
{
    return "usage: draxomeClient [-server HOST:PORT] [-outdir DIR] [-replace] [-timeout SECONDS] [-quiet]\n"
           "                     [OPTION...] [FILE...] [-- OPTION...]\n"
           "Prints each FILE on a draxome print server, one job per file, in order; \"-\"\n"
           "(or -open -) is standard input. The OPTIONs are the print program's (see\n"
           "docs/draxome.md), e.g. -orientation landscape, -copies 2, -duplex long,\n"
           "-papersize letter; they travel with every job, each argument intact. Without a\n"
           "FILE one job goes with the OPTIONs alone (-printlist, -fontlist, -ver, ...).\n"
           "The client's own options may stand anywhere before \"--\"; all after it go to\n"
           "the print program.\n"
           "\n"
           "  -server HOST:PORT  the print server (default 127.0.0.1:2345)\n"
           "  -outdir DIR        where the files the server sends back go (default: the\n"
           "                     current directory; made if missing)\n"
           "  -replace           received files may replace files of the same name in DIR;\n"
           "                     without it a taken name gives way to name-1.txt, ...\n"
           "  -timeout SECONDS   longest wait for the connection and for each transfer\n"
           "                     (default 120); the wait while a job prints has no limit\n"
           "  -quiet             no list of received files, no progress line\n"
           "  -open FILE         a FILE to print, as a plain FILE is\n"
           "  --                 ends the client's own options\n"
           "  -h, --help         this text\n"
           "  -version           shows the client's version\n"
           "\n"
           "The document name in the print queue is the file's name (\"stdin\" for\n"
           "standard input) unless -docname NAME is given.\n"
           "\n"
           "Exit status (with several files, the worst): 0 printed, 4 printed but the\n"
           "job log holds errors (shown on standard error), 1 aborted by the server,\n"
           "3 network (no connection, connection lost, time limit passed, unexpected\n"
           "reply), 2 usage (nothing was sent).\n";
}
