#pragma once

#include "common/PMValueCharacter.h"

// Accepts one given character.
class PMValueChar : public PMValueCharacter {
public:
    PMValueChar(char c, bool caseSensitive);

    int getValueType() const override;
    void toString(UString& out) const override;
    bool match(unsigned char ch) const override;

    char c;
};
