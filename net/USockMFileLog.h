#pragma once

#include "net/USockMFile.h"

// A file message carrying the log file of a job, server to client.
class USockMFileLog : public USockMFile {
public:
    USockMFileLog(const UString& localName, const UString& remoteName) : USockMFile(localName, remoteName)
    {
        type = kFileLog;
    }
};
