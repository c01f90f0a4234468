// The Windows side of the client's file seam, on the C run-time's low-level calls.
#include "client/ClientFiles.h"

#include <cerrno>
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

ClientFiles::Creation ClientFiles::createNew(const std::string& path)
{
    const int fd = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return errno == EEXIST ? Exists : Failed;
    ::_close(fd);
    return Created;
}

bool ClientFiles::isDirectory(const std::string& path)
{
    // Unlike the run-time's _stat, this takes a path with a trailing backslash.
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ClientFiles::makeDirectory(const std::string& path) { return ::_mkdir(path.c_str()) == 0; }

bool ClientFiles::isTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

bool ClientFiles::isSeparator(char c) { return c == '/' || c == '\\'; }

char ClientFiles::separator() { return '\\'; }
