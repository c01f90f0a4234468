#pragma once

#include <string>
#include <vector>

// The client's command line, read the way lpr users expect: the client's own options
// anywhere before "--", the files to print (a plain argument, "-" for standard input, or
// -open FILE), and everything else, in order, as the print program's options, which
// travel with every job. Values of the print program's options are passed over, so
// nothing meant for the print program is ever taken by the client.
class ClientOptions {
public:
    enum Outcome { Job, Help, Version, Usage };

    static constexpr int kDefaultPort = 2345;
    // For the connection and each transfer; the wait while a job prints has no limit.
    static constexpr double kDefaultTimeout = 120.0;

    // Job: the fields hold the job. Help, Version: -help or -version was asked for.
    // Usage: the command line is wrong; error says how.
    Outcome parse(int argc, const char* const* argv, std::string& error);

    static const char* usage();
    // The first lines of usage(), shown with a usage error.
    static const char* synopsis();

    std::string host = "127.0.0.1";
    int port = kDefaultPort;
    std::string outdir = ".";
    bool quiet = false;
    bool replace = false;
    // Seconds the client waits at most for the connection and for each transfer.
    double timeout = kDefaultTimeout;
    // Without -open: the files are the jobs' business.
    std::vector<std::string> printArgs;
    // As typed; "-" is standard input.
    std::vector<std::string> files;
    bool docnameGiven = false;

    // The print options of the job that sends the file at path (none: "") under the
    // spooler's document name docname, unless the user named the document.
    std::vector<std::string> jobArgs(const std::string& path, const std::string& docname) const;
    // How messages name a file the user gave: "stdin" for "-".
    static std::string shownName(const std::string& file);
    // The document name a file gets by default: its last component; "stdin" for "-".
    static std::string baseName(const std::string& file);
};
