#include "common/UIOFileRemover.h"

#include "common/UDirListing.h"
#include "common/UIODirEntry.h"

bool UIOFileRemover::processEntry(const UIODirEntry& entry)
{
    if (entry.attributes.directory)
        return true;
    UDirListing::removeFile(entry.path.str());
    return true;
}
