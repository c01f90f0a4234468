#include "net/USockMAbortType.h"

USockMAbortType::USockMAbortType(const UString& expectedName, int expectedType, int receivedType)
{
    name = "USockMAbortType";
    error = "Wrong message type received";
    UString d("Expected type was ");
    d += expectedName;
    d += " (";
    d += UString(expectedType);
    d += "); received type was ";
    d += UString(receivedType);
    description = d;
}
