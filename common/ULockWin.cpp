#include "common/ULock.h"

#include <windows.h>

static_assert(sizeof(CRITICAL_SECTION) <= 64, "ULock storage too small");

static CRITICAL_SECTION* cs(unsigned char* storage)
{
    return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

ULock::ULock() { InitializeCriticalSection(cs(mStorage)); }
ULock::~ULock() { DeleteCriticalSection(cs(mStorage)); }
void ULock::lock() { EnterCriticalSection(cs(mStorage)); }
void ULock::unlock() { LeaveCriticalSection(cs(mStorage)); }
