#pragma once

#include <cstdio>

// A C stream that closes itself: every path out of a function that opened a file leaves it
// closed. close() is for writers that must know whether the last bytes reached the disk.
class UFile {
public:
    UFile(const char* path, const char* mode);
    ~UFile();
    UFile(const UFile&) = delete;
    UFile& operator=(const UFile&) = delete;

    // Null when the file could not be opened.
    std::FILE* get() const { return mFile; }
    bool isOpen() const { return mFile != nullptr; }
    // False when the stream was not open or closing it failed.
    bool close();

private:
    std::FILE* mFile;
};
