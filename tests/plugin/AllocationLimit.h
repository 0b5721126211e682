#pragma once
// A limit on single allocations for this test program: while one is set,
// operator new refuses any request larger than it with std::bad_alloc, as a
// 32-bit process refuses a length it cannot have. Replaces the global
// operator new of the program; without a limit it is plain malloc.

#include <cstddef>

class TAllocationLimit {
public:
    explicit TAllocationLimit(size_t LargestBytes);
    ~TAllocationLimit();
    TAllocationLimit(const TAllocationLimit&) = delete;
    TAllocationLimit& operator=(const TAllocationLimit&) = delete;

    // Requests refused while this limit was set.
    static int Refused();
};
