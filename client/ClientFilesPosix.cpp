// The POSIX side of the client's file seam.
#include "client/ClientFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ClientFiles::Creation ClientFiles::createNew(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (fd < 0)
        return errno == EEXIST ? Exists : Failed;
    ::close(fd);
    return Created;
}

bool ClientFiles::isDirectory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ClientFiles::makeDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool ClientFiles::isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

bool ClientFiles::isSeparator(char c) { return c == '/'; }

char ClientFiles::separator() { return '/'; }
