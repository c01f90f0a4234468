#include "common/UDirListing.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>

namespace {

const std::intptr_t kClosed = 0;

// The system's own paths are written the Windows way (".\\", "tmpLog.3..txt"); here a
// backslash is taken as the separator it means there, so both sides walk the same tree.
UString nativePath(const char* path)
{
    UString s(path);
    for (int i = 0; i < s.length(); ++i)
        if (s[i] == '\\')
            s[i] = '/';
    return s;
}

UDateTime toDateTime(std::time_t t)
{
    std::tm parts{};
    if (localtime_r(&t, &parts) == nullptr)
        return UDateTime();
    return UDateTime(parts.tm_sec, parts.tm_min, parts.tm_hour, parts.tm_mday, parts.tm_mon + 1,
                     parts.tm_year + 1900);
}

DIR* dirOf(std::intptr_t h) { return reinterpret_cast<DIR*>(h); }

} // namespace

UDirListing::UDirListing() : mHandle(kClosed), mEntry() {}

UDirListing::~UDirListing() { close(); }

UDirListing::OpenResult UDirListing::open(const char* dirName)
{
    close();
    mDir = nativePath(dirName);
    // The Windows listing takes the name as a search pattern and refuses wildcards and the
    // characters Windows names cannot hold; refusing them here keeps both sides alike.
    if (std::strpbrk(mDir.str(), "*?<>|\"") != nullptr)
        return InvalidName;
    // opendir("") fails, while the Windows listing of "*" is the current directory.
    DIR* d = opendir(mDir.isEmpty() ? "." : mDir.str());
    if (d == nullptr)
        return errno == EINVAL || errno == ENAMETOOLONG ? InvalidName : Nothing;
    mHandle = reinterpret_cast<std::intptr_t>(d);
    if (!next()) {
        close();
        return Nothing;
    }
    return Opened;
}

bool UDirListing::next()
{
    if (mHandle == kClosed)
        return false;
    const dirent* de = readdir(dirOf(mHandle));
    if (de == nullptr)
        return false;
    Entry& e = mEntry;
    e = Entry();
    std::snprintf(e.name, sizeof e.name, "%s", de->d_name);
    UString full(mDir);
    full += de->d_name;
    struct stat st;
    // An entry that vanished since the listing read it keeps the empty attributes.
    if (lstat(full.str(), &st) == 0) {
        e.size = static_cast<std::int32_t>(st.st_size);
        e.directory = S_ISDIR(st.st_mode);
        e.readOnly = (st.st_mode & S_IWUSR) == 0;
        // POSIX keeps no creation time; the status change time is the nearest it has.
        e.created = toDateTime(st.st_ctime);
        e.modified = toDateTime(st.st_mtime);
        e.accessed = toDateTime(st.st_atime);
    }
    e.hidden = de->d_name[0] == '.';
    return true;
}

void UDirListing::close()
{
    if (mHandle != kClosed)
        closedir(dirOf(mHandle));
    mHandle = kClosed;
}

bool UDirListing::exists(const char* path)
{
    struct stat st;
    return stat(nativePath(path).str(), &st) == 0;
}

bool UDirListing::removeFile(const char* path) { return std::remove(nativePath(path).str()) == 0; }
