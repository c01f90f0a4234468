#include "common/UDirListing.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <io.h>
#include <sys/stat.h>
#include <time.h>

namespace {

const std::intptr_t kClosed = -1;

UDateTime toDateTime(__time64_t t)
{
    // An entry without this time reports -1, which has no local-time breakdown.
    if (t < 0)
        return UDateTime();
    tm parts{};
    if (_localtime64_s(&parts, &t) != 0)
        return UDateTime();
    return UDateTime(parts.tm_sec, parts.tm_min, parts.tm_hour, parts.tm_mday, parts.tm_mon + 1,
                     parts.tm_year + 1900);
}

void fill(UDirListing::Entry& e, const __finddata64_t& fd)
{
    std::snprintf(e.name, sizeof e.name, "%s", fd.name);
    e.size = static_cast<std::int32_t>(fd.size);
    e.archive = (fd.attrib & _A_ARCH) != 0;
    e.hidden = (fd.attrib & _A_HIDDEN) != 0;
    e.readOnly = (fd.attrib & _A_RDONLY) != 0;
    e.directory = (fd.attrib & _A_SUBDIR) != 0;
    e.system = (fd.attrib & _A_SYSTEM) != 0;
    e.created = toDateTime(fd.time_create);
    e.modified = toDateTime(fd.time_write);
    e.accessed = toDateTime(fd.time_access);
}

} // namespace

UDirListing::UDirListing() : mHandle(kClosed), mEntry() {}

UDirListing::~UDirListing() { close(); }

UDirListing::OpenResult UDirListing::open(const char* dirName)
{
    close();
    UString search(dirName);
    search += "*";
    __finddata64_t fd;
    errno = 0;
    const std::intptr_t h = _findfirst64(search.str(), &fd);
    if (h == -1)
        return errno == EINVAL ? InvalidName : Nothing;
    mHandle = h;
    fill(mEntry, fd);
    return Opened;
}

bool UDirListing::next()
{
    if (mHandle == kClosed)
        return false;
    __finddata64_t fd;
    if (_findnext64(mHandle, &fd) != 0)
        return false;
    fill(mEntry, fd);
    return true;
}

void UDirListing::close()
{
    if (mHandle != kClosed)
        _findclose(mHandle);
    mHandle = kClosed;
}

bool UDirListing::exists(const char* path)
{
    struct _stat64 st;
    return _stat64(path, &st) == 0;
}

bool UDirListing::removeFile(const char* path) { return std::remove(path) == 0; }
