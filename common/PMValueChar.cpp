#include "common/PMValueChar.h"

#include "common/UString.h"

PMValueChar::PMValueChar(char ch, bool cs) : PMValueCharacter(cs), c(ch) {}

int PMValueChar::getValueType() const { return CharType; }

void PMValueChar::toString(UString& out) const
{
    out = "{PMValueChar: c='";
    out += c;
    out += "'}";
}

bool PMValueChar::match(unsigned char ch) const
{
    const unsigned char own = static_cast<unsigned char>(c);
    if (caseSensitive)
        return ch == own;
    return upper(ch) == upper(own);
}
