#pragma once

#include "common/UString.h"

#include <memory>

class PMMachineWildcard;
class UIODirEntry;

// Walks one directory and hands every directory and every file that passes the wildcard
// file filter (case-insensitive) to processEntry, which a subclass supplies. Configure
// once, start any number of times.
class UIODirIterator {
public:
    UIODirIterator();
    UIODirIterator(const UIODirIterator&) = delete;
    UIODirIterator& operator=(const UIODirIterator&) = delete;

    // path names a directory and ends in a separator (".\\", "C:\\temp\\", "sub/").
    // False when the path is refused, a filter cannot be allocated, or the platform
    // refuses the directory's name.
    virtual bool start(const UString& path);
    // False stops the listing.
    virtual bool processEntry(const UIODirEntry& entry) = 0;
    virtual ~UIODirIterator();

    void setFileFilter(const UString& pattern);

private:
    bool iterateDir(const UString& dirName);
    // Makes the filter machine; false only when it cannot be allocated. A pattern that
    // cannot be built switches the filter off for good.
    bool makeFilter();

    bool mFileFilterOn;
    UString mFilePattern;
    std::unique_ptr<PMMachineWildcard> mFileFilter;
};
