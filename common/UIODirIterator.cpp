#include "common/UIODirIterator.h"

#include "common/PMMachineWildcard.h"
#include "common/UDirListing.h"
#include "common/UIODirEntry.h"
#include "common/ULock.h"
#include "common/ULog.h"

#include <cstring>
#include <new>

namespace {

ULock& listingLock()
{
    static ULock lock;
    return lock;
}

// The second process-wide lock: it serialises the opening of listings across all
// iterators and threads, and must exist before the entry function runs.
[[maybe_unused]] ULock& gListingLockBeforeMain = listingLock();

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The path as the platform's path splitting sees it: an optional drive ("C:"), a
// directory part up to the last separator, and a file name with its extension. Only a
// path whose last two parts are empty names a directory to walk.
bool namesDirectory(const char* path)
{
    const size_t n = std::strlen(path);
    if (n == 0)
        return true;
    if (isSeparator(path[n - 1]))
        return true;
    return n == 2 && path[1] == ':';
}

} // namespace

UIODirIterator::UIODirIterator() : mFileFilterOn(false) {}

UIODirIterator::~UIODirIterator() = default;

void UIODirIterator::setFileFilter(const UString& pattern)
{
    mFilePattern = pattern;
    mFileFilterOn = true;
}

bool UIODirIterator::makeFilter()
{
    mFileFilter.reset(new (std::nothrow) PMMachineWildcard);
    if (mFileFilter == nullptr) {
        ULog::write("UIODirIterator::iterateDir(): mFileFilter==NULL: memory allocation error", ULog::Warning);
        return false;
    }
    mFileFilter->setPattern(mFilePattern.str());
    mFileFilter->caseSensitive = false;
    if (!mFileFilter->build()) {
        ULog::write("UIODirIterator::iterateDir(): !mFileFilter->build(): could not buile file filter machine",
                    ULog::Warning);
        mFileFilterOn = false;
        mFileFilter.reset();
    }
    return true;
}

bool UIODirIterator::start(const UString& path)
{
    if (!namesDirectory(path.str())) {
        ULog::write("UIODirIterator::start: path is invalid", ULog::Error);
        return false;
    }
    mFileFilter.reset();
    if (mFileFilterOn && !makeFilter())
        return false;
    const bool result = iterateDir(path);
    mFileFilter.reset();
    return result;
}

bool UIODirIterator::iterateDir(const UString& dirName)
{
    UDirListing listing;
    UDirListing::OpenResult opened;
    {
        ULockGuard guard(listingLock());
        opened = listing.open(dirName.str());
    }
    if (opened == UDirListing::InvalidName) {
        ULog::write("UIODirIterator::iterateDir: _findfirst(): dirName is invalid", ULog::Error);
        return false;
    }
    if (opened == UDirListing::Nothing)
        return true;

    do {
        const UDirListing::Entry& e = listing.entry();
        if (std::strcmp(e.name, ".") == 0 || std::strcmp(e.name, "..") == 0)
            continue;
        if (mFileFilter != nullptr && !e.directory && !mFileFilter->match(e.name))
            continue;
        UIODirEntry entry;
        entry.size = e.size;
        entry.path = dirName;
        entry.path += e.name;
        entry.attributes.archive = e.archive;
        entry.attributes.hidden = e.hidden;
        entry.attributes.readOnly = e.readOnly;
        entry.attributes.directory = e.directory;
        entry.attributes.system = e.system;
        entry.created = e.created;
        entry.modified = e.modified;
        entry.accessed = e.accessed;
        if (!processEntry(entry))
            return true;
    } while (listing.next());
    return true;
}
