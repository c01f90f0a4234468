#include "common/PMValueCharacter.h"

PMValueCharacter::PMValueCharacter(bool cs) : caseSensitive(cs) {}

PMValueCharacter::~PMValueCharacter() = default;

unsigned char PMValueCharacter::upper(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

unsigned char PMValueCharacter::lower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
