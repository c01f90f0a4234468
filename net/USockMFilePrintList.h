#pragma once

#include "net/USockMFile.h"

// A file message carrying the printer list "prntlist.txt", server to client.
class USockMFilePrintList : public USockMFile {
public:
    USockMFilePrintList(const UString& localName, const UString& remoteName) : USockMFile(localName, remoteName)
    {
        type = kFilePrintList;
    }
};
