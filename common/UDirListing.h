#pragma once

#include "common/UDateTime.h"
#include "common/UString.h"

#include <cstdint>

// The operating-system seam for directory listings and file status: find-first and
// find-next of the run-time library on Windows, opendir and stat elsewhere.
// UDirListingWin.cpp and UDirListingPosix.cpp implement it; the build picks one.
class UDirListing {
public:
    enum OpenResult {
        Opened,      // the first entry is available
        Nothing,     // no entries, or no such directory: nothing to list
        InvalidName  // the platform refused the name itself
    };

    struct Entry {
        char name[512];
        std::int32_t size;
        bool archive;
        bool hidden;
        bool readOnly;
        bool directory;
        bool system;
        // Times the listing does not give stay at the default of UDateTime.
        UDateTime created;
        UDateTime modified;
        UDateTime accessed;
    };

    UDirListing();
    ~UDirListing();
    UDirListing(const UDirListing&) = delete;
    UDirListing& operator=(const UDirListing&) = delete;

    // Lists the directory dirName, which ends in a path separator ("\\" or "/").
    OpenResult open(const char* dirName);
    // Moves to the next entry; false when the listing is exhausted.
    bool next();
    void close();
    const Entry& entry() const { return mEntry; }

    // Whether a directory entry of this name exists (a file-status query succeeds).
    static bool exists(const char* path);
    // Deletes a file; false when it could not be deleted.
    static bool removeFile(const char* path);

private:
    std::intptr_t mHandle;
    UString mDir;
    Entry mEntry;
};
