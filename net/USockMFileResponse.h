#pragma once

#include "net/USockMFile.h"

// A file message carrying the response file of a job that ran a process, server to client.
class USockMFileResponse : public USockMFile {
public:
    USockMFileResponse(const UString& localName, const UString& remoteName) : USockMFile(localName, remoteName)
    {
        type = kFileResponse;
    }
};
