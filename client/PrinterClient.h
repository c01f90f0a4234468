#pragma once

#include "client/ClientOptions.h"
#include "client/ClientSocket.h"
#include "client/ReplyFiles.h"
#include "client/ReplyPlan.h"
#include "common/JobProtocol.h"

#include <cstdio>
#include <string>

class UException;

// One job's exchange with the print server, from the client's side: connect, send the
// command line and the file, then take the replies in the order the plan names, storing
// each in the output directory, until the server closes the connection. Every way the
// exchange can end is told to the user in one message and an exit status.
class PrinterClient {
public:
    enum Status { Exchanged = 0, Aborted = 1, UsageError = 2, NetworkError = 3 };

    // Where the client talks to the user.
    struct Console {
        std::FILE* out;
        std::FILE* err;
        // The progress line is drawn only on a terminal.
        bool errIsTerminal;
    };

    // Files from this size on get a progress line while they are sent.
    static constexpr long long kProgressFrom = 1024 * 1024;
    // Longest command line: the print program reads no more of its command file.
    static constexpr size_t kMaxCommandLine = JobProtocol::kCommandLineLimit;
    // After a send failed, how long the client still listens for the server's reason.
    static constexpr double kAbortGrace = 2.0;

    PrinterClient(const ClientOptions& options, const Console& console);
    Status run();

    // The five fields of a received abort, as the client prints them.
    static std::string formatAbort(const UException& abort);
    // The first line of a job log that the print program wrote at Error level, or "".
    static std::string firstErrorLine(const std::string& logText);

private:
    enum Next { Code, NoMore, Silent, Broken };

    Status prepare(ReplyPlan& plan, std::string& text, long long& fileSize);
    Status connect();
    Status sendJob(const ReplyPlan& plan, const std::string& text, long long fileSize);
    Status receive(const ReplyPlan& plan, ReplyPlan::Kind kind);
    Status finish();
    // The next type code, or why none came within the time limit given.
    Next nextCode(double limit, int& code);
    // Reads and prints the abort whose type code has just come.
    Status reportAbort();
    // A send failed: the server may have refused the job and said why before it closed.
    Status sendFailed(const std::string& what);
    Status fail(Status status, const std::string& message);
    void checkLog(const std::string& path);
    std::string where() const;

    const ClientOptions& mOptions;
    Console mConsole;
    ClientSocket mSock;
    bool mSocketsStarted = false;
    bool mConnected = false;
    ReplyFiles mFiles;
    // Where the job log went, once it has come.
    std::string mLogPath;
};
