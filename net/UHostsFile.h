#pragma once

#include "common/UString.h"

// Looks a name up in the hosts file the way the server's name lookup needs it: each entry
// line gives an address column first and a name column second. A missing or unreadable
// file simply has no entries.
class UHostsFile {
public:
    // The hosts file of this machine: %winbootdir%\hosts, else C:\WINDOWS\hosts.
    UHostsFile();
    // A hosts file at the given path.
    explicit UHostsFile(const UString& filePath);

    static UString defaultPath();

    // The first entry whose address or name is text, in one pass over the file: hosts
    // files that block advertising hold a hundred thousand lines and more. The entry's
    // index among the entries, or -1.
    int find(const UString& text, UString& entryAddress, UString& entryName) const;

private:
    UString mPath;
};
