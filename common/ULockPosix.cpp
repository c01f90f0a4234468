#include "common/ULock.h"

#include <pthread.h>

static_assert(sizeof(pthread_mutex_t) <= 64, "ULock storage too small");

static pthread_mutex_t* mutex(unsigned char* storage)
{
    return reinterpret_cast<pthread_mutex_t*>(storage);
}

ULock::ULock()
{
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(mutex(mStorage), &attr);
    pthread_mutexattr_destroy(&attr);
}

ULock::~ULock() { pthread_mutex_destroy(mutex(mStorage)); }
void ULock::lock() { pthread_mutex_lock(mutex(mStorage)); }
void ULock::unlock() { pthread_mutex_unlock(mutex(mStorage)); }
