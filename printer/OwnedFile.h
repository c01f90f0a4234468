#pragma once

#include <cstdio>

// A C stream that closes itself: whoever holds one never closes it by hand on the way out.
class OwnedFile {
public:
    OwnedFile() = default;
    OwnedFile(const char* path, const char* mode) { open(path, mode); }
    ~OwnedFile() { close(); }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;

    // Closes what was open and opens path; false when it cannot be opened.
    bool open(const char* path, const char* mode)
    {
        close();
        mFile = path != nullptr ? std::fopen(path, mode) : nullptr;
        return mFile != nullptr;
    }
    // Closes the stream; false when it was not open or closing reported an error (data
    // that could not be written).
    bool close()
    {
        if (mFile == nullptr)
            return false;
        const bool ok = std::fclose(mFile) == 0;
        mFile = nullptr;
        return ok;
    }

    std::FILE* get() const { return mFile; }
    bool isOpen() const { return mFile != nullptr; }

private:
    std::FILE* mFile = nullptr;
};
