#include "client/PrinterClient.h"

#include "common/UCmdLine.h"
#include "client/ProgressLine.h"
#include "client/SafeName.h"
#include "common/UFile.h"
#include "common/UOs.h"
#include "common/UStopWatch.h"
#include "net/USockMAbort.h"
#include "net/USockMCmdline.h"
#include "net/USockMFileName.h"

#include <cstdio>

namespace {

std::string hex(int code)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", static_cast<unsigned>(code));
    return buf;
}

std::string seconds(double s)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", s);
    return buf;
}

// The name the file is announced under. The server stores the content under a name of its
// own and never uses this one, so it need only be harmless.
std::string announcedName(const std::string& localPath)
{
    const std::string name = SafeName::plain(localPath);
    return name.empty() ? "job.txt" : name;
}

} // namespace

PrinterClient::PrinterClient(const ClientOptions& options, const std::vector<std::string>& args,
                             const std::string& name, const Console& console, ReplyFiles& files)
    : mOptions(options), mArgs(args), mName(name), mConsole(console), mFiles(files)
{
}

PrinterClient::Status PrinterClient::worse(Status a, Status b)
{
    // From the least to the most a user must hear of.
    static const Status kOrder[] = {Exchanged, LogErrors, Aborted, NetworkError, UsageError};
    int ra = 0, rb = 0;
    for (int i = 0; i < 5; ++i) {
        if (kOrder[i] == a)
            ra = i;
        if (kOrder[i] == b)
            rb = i;
    }
    return ra >= rb ? a : b;
}

PrinterClient::Status PrinterClient::fail(Status status, const std::string& message)
{
    std::fprintf(mConsole.err, "draxomeClient: %s\n", message.c_str());
    std::fflush(mConsole.err);
    return status;
}

std::string PrinterClient::where() const { return mOptions.host + ":" + std::to_string(mOptions.port); }

PrinterClient::Status PrinterClient::run()
{
    ReplyPlan plan;
    std::string text;
    long long fileSize = 0;
    Status status = prepare(plan, text, fileSize);
    if (status == Exchanged)
        status = connect();
    if (status == Exchanged)
        status = sendJob(plan, text, fileSize);
    for (ReplyPlan::Kind kind : plan.replies)
        if (status == Exchanged)
            status = receive(plan, kind);
    if (status == Exchanged)
        status = finish();
    if (mConnected)
        mSock.close();
    if (mSocketsStarted)
        USock::cleanupWSocket();
    // A job without a file always logs that it has none to print: nothing worth a word.
    if (status == Exchanged && plan.sendsFile && !mLogPath.empty())
        status = checkLog(mLogPath);
    return status;
}

PrinterClient::Status PrinterClient::prepare(ReplyPlan& plan, std::string& text, long long& fileSize)
{
    std::string error;
    if (!plan.read(mArgs, error))
        return fail(UsageError, error);
    size_t bad = 0;
    if (!UCmdLine::join(mArgs, text, bad))
        return fail(UsageError, "the argument '" + mArgs[bad] +
                                    "' cannot be sent: its double quotes leave blanks both inside and outside "
                                    "quoted stretches, which the server's command line cannot carry in one argument");
    if (text.size() > kMaxCommandLine)
        return fail(UsageError, "the options are " + std::to_string(text.size()) +
                                    " characters long; the print program reads at most " +
                                    std::to_string(kMaxCommandLine));
    if (plan.openGiven && !plan.sendsFile)
        return fail(UsageError, "-open names no file");
    if (plan.sendsFile) {
        if (UOs::isDirectory(plan.openFile.c_str()))
            return fail(UsageError, "cannot send '" + plan.openFile + "': it is a directory");
        UFile f(plan.openFile.c_str(), "rb");
        if (!f.isOpen())
            return fail(UsageError, "cannot read '" + plan.openFile + "'");
        long size = -1;
        if (std::fseek(f.get(), 0, SEEK_END) == 0)
            size = std::ftell(f.get());
        // The wire gives a file's size as a signed 32-bit number.
        if (size < 0 || size > 0x7fffffffL)
            return fail(UsageError, "cannot send '" + plan.openFile + "': files of 2 GiB or more cannot be sent");
        fileSize = size;
    }
    if (!plan.replies.empty() && !mFiles.prepare(error))
        return fail(UsageError, error);
    return Exchanged;
}

PrinterClient::Status PrinterClient::connect()
{
    if (!USock::initWSocket())
        return fail(NetworkError, "cannot start the network layer");
    mSocketsStarted = true;
    if (!mSock.open(UString(mOptions.host.c_str()), mOptions.port))
        return fail(NetworkError, "cannot find the host '" + mOptions.host + "'");
    switch (mSock.connect(mOptions.timeout)) {
    case USock::Connected: break;
    case USock::ConnectTimedOut:
        mSock.close();
        return fail(NetworkError, "cannot connect to " + where() + ": no answer within " +
                                      seconds(mOptions.timeout) + " seconds (see -timeout)");
    case USock::ConnectFailed:
        mSock.close();
        return fail(NetworkError,
                    "cannot connect to " + where() + ": no print server is listening there, or it cannot be reached");
    }
    mConnected = true;
    // The wait for the print has no limit: a server whose machine went away must still
    // end it.
    mSock.setKeepAlive();
    return Exchanged;
}

PrinterClient::Status PrinterClient::sendJob(const ReplyPlan& plan, const std::string& text, long long fileSize)
{
    USockMCmdline cmdline{UString(text.c_str())};
    cmdline.timeout = mOptions.timeout;
    if (!cmdline.write(mSock))
        return sendFailed("the command line");
    if (!plan.sendsFile)
        return Exchanged;
    const std::string announced = announcedName(plan.openFile);
    USockMFileName file(UString(plan.openFile.c_str()), UString(announced.c_str()));
    file.timeout = mOptions.timeout;
    // Everything the message sends: type, name string (type, size, text, zero byte), size, content.
    const long long total = 4 + 8 + static_cast<long long>(announced.size()) + 1 + 4 + fileSize;
    ProgressLine progress(mConsole.err, announced, total);
    const bool showProgress = mConsole.errIsTerminal && !mOptions.quiet && fileSize >= kProgressFrom;
    if (showProgress)
        mSock.setProgress(&progress);
    const bool sent = file.write(mSock);
    mSock.setProgress(nullptr);
    if (showProgress)
        progress.finish();
    if (!sent)
        return sendFailed("the file '" + plan.openFile + "'");
    return Exchanged;
}

PrinterClient::Status PrinterClient::sendFailed(const std::string& what)
{
    const ClientSocket::Outcome outcome = mSock.lastOutcome();
    int code = 0;
    if (nextCode(kAbortGrace, code) == Code && code == USockMessage::kAbort)
        return reportAbort();
    std::string why;
    if (outcome == ClientSocket::TimedOut)
        why = "the server took nothing for " + seconds(mOptions.timeout) + " seconds";
    else if (outcome == ClientSocket::Closed)
        why = "the connection was closed";
    else
        why = "the file could not be read";
    return fail(NetworkError, "could not send " + what + " to " + where() + ": " + why);
}

PrinterClient::Next PrinterClient::nextCode(double limit, int& code)
{
    unsigned char word[4];
    const int r = mSock.recv(reinterpret_cast<char*>(word), 4, limit, 0.1, USockMessage::kDefaultChunk);
    if (r == 4) {
        code = USockMessage::getInt(word);
        return Code;
    }
    if (mSock.lastOutcome() == ClientSocket::TimedOut)
        return r > 0 ? Broken : Silent;
    // An orderly close between two messages is how the server ends a job.
    return r == 0 ? NoMore : Broken;
}

PrinterClient::Next PrinterClient::awaitCode(int& code)
{
    // Short rounds, so that the waiting line moves; what came of a code in one round is kept.
    const double kRound = 1.0;
    const bool shown = mConsole.errIsTerminal && !mOptions.quiet;
    unsigned char word[4];
    int got = 0;
    UStopWatch watch;
    watch.start();
    bool drawn = false;
    Next next = Broken;
    // A code begun is a transfer: -timeout bounds the rest of it.
    UStopWatch begun;
    for (;;) {
        const int r = mSock.recv(reinterpret_cast<char*>(word) + got, 4 - got, kRound, 0.1, USockMessage::kDefaultChunk);
        if (r > 0 && got == 0)
            begun.start();
        if (r > 0)
            got += r;
        if (got == 4) {
            code = USockMessage::getInt(word);
            next = Code;
            break;
        }
        if (mSock.lastOutcome() != ClientSocket::TimedOut) {
            // An orderly close between two messages is how the server ends a job.
            next = got == 0 && r == 0 ? NoMore : Broken;
            break;
        }
        if (got > 0 && begun.stopAndSeconds() >= mOptions.timeout)
            break;
        if (shown) {
            std::fprintf(mConsole.err, "\rprinting\xe2\x80\xa6 %d s", static_cast<int>(watch.stopAndSeconds()));
            std::fflush(mConsole.err);
            drawn = true;
        }
    }
    if (drawn) {
        std::fputc('\n', mConsole.err);
        std::fflush(mConsole.err);
    }
    return next;
}

PrinterClient::Status PrinterClient::reportAbort()
{
    USockMAbort abort;
    abort.timeout = mOptions.timeout;
    // A record that arrives only in part is still shown: what came is the best account.
    abort.read(mSock);
    std::fprintf(mConsole.err, "draxomeClient: the server aborted the job:\n%s", formatAbort(abort).c_str());
    std::fflush(mConsole.err);
    return Aborted;
}

PrinterClient::Status PrinterClient::receive(const ReplyPlan& plan, ReplyPlan::Kind kind)
{
    const std::string what = ReplyPlan::describe(kind);
    int code = 0;
    switch (awaitCode(code)) {
    case Silent:
    case NoMore: return fail(NetworkError, "the server closed the connection before sending " + what);
    case Broken: return fail(NetworkError, "the connection broke off while waiting for " + what);
    case Code: break;
    }
    if (code == USockMessage::kAbort)
        return reportAbort();
    const int expected = ReplyPlan::typeCode(kind);
    if (code != expected)
        return fail(NetworkError, "unexpected reply: a message of type " + hex(code) + " where " + what +
                                      " (type " + hex(expected) + ") was due");
    // Never the name the server announces: only what the user typed, or the reply's own name.
    std::string name = kind == ReplyPlan::Response ? SafeName::plain(plan.responseName) : "";
    if (name.empty())
        name = ReplyPlan::fileName(kind);
    std::string path;
    std::string error;
    if (!mFiles.reserve(name, path, error))
        return fail(NetworkError, "cannot store " + what + ": " + error);
    USockMFile file(UString(""), UString(path.c_str()));
    file.type = expected;
    file.timeout = mOptions.timeout;
    if (!file.read(mSock)) {
        const ClientSocket::Outcome outcome = mSock.lastOutcome();
        mFiles.discard(path);
        if (outcome == ClientSocket::TimedOut)
            return fail(NetworkError, "the server stopped sending " + what + ": nothing came for " +
                                          seconds(mOptions.timeout) + " seconds (see -timeout)");
        if (outcome == ClientSocket::Closed)
            return fail(NetworkError, "the connection broke off while receiving " + what);
        return fail(NetworkError, "could not receive " + what + " into '" + path +
                                      "': the message was malformed or the file could not be written");
    }
    if (!mOptions.quiet) {
        std::fprintf(mConsole.out, "received %s: %s\n", what.c_str(), path.c_str());
        std::fflush(mConsole.out);
    }
    if (kind == ReplyPlan::Log)
        mLogPath = path;
    return Exchanged;
}

PrinterClient::Status PrinterClient::finish()
{
    int code = 0;
    switch (awaitCode(code)) {
    case NoMore:
    case Silent: return Exchanged;
    case Broken: return fail(NetworkError, "the connection broke off at the end of the job");
    case Code: break;
    }
    if (code == USockMessage::kAbort)
        return reportAbort();
    return fail(NetworkError, "unexpected reply: a message of type " + hex(code) + " after the last reply was due");
}

std::string PrinterClient::formatAbort(const UException& abort)
{
    std::string s;
    s += "  title:       " + std::string(abort.title.str()) + "\n";
    s += "  name:        " + std::string(abort.name.str()) + "\n";
    s += "  error:       " + std::string(abort.error.str()) + "\n";
    s += "  description: " + std::string(abort.description.str()) + "\n";
    s += "  source:      " + std::string(abort.source.str()) + "\n";
    return s;
}

std::vector<std::string> PrinterClient::problemLines(const std::string& logText, bool& anyError)
{
    std::vector<std::string> lines;
    anyError = false;
    size_t start = 0;
    while (start < logText.size()) {
        size_t end = logText.find('\n', start);
        if (end == std::string::npos)
            end = logText.size();
        std::string line = logText.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // The print program's lines: "Error[date time]: ..."; the server's: "Error: ".
        const bool error = line.compare(0, 6, "Error[") == 0 || line.compare(0, 7, "Error: ") == 0;
        // A server's log must not drive the user's terminal.
        for (char& c : line)
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f)
                c = '?';
        if (error || line.compare(0, 8, "Warning[") == 0 || line.compare(0, 9, "Warning: ") == 0)
            lines.push_back(line);
        anyError = anyError || error;
        start = end + 1;
    }
    return lines;
}

PrinterClient::Status PrinterClient::checkLog(const std::string& path)
{
    UFile f(path.c_str(), "rb");
    if (!f.isOpen())
        return Exchanged;
    std::string text;
    char buf[4096];
    size_t n;
    // The print program keeps its log small; the first megabyte is plenty to look through.
    while (text.size() < (1u << 20) && (n = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        text.append(buf, n);
    bool anyError = false;
    // Printed as received: the log is the print program's, on the server's terms, and a
    // user who redirects standard error gets the lines to grep.
    for (const std::string& line : problemLines(text, anyError))
        std::fprintf(mConsole.err, "%s: %s\n", mName.c_str(), line.c_str());
    std::fflush(mConsole.err);
    return anyError ? LogErrors : Exchanged;
}
