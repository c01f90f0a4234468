#include "common/UFile.h"

UFile::UFile(const char* path, const char* mode) : mFile(std::fopen(path, mode)) {}

UFile::~UFile() { close(); }

bool UFile::close()
{
    std::FILE* f = mFile;
    mFile = nullptr;
    return f != nullptr && std::fclose(f) == 0;
}
