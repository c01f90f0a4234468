#pragma once

#include "common/JobProtocol.h"
#include "common/UDeadline.h"
#include "common/UString.h"
#include "net/USockMAbort.h"
#include "net/USockMCmdline.h"
#include "net/USockMessage.h"
#include "net/USockTcp.h"
#include "server/KeltoCmdLine.h"

class USockMFile;

// One job exchange with one printer client, start to end, in the order the client expects:
// the command line, the document if it has -open, the inventories it asks for, the job run
// by the print program, then the response file, the resolution list and the job log.
// Every step that fails logs its line, tells the client with an abort (unless the client
// aborted itself) and ends the exchange; the connection is closed in every case.
class PExchange {
public:
    // The abort's source for every abort of the exchange.
    static const char* const kSource;

    // Takes over the connection (a copy naming the same handle) and the job stamp.
    PExchange(const USockTcp& connection, const UString& stamp);
    PExchange(const PExchange&) = delete;
    PExchange& operator=(const PExchange&) = delete;

    // 1 when the exchange ran to its end (with -view: once the print program is started),
    // 0 when it ended at a failure.
    unsigned run();

private:
    enum Received { Arrived, AbortedByPeer, UnexpectedType, NotRead };

    // The client's command line arrives here, and nowhere else: the one text that is staged.
    bool receiveCommandLine();
    // Splits and parses the received command line into this job's options, with the job's
    // temporary names.
    bool stage();
    // Unless the server trusts its clients: refuses a job whose command line would have the
    // print program reach the server's files, programs or other machines' printers, before
    // anything of it is written or started.
    bool checkJob();
    bool receiveDocument();
    // A client that has closed or reset the connection by now gave up on its job: it is
    // not printed, and its document goes.
    bool clientStillThere();
    // Sends the replies kReplyOrder[from] to kReplyOrder[to - 1] that the job asked for.
    bool sendReplies(int from, int to);
    bool sendReply(JobProtocol::Reply reply);
    bool sendFile(USockMFile& message, const char* logLine, const char* error, const UString& description);
    bool writeCommandFile();
    // Launch line, program lookup, start and (unless -view) the wait.
    bool runPrintProgram();
    // The print program was ended because the server stops: the client is told, and the
    // job's staged files go.
    void endStoppedJob();

    // Reads the next type code; for an abort the rest of it, else, when the code is the
    // expected one, the body with message.read. The type code and every field of the
    // message share one client time limit, within the job's deadline.
    template <class Message>
    Received receive(Message& message, int expected, int& received);
    // After a receive that failed: when it was the job's deadline that passed, logs it
    // (what: the message's name), tells the client and returns true.
    bool jobTimeUp(const char* what);
    // Tells the client (and the log) that its document is beyond -maxjob.
    void refuseSize();
    // Logs the abort record at Error level and sends it.
    void sendAbort(USockMAbort& abort);
    void sendAbort(const char* error, const UString& description);
    // A fresh abort, sent as it is and not logged.
    void sendDefaultAbort();

    USockTcp mConnection;
    UString mStamp;
    // Reads the type code of every incoming message. Its transfer settings (time limit,
    // pause, piece size) are copied to every message read from the client and to every
    // message sent to it, so they are set in this one place: the time limit is the
    // server's -clienttimeout, so a client that goes silent or stops reading is given up.
    USockMessage mTypeReader;
    USockMAbort mPeerAbort;
    USockMCmdline mCommandLine;
    KeltoCmdLine mOptions;
    // Receiving the command line and the document must be done by then (-jobtimeout).
    UDeadline mJobDeadline;
};
