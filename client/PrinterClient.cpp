#include "client/PrinterClient.h"

#include "common/UCmdLine.h"
#include "client/ProgressLine.h"
#include "client/SafeName.h"
#include "common/UFile.h"
#include "common/UOs.h"
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

PrinterClient::PrinterClient(const ClientOptions& options, const Console& console)
    : mOptions(options), mConsole(console), mFiles(options.outdir, options.replace)
{
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
        checkLog(mLogPath);
    return status;
}

PrinterClient::Status PrinterClient::prepare(ReplyPlan& plan, std::string& text, long long& fileSize)
{
    std::string error;
    if (!plan.read(mOptions.printArgs, error))
        return fail(UsageError, error);
    size_t bad = 0;
    if (!UCmdLine::join(mOptions.printArgs, text, bad))
        return fail(UsageError, "the argument '" + mOptions.printArgs[bad] +
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
    switch (nextCode(mOptions.timeout, code)) {
    case Silent:
        return fail(NetworkError, "no reply from the server within " + seconds(mOptions.timeout) +
                                      " seconds while waiting for " + what + " (see -timeout)");
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
    switch (nextCode(mOptions.timeout, code)) {
    case NoMore: return Exchanged;
    case Silent:
        return fail(NetworkError, "the server did not end the job within " + seconds(mOptions.timeout) +
                                      " seconds (see -timeout)");
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

std::string PrinterClient::firstErrorLine(const std::string& logText)
{
    size_t start = 0;
    while (start < logText.size()) {
        size_t end = logText.find('\n', start);
        if (end == std::string::npos)
            end = logText.size();
        std::string line = logText.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        // The print program's lines: "Error[date time]: ..."; the server's: "Error: ...".
        if (line.compare(0, 6, "Error[") == 0 || line.compare(0, 7, "Error: ") == 0)
            return line;
        start = end + 1;
    }
    return "";
}

void PrinterClient::checkLog(const std::string& path)
{
    UFile f(path.c_str(), "rb");
    if (!f.isOpen())
        return;
    std::string text;
    char buf[4096];
    size_t n;
    // The print program keeps its log small; the first megabyte is plenty to look through.
    while (text.size() < (1u << 20) && (n = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        text.append(buf, n);
    const std::string line = firstErrorLine(text);
    if (!line.empty())
        fail(Exchanged, "the job log " + path + " reports an error: " + line);
}
