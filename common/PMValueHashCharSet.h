#pragma once

#include "common/PMValueCharacter.h"

// A label that accepts a set of characters, kept as a membership table indexed by the
// character's byte value.
class PMValueHashCharSet : public PMValueCharacter {
public:
    explicit PMValueHashCharSet(bool caseSensitive);

protected:
    bool member(unsigned char c) const { return table[c] != 0; }

    unsigned char table[256];
};
