// The Windows side of the client's file seam, on the C run-time's low-level calls.
#include "client/ClientFiles.h"

#include <cerrno>
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

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
    struct _stat st;
    return ::_stat(path.c_str(), &st) == 0 && (st.st_mode & _S_IFDIR) != 0;
}

bool ClientFiles::makeDirectory(const std::string& path) { return ::_mkdir(path.c_str()) == 0; }

bool ClientFiles::isTerminal(std::FILE* stream) { return ::_isatty(::_fileno(stream)) != 0; }

bool ClientFiles::isSeparator(char c) { return c == '/' || c == '\\'; }
