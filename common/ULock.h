#pragma once

// A process-wide lock that the thread holding it may take again: the log's alert path
// re-enters it when a string allocation fails while a line is being formatted.
class ULock {
public:
    ULock();
    ~ULock();
    ULock(const ULock&) = delete;
    ULock& operator=(const ULock&) = delete;

    void lock();
    void unlock();

private:
    // Room for the platform's own lock object (a CRITICAL_SECTION or a pthread mutex),
    // so this header needs no system header.
    alignas(8) unsigned char mStorage[64];
};

// Holds a ULock for the length of a scope.
class ULockGuard {
public:
    explicit ULockGuard(ULock& l) : mLock(l) { mLock.lock(); }
    ~ULockGuard() { mLock.unlock(); }
    ULockGuard(const ULockGuard&) = delete;
    ULockGuard& operator=(const ULockGuard&) = delete;

private:
    ULock& mLock;
};
