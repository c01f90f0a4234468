#pragma once

#include "net/USockMFile.h"

// A file message carrying the font list "fontlist.txt", server to client.
class USockMFileFontList : public USockMFile {
public:
    USockMFileFontList(const UString& localName, const UString& remoteName) : USockMFile(localName, remoteName)
    {
        type = kFileFontList;
    }
};
