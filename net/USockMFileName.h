#pragma once

#include "net/USockMFile.h"

// A file message carrying the file to print, client to server.
class USockMFileName : public USockMFile {
public:
    USockMFileName(const UString& localName, const UString& remoteName) : USockMFile(localName, remoteName)
    {
        type = kFileName;
    }
};
