#include "common/PMValueHashCharSet.h"

#include <cstring>

PMValueHashCharSet::PMValueHashCharSet(bool cs) : PMValueCharacter(cs)
{
    std::memset(table, 0, sizeof table);
}
