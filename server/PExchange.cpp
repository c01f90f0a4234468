#include "server/PExchange.h"

#include "common/JobProtocol.h"
#include "common/UDirListing.h"
#include "common/ULog.h"
#include "common/UOs.h"
#include "net/USockMAbortType.h"
#include "net/USockMFileFontList.h"
#include "net/USockMFileLog.h"
#include "net/USockMFileName.h"
#include "net/USockMFilePrintList.h"
#include "net/USockMFileResList.h"
#include "net/USockMFileResponse.h"
#include "net/USockMFileVersion.h"
#include "server/PClientPolicy.h"
#include "server/PJobRunner.h"
#include "server/PJobStaging.h"
#include "server/PPrintProgram.h"
#include "server/PServerControl.h"

#include <cstdio>
#include <string>

const char* const PExchange::kSource = "unsigned __stdcall PPrinterServer::dispatch( LPVOID lpParam )";

namespace {

void logError(const char* msg) { ULog::write(msg, ULog::Error); }

const char* const kNetworkError = "This may be a network layer error";

// Seconds as a person writes them: 600, 2.5.
std::string secondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

// How long a refused client may go on sending before the connection is closed regardless.
const double kAbortDeliverySeconds = 2.0;

} // namespace

PExchange::PExchange(const USockTcp& connection, const UString& stamp) : mConnection(connection), mStamp(stamp)
{
    // A client that goes silent must not keep the next ones waiting for ever.
    mTypeReader.timeout = PClientPolicy::clientTimeout();
}

unsigned PExchange::run()
{
    mJobDeadline = UDeadline::after(PClientPolicy::jobTimeout());
    const bool done = receiveCommandLine() && stage() && checkJob() && receiveDocument() && clientStillThere() &&
                      sendReplies(0, JobProtocol::kRepliesBeforeJob) && writeCommandFile() && runPrintProgram() &&
                      (mOptions.view || sendReplies(JobProtocol::kRepliesBeforeJob, JobProtocol::kReplyCount));
    // An exchange that ended early may leave the client's document unread behind the
    // abort: the abort must still reach the client.
    if (done)
        mConnection.close();
    else
        mConnection.closeAfterSending(kAbortDeliverySeconds);
    return done ? 1 : 0;
}

template <class Message>
PExchange::Received PExchange::receive(Message& message, int expected, int& received)
{
    // A reader of its own: the replies sent later move with mTypeReader's settings alone.
    USockMessage reader;
    reader.copySettings(mTypeReader);
    reader.deadline = mJobDeadline;
    reader.startMessage();
    mPeerAbort.copySettings(reader);
    message.copySettings(reader);
    received = reader.readType(mConnection);
    if (reader.checkAbort(received, mConnection, mPeerAbort))
        return AbortedByPeer;
    if (received != expected)
        return UnexpectedType;
    return message.read(mConnection) ? Arrived : NotRead;
}

bool PExchange::receiveCommandLine()
{
    int received = 0;
    switch (receive(mCommandLine, USockMessage::kCmdline, received)) {
    case Arrived:
        return true;
    case AbortedByPeer:
        logError("PPrinterServer::dispatch(): msgCmdLine: connection aborted by peer");
        mPeerAbort.print(ULog::Error, 0);
        return false;
    case UnexpectedType: {
        if (jobTimeUp("msgCmdLine"))
            return false;
        logError("PPrinterServer::dispatch(): msgCmdLine: received an unexpected type");
        USockMAbortType abort("msgCmdLine", USockMessage::kCmdline, received);
        sendAbort(abort);
        return false;
    }
    case NotRead:
        if (jobTimeUp("msgCmdLine"))
            return false;
        logError("PPrinterServer::dispatch(): msgCmdLine: could not read");
        sendAbort("Could not read command line sent by printer client", kNetworkError);
        sendDefaultAbort();
        return false;
    }
    return false;
}

bool PExchange::stage()
{
    if (PJobStaging::prepareJobOptions(mCommandLine.text, mOptions, mStamp))
        return true;
    // Half-parsed options would run the print program on something the client did not
    // ask for, and a client whose -open went unnoticed would send a document nobody reads.
    // The parser has logged what was wrong with the text.
    logError("PPrinterServer::dispatch(): msgCmdLine: could not parse");
    sendAbort("Could not parse command line sent by printer client",
              "An option that takes a value (-open, -response, -logfile, -listenaddr) came without one");
    return false;
}

bool PExchange::checkJob()
{
    UString error;
    UString description;
    if (PJobRunner::allowed(mCommandLine.text, mOptions, error, description))
        return true;
    // One line says it all; the abort tells the client what was refused and how the
    // administrator can allow it.
    UString line("PPrinterServer::dispatch(): job refused: ");
    line += error;
    logError(line.str());
    USockMAbort abort;
    abort.copySettings(mTypeReader);
    abort.setError(error);
    abort.setDescription(description);
    abort.setSource(kSource);
    mTypeReader.sendAbort(mConnection, abort);
    return false;
}

bool PExchange::receiveDocument()
{
    if (mOptions.openFile.isEmpty())
        return true;
    // The content lands in this job's own file, whatever name the client announces.
    USockMFileName document(UString(""), mOptions.openFile);
    document.sizeLimit = PClientPolicy::maxJobBytes();
    int received = 0;
    switch (receive(document, USockMessage::kFileName, received)) {
    case Arrived:
        return true;
    case AbortedByPeer:
        logError("PPrinterServer::dispatch(): msgFileName: connection aborted by peer");
        mPeerAbort.print(ULog::Error, 0);
        return false;
    case UnexpectedType: {
        if (jobTimeUp("msgFileName"))
            return false;
        logError("PPrinterServer::dispatch(): msgFileName: received an unexpected type");
        USockMAbortType abort("msgFileName", USockMessage::kFileName, received);
        sendAbort(abort);
        return false;
    }
    case NotRead:
        if (document.tooLarge) {
            refuseSize();
            return false;
        }
        if (jobTimeUp("msgFileName"))
            return false;
        logError("PPrinterServer::dispatch(): msgFileName: could not read");
        sendAbort("Could not read -open parameter from printer client", kNetworkError);
        return false;
    }
    return false;
}

bool PExchange::clientStillThere()
{
    if (!mConnection.peerGone())
        return true;
    ULog::write("PPrinterServer::dispatch(): the client has gone before its job was printed; the job is dropped",
                ULog::Warning);
    if (!mOptions.openFile.isEmpty())
        UDirListing::removeFile(mOptions.openFile.str());
    return false;
}

bool PExchange::jobTimeUp(const char* what)
{
    if (!mJobDeadline.passed())
        return false;
    UString line("PPrinterServer::dispatch(): ");
    line += what;
    line += ": the job's time limit has passed";
    logError(line.str());
    UString error("Job time limit passed: the command line and document did not arrive within ");
    error += secondsText(PClientPolicy::jobTimeout()).c_str();
    error += " seconds";
    sendAbort(error.str(), UString("The administrator can set the limit by starting draxomeServer with "
                                   "-jobtimeout SECONDS."));
    return true;
}

void PExchange::refuseSize()
{
    const std::string limit = std::to_string(PClientPolicy::maxJobBytes() / (1024 * 1024));
    logError(("PPrinterServer::dispatch(): msgFileName: document refused, larger than -maxjob " + limit).c_str());
    const std::string error = "Refused document: it is larger than this server's limit of " + limit + " MB";
    sendAbort(error.c_str(), UString("The administrator can raise the limit by starting draxomeServer with "
                                     "-maxjob MEGABYTES."));
}

bool PExchange::sendFile(USockMFile& message, const char* logLine, const char* error, const UString& description)
{
    message.copySettings(mTypeReader);
    if (message.write(mConnection))
        return true;
    logError(logLine);
    sendAbort(error, description);
    return false;
}

bool PExchange::sendReplies(int from, int to)
{
    for (int n = from; n < to; ++n) {
        if (!sendReply(JobProtocol::kReplyOrder[n]))
            return false;
    }
    return true;
}

bool PExchange::sendReply(JobProtocol::Reply reply)
{
    switch (reply) {
    case JobProtocol::PrintListReply: {
        if (!mOptions.printList)
            return true;
        USockMFilePrintList m(JobProtocol::kPrinterList, JobProtocol::kPrinterList);
        return sendFile(m, "PPrinterServer::dispatch(): msgPrintList: could not send",
                        "Could not send printlist.txt to printer client", "Check if printlist.txt exists on server");
    }
    case JobProtocol::FontListReply: {
        if (!mOptions.fontList)
            return true;
        USockMFileFontList m(JobProtocol::kFontList, JobProtocol::kFontList);
        return sendFile(m, "PPrinterServer::dispatch(): msgFontList: could not send",
                        "Could not send fontlist.txt to printer client", "Check if fontlist.txt exists on server");
    }
    case JobProtocol::VersionReply: {
        if (!mOptions.ver)
            return true;
        USockMFileVersion m(JobProtocol::kVersionFile, JobProtocol::kVersionFile);
        return sendFile(m, "PPrinterServer::dispatch(): msgVersion: could not send",
                        "Could not send version.txt to printer client", "Check if version.txt exists on server");
    }
    case JobProtocol::ResponseReply: {
        if (!mOptions.response)
            return true;
        USockMFileResponse m(mOptions.responseFile, mOptions.responseFile);
        if (!sendFile(m, "PPrinterServer::dispatch(): msgResponse: could not send",
                      "Could not send the -run response file back to client. This usually means the response "
                      "file was not created by the process.",
                      "Check the -run parameter."))
            return false;
        UDirListing::removeFile(mOptions.responseFile.str());
        return true;
    }
    case JobProtocol::ResListReply: {
        if (!mOptions.resList)
            return true;
        USockMFileResList m(JobProtocol::kResList, JobProtocol::kResList);
        return sendFile(m, "PPrinterServer::dispatch(): msgResList: could not send",
                        "Could not send reslist.txt to printer client", "Check if reslist.txt exists on server");
    }
    case JobProtocol::LogReply: {
        if (!mOptions.logEnabled)
            return true;
        USockMFileLog m(mOptions.logFile, mOptions.logFile);
        UString description("Log file was: ");
        description += mOptions.logFile;
        return sendFile(m, "PPrinterServer::dispatch(): msgLog: could not send",
                        "Could not send log file to printer client", description);
    }
    }
    return true;
}

bool PExchange::writeCommandFile()
{
    switch (PJobStaging::writeCommandFile(PJobStaging::commandFileName(mStamp), mCommandLine.text.str())) {
    case PJobStaging::Written:
        return true;
    case PJobStaging::CannotCreate:
        logError("PPrinterServer::dispatch(): could not create cmdfile");
        break;
    case PJobStaging::CannotWrite:
        logError("PPrinterServer::dispatch(): could not write cmdfile");
        break;
    }
    sendDefaultAbort();
    return false;
}

bool PExchange::runPrintProgram()
{
    bool started = false;
    const char* program = PPrintProgram::findPrintProgram();
    if (program == nullptr) {
        logError("PPrinterServer::dispatch(): could not find velquin.exe or draxome.exe");
        sendAbort("Could not find velquin.exe or draxome.exe",
                  "For printer server to work, velquin.exe or draxome.exe must be in the current directory");
    } else {
        switch (PJobRunner::launch(program, mStamp, mOptions, mOptions.view)) {
        case PPrintProgram::Ran:
            started = true;
            break;
        case PPrintProgram::NotStarted: {
            const std::string why = UOs::systemErrorText();
            UString line("PPrinterServer::dispatch(): could not spawn process ");
            line += program;
            logError(line.str());
            UString reason("PPrinterServer::dispatch(): cannot start '");
            reason += program;
            reason += "': ";
            reason += why.c_str();
            logError(reason.str());
            sendDefaultAbort();
            break;
        }
        case PPrintProgram::EndedByStop:
            endStoppedJob();
            break;
        }
    }
    return started;
}

void PExchange::endStoppedJob()
{
    UString description("The server was asked to stop and the job did not end within ");
    description += std::to_string(PServerControl::graceSeconds()).c_str();
    description += " seconds. Send it again when the server is back.";
    sendAbort("The server is stopping: the job was ended before it finished", description);
    // Nobody will come back for what the job left: it must not wait for the next start.
    PJobRunner::discard(mStamp);
}

void PExchange::sendAbort(USockMAbort& abort)
{
    abort.copySettings(mTypeReader);
    abort.setSource(kSource);
    abort.print(ULog::Error, 0);
    // The connection is closed whatever this gives: there is nobody left to tell.
    mTypeReader.sendAbort(mConnection, abort);
}

void PExchange::sendAbort(const char* error, const UString& description)
{
    USockMAbort abort;
    abort.setError(error);
    abort.setDescription(description);
    sendAbort(abort);
}

void PExchange::sendDefaultAbort()
{
    // A fresh abort as sendAbort(socket) makes it, but with the exchange's time limit.
    USockMAbort abort;
    abort.copySettings(mTypeReader);
    mTypeReader.sendAbort(mConnection, abort);
}
