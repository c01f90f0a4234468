#pragma once

#include "common/PMValue.h"

// A label that accepts single characters, with or without regard to letter case.
class PMValueCharacter : public PMValue {
public:
    explicit PMValueCharacter(bool caseSensitive);
    ~PMValueCharacter() override;

    bool caseSensitive;

protected:
    // Plain ASCII case mapping, the same in every locale: names are compared the way the
    // C locale's toupper and tolower would compare them, whatever locale the program set.
    static unsigned char upper(unsigned char c);
    static unsigned char lower(unsigned char c);
};
