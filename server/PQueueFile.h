#pragma once

#include <map>
#include <string>

// The queues of the LPD and raw-socket front ends: which print-program options a job sent
// to a queue name is printed with. One queue a line, "NAME OPTION...", the options exactly
// as a client's command line would carry them. A first line "* OPTION..." gives the options
// of every queue not named; without it an unknown queue is refused. Empty lines and lines
// that begin with "#" say nothing. The file is read for every job, so an administrator's
// change holds from the next job on without a restart.
class PQueueFile {
public:
    PQueueFile();

    // Reads the file; false when it cannot be read, and then no queue is known.
    bool load(const char* path);
    // The file's text, lines ended by LF or CR LF.
    void parse(const std::string& text);

    // The options of queue name: its own line's, else the "*" line's. False when neither
    // exists.
    bool find(const std::string& name, std::string& options) const;

private:
    std::map<std::string, std::string> mQueues;
    bool mHasDefault;
    std::string mDefault;
};
