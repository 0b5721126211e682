#include "tests/plugin/AllocationLimit.h"

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>

namespace {

std::atomic<size_t> Largest{std::numeric_limits<size_t>::max()};
std::atomic<int> RefusedCount{0};

void* Allocate(size_t Bytes)
{
    if (Bytes > Largest.load(std::memory_order_relaxed)) {
        ++RefusedCount;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(Bytes == 0 ? 1 : Bytes)) {
        return p;
    }
    throw std::bad_alloc();
}

}  // namespace

TAllocationLimit::TAllocationLimit(size_t LargestBytes)
{
    RefusedCount = 0;
    Largest = LargestBytes;
}

TAllocationLimit::~TAllocationLimit()
{
    Largest = std::numeric_limits<size_t>::max();
}

int TAllocationLimit::Refused()
{
    return RefusedCount.load();
}

void* operator new(size_t Bytes)
{
    return Allocate(Bytes);
}
void* operator new[](size_t Bytes)
{
    return Allocate(Bytes);
}
void operator delete(void* P) noexcept
{
    std::free(P);
}
void operator delete[](void* P) noexcept
{
    std::free(P);
}
void operator delete(void* P, size_t) noexcept
{
    std::free(P);
}
void operator delete[](void* P, size_t) noexcept
{
    std::free(P);
}
