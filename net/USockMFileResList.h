#pragma once

#include "net/USockMFile.h"

// A file message carrying the resolution list "reslist.txt", server to client.
class USockMFileResList : public USockMFile {
public:
    USockMFileResList(const UString& localName, const UString& remoteName) : USockMFile(localName, remoteName)
    {
        type = kFileResList;
    }
};
