#pragma once

#include "net/USockMFile.h"

// A file message carrying the version file "version.txt", server to client.
class USockMFileVersion : public USockMFile {
public:
    USockMFileVersion(const UString& localName, const UString& remoteName) : USockMFile(localName, remoteName)
    {
        type = kFileVersion;
    }
};
