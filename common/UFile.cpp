#include "common/UFile.h"

UFile::~UFile() { close(); }

bool UFile::open(const char* path, const char* mode)
{
    close();
    mFile = path != nullptr ? std::fopen(path, mode) : nullptr;
    return mFile != nullptr;
}

bool UFile::close()
{
    std::FILE* f = mFile;
    mFile = nullptr;
    return f != nullptr && std::fclose(f) == 0;
}
