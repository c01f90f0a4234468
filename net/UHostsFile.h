#pragma once

#include "common/UString.h"

#include <cstdio>

// Reads the hosts file the way the server's name lookup needs it: one entry line at a time,
// address column first, name column second. The file is opened and closed within each
// operation; a missing or unreadable file simply has no entries.
class UHostsFile {
public:
    // The hosts file of this machine: %winbootdir%\hosts, else C:\WINDOWS\hosts.
    UHostsFile();
    // A hosts file at the given path.
    explicit UHostsFile(const UString& filePath);
    ~UHostsFile();
    UHostsFile(const UHostsFile&) = delete;
    UHostsFile& operator=(const UHostsFile&) = delete;

    static UString defaultPath();

    bool readEntry();
    bool getEntry(int index, UString& entryAddress, UString& entryName);
    int find(const UString& text, UString& entryAddress, UString& entryName);

    // "" when the file could not be opened.
    UString path;
    UString line;

private:
    void checkPath();
    // The two first blank-separated columns of line.
    void splitLine(UString& first, UString& second) const;

    std::FILE* file = nullptr;
};
