#pragma once

#include "client/ClientOptions.h"
#include "client/ClientSocket.h"
#include "client/ReplyFiles.h"
#include "client/ReplyPlan.h"
#include "common/JobProtocol.h"

#include <cstdio>
#include <string>
#include <vector>

class UException;

// One job's exchange with the print server, from the client's side: connect, send the
// command line and the file, then take the replies in the order the plan names, storing
// each in the output directory, until the server closes the connection. Every way the
// exchange can end is told to the user in one message and an exit status. Once the job is
// sent, the client waits for the print as long as the connection lives: a large report
// may take minutes, and a client that gave up would leave a job printed that its user
// then sends again.
class PrinterClient {
public:
    enum Status { Exchanged = 0, Aborted = 1, UsageError = 2, NetworkError = 3, LogErrors = 4 };

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

    // args: the job's print options; name: how messages name its file; files: where the
    // replies go, shared by the jobs of one run so that no job's reply replaces another's.
    PrinterClient(const ClientOptions& options, const std::vector<std::string>& args, const std::string& name,
                  const Console& console, ReplyFiles& files);
    Status run();
    // Of two jobs' outcomes the one a user must hear of first: usage, network, abort,
    // errors in the log, printed.
    static Status worse(Status a, Status b);

    // The five fields of a received abort, as the client prints them.
    static std::string formatAbort(const UException& abort);
    // The lines of a job log written at Error or Warning level, and whether one is an Error.
    static std::vector<std::string> problemLines(const std::string& logText, bool& anyError);

private:
    enum Next { Code, NoMore, Silent, Broken };

    Status prepare(ReplyPlan& plan, std::string& text, long long& fileSize);
    Status connect();
    Status sendJob(const ReplyPlan& plan, const std::string& text, long long fileSize);
    Status receive(const ReplyPlan& plan, ReplyPlan::Kind kind);
    Status finish();
    // The next type code, or why none came within the time limit given.
    Next nextCode(double limit, int& code);
    // The next type code once the job is sent: no time limit while the connection lives;
    // on a terminal a line tells how long the wait has been.
    Next awaitCode(int& code);
    // Reads and prints the abort whose type code has just come.
    Status reportAbort();
    // A send failed: the server may have refused the job and said why before it closed.
    Status sendFailed(const std::string& what);
    Status fail(Status status, const std::string& message);
    Status checkLog(const std::string& path);
    std::string where() const;

    const ClientOptions& mOptions;
    const std::vector<std::string>& mArgs;
    std::string mName;
    Console mConsole;
    ClientSocket mSock;
    bool mSocketsStarted = false;
    bool mConnected = false;
    ReplyFiles& mFiles;
    // Where the job log went, once it has come.
    std::string mLogPath;
};
