#pragma once

#include <string>
#include <vector>

// The client's command line: its own options first, then the print program's options,
// which the client sends to the server as the job's command line. The client's options
// are recognised only before the first argument that is not one of them (or after which
// "--" stands), so nothing meant for the print program is ever taken by the client.
class ClientOptions {
public:
    enum Outcome { Job, Help, Version, Usage };

    static constexpr int kDefaultPort = 2345;
    // Long enough for the print program to lay out and print a large report before the
    // replies that follow the job come.
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
    // Seconds the client waits at most for the connection and for any part of a reply.
    double timeout = kDefaultTimeout;
    std::vector<std::string> printArgs;
};
