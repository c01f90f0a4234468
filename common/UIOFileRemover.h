#pragma once

#include "common/UIODirIterator.h"

// Deletes every file the walk hands on; directories are left alone. A file that cannot
// be deleted is skipped without a word: the walk is a best-effort cleanup.
class UIOFileRemover : public UIODirIterator {
public:
    bool processEntry(const UIODirEntry& entry) override;
};
