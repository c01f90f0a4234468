#pragma once

#include "common/ULog.h"
#include "common/UMemory.h"

#include <cstdlib>
#include <cstring>
#include <type_traits>

// The growable array of both programs. It holds small value types (ints, pointers) and
// owns only its storage: an owner that keeps pointers deletes what they point to itself,
// then empties the vector by setting noEl to 0. Capacity counts bytes; every growth adds
// `step` spare bytes. Storage that cannot grow is a false result; an index beyond the
// count ends the process through an alert, as a bad index can only be a programming fault.
template <class T>
class UVector {
    static_assert(std::is_trivially_copyable<T>::value, "UVector holds plain values");

public:
    UVector()
    {
        if (!alloc(10))
            UMemory::exhausted("UVector::UVector(): this->alloc(10): memory error");
        step = 100;
    }

    virtual ~UVector() { std::free(data); }

    UVector(const UVector&) = delete;
    UVector& operator=(const UVector&) = delete;

    bool alloc(int size)
    {
        if (size <= capacity)
            return true;
        const long long wanted = static_cast<long long>(size) + step;
        if (wanted > 0x7fffffffLL)
            return false;
        T* fresh = static_cast<T*>(std::malloc(static_cast<size_t>(wanted)));
        if (fresh == nullptr)
            return false;
        if (capacity > 0)
            std::memcpy(static_cast<void*>(fresh), data, static_cast<size_t>(capacity));
        std::free(data);
        data = fresh;
        capacity = static_cast<int>(wanted);
        return true;
    }

    bool add(const T& x)
    {
        const int i = noEl;
        const long long bytes = (static_cast<long long>(i) + 1) * static_cast<long long>(sizeof(T));
        if (bytes > 0x7fffffffLL || !alloc(static_cast<int>(bytes)))
            return false;
        data[i] = x;
        noEl = i + 1;
        return true;
    }

    T& operator[](int i)
    {
        // Unsigned, so a negative index is caught as well.
        if (static_cast<unsigned>(i) >= static_cast<unsigned>(noEl))
            ULog::fatal("UVector::operator[](): if( index>=noEl ): passed beyond array limit");
        return data[i];
    }

    const T& operator[](int i) const { return const_cast<UVector*>(this)->operator[](i); }

    int size() const { return noEl; }

    T* data = nullptr;
    int capacity = 0;
    int noEl = 0;
    int step = 0;
};
