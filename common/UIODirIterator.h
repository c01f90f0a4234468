#pragma once

#include "common/UString.h"

class PMMachineWildcard;
class UIODirEntry;

// Walks a directory, optionally down into its subdirectories, and hands every entry that
// passes the wildcard filters to processEntry, which a subclass supplies. Directories are
// handed on before the walk descends into them. Configure once, start any number of times.
class UIODirIterator {
public:
    UIODirIterator();
    UIODirIterator(const UIODirIterator&) = delete;
    UIODirIterator& operator=(const UIODirIterator&) = delete;

    // path names a directory and ends in a separator (".\\", "C:\\temp\\", "sub/").
    // False when the path is refused, a filter cannot be allocated, or the platform
    // refuses the directory's name.
    virtual bool start(const UString& path);
    // depth: 0 for entries of the start directory, one more per level below.
    // False stops the listing of the directory at hand.
    virtual bool processEntry(const UIODirEntry& entry, int depth) = 0;
    virtual ~UIODirIterator();

    void setRecursive(bool on) { mRecursive = on; }
    void setDescendIntoRejected(bool on) { mDescendIntoRejected = on; }
    void setCaseSensitive(bool on) { mCaseSensitive = on; }
    void setFileFilter(const UString& pattern);
    void setDirFilter(const UString& pattern);
    bool fileFilterOn() const { return mFileFilterOn; }
    bool dirFilterOn() const { return mDirFilterOn; }

protected:
    bool iterateDir(const UString& dirName, int depth);

private:
    // Makes one filter machine; false only when it cannot be allocated. A pattern that
    // cannot be built switches its filter off for good.
    bool makeFilter(PMMachineWildcard*& filter, bool& on, const UString& pattern, const char* noMemory,
                    const char* noBuild);
    void releaseFilters();

    bool mRecursive;
    bool mDescendIntoRejected;
    bool mDirFilterOn;
    bool mFileFilterOn;
    UString mDirPattern;
    UString mFilePattern;
    PMMachineWildcard* mFileFilter;
    PMMachineWildcard* mDirFilter;
    bool mCaseSensitive;
};
