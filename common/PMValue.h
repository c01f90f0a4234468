#pragma once

class UString;

// A label of a pattern machine link: decides whether the link may be taken on a character.
// Values are owned and destroyed by the link that carries them, through this base.
class PMValue {
public:
    enum Type { CharType = 1, ASCIICharSetType = 2 };

    virtual int getValueType() const = 0;
    virtual void toString(UString& out) const = 0;
    // c is the character as an unsigned byte.
    virtual bool match(unsigned char c) const = 0;
    virtual ~PMValue();
};
