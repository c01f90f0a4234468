#include "common/UMemory.h"

#include "common/ULog.h"

#include <new>

void UMemory::exhausted(const char* where) { ULog::fatal(where); }

void UMemory::endOnFailedNew()
{
    std::set_new_handler([] { exhausted("operator new: memory allocation error"); });
}
