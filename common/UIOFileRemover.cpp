#include "common/UIOFileRemover.h"

#include "common/UDirListing.h"
#include "common/UIODirEntry.h"

bool UIOFileRemover::processEntry(const UIODirEntry& entry, int /*depth*/)
{
    if (entry.isDirectory())
        return true;
    UDirListing::removeFile(entry.path.str());
    return true;
}
