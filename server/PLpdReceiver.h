#pragma once

#include "common/UString.h"
#include "net/USockTcp.h"
#include "server/PJobRunner.h"
#include "server/PPeerReader.h"

#include <string>
#include <vector>

// One connection of the LPD front end (RFC 1179 as real clients speak it): one command,
// and for "receive job" its subcommands until the peer closes. A job is printed as soon as
// its control file and every data file it names have arrived; control and data files come
// in either order, a data file of count 0 lasts until the peer closes, an abort drops what
// the job has sent. "Print waiting jobs" and remove are acknowledged and do nothing (jobs
// print at once, and a printed job is gone); both queue-state commands get a short text.
class PLpdReceiver {
public:
    PLpdReceiver(const USockTcp& connection, const UString& peer);
    PLpdReceiver(const PLpdReceiver&) = delete;
    PLpdReceiver& operator=(const PLpdReceiver&) = delete;
    ~PLpdReceiver();

    // Serves the connection and closes it.
    void run();

    // A control file's say over one data file: how to print it, by whom, under what name.
    struct Control {
        UString user;
        UString host;
        UString documentName;
        // The data files to print, in order, one entry per print line (copies repeat).
        std::vector<std::string> files;
        std::vector<bool> direct;
    };
    // Reads a control file's lines. Values are the peer's text: quotes and control
    // characters removed, never options.
    static Control parseControl(const std::string& text);

private:
    struct DataFile {
        std::string name;
        UString stamp;
        long long bytes;
    };

    void serveCommand(const std::string& line);
    void receiveJob(const std::string& queue);
    // One subcommand; false when the connection is to end.
    bool subcommand(const std::string& line);
    bool receiveControl(long long count);
    bool receiveData(long long count, const std::string& name);
    // Prints the job when it is whole: its control file and every data file it names.
    void printIfWhole();
    // Drops every staged file of the job, with its log line when outcome is given.
    void dropJob(const char* outcome);
    long long jobBytes() const;
    void reply(char code);

    USockTcp mConnection;
    PPeerReader mReader;
    PJobRunner::Job mJob;
    std::string mQueueOptions;
    bool mHasControl;
    std::string mControlText;
    std::vector<DataFile> mData;
    bool mRefused;
};
