#pragma once

#include "common/UDateTime.h"
#include "common/UString.h"

#include <cstdint>

// One entry of a directory walk as the iterator hands it on: its path (the listed
// directory as given, then the name), size, attributes and times.
class UIODirEntry {
public:
    struct Attributes {
        bool archive = false;
        bool hidden = false;
        bool readOnly = false;
        // Two places of the record that no listing fills; they read false.
        bool spare1 = false;
        bool spare2 = false;
        bool directory = false;
        bool system = false;
    };

    std::int32_t size = 0;
    UString path;
    Attributes attributes;
    UDateTime created;
    UDateTime modified;
    UDateTime accessed;
};
