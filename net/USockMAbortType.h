#pragma once

#include "net/USockMAbort.h"

// The abort for a message of the wrong type. On the wire it is an ordinary abort (code 4);
// its name says which kind it is, its description what was expected and what came.
class USockMAbortType : public USockMAbort {
public:
    USockMAbortType(const UString& expectedName, int expectedType, int receivedType);
};
