#include "common/PMValueASCIICharSet.h"

#include "common/UString.h"

PMValueASCIICharSet::PMValueASCIICharSet() : PMValueHashCharSet(true)
{
    for (int i = 0; i < 128; ++i)
        table[i] = 1;
}

int PMValueASCIICharSet::getValueType() const { return ASCIICharSetType; }

void PMValueASCIICharSet::toString(UString& out) const { out = "{PMValueASCIICharSet:}"; }

bool PMValueASCIICharSet::match(unsigned char c) const
{
    if (caseSensitive)
        return member(c);
    return member(upper(c)) || member(lower(c));
}
