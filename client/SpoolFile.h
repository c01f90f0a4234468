#pragma once

#include <cstdio>
#include <string>

// A temporary copy of a stream whose size cannot be known beforehand (standard input, a
// pipe, /dev/stdin): the wire gives a document's size before its content, so such a
// document is spooled to a file of its own first. The file goes with the object.
class SpoolFile {
public:
    SpoolFile() = default;
    SpoolFile(const SpoolFile&) = delete;
    SpoolFile& operator=(const SpoolFile&) = delete;
    ~SpoolFile();

    // Whether path must be spooled before it is sent: it opens but has no size to seek to.
    static bool needed(const std::string& path);
    // Copies in to a new file in the temporary directory; false (error says why) when it
    // cannot be made or written.
    bool copy(std::FILE* in, std::string& error);
    const std::string& path() const { return mPath; }

private:
    std::string mPath;
};
