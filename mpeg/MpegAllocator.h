#pragma once
// Recycling allocator of decoder handle blocks: blocks handed back stay allocated
// and are given out again (exact size first, then the first one large enough).

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/PlatformLock.h"
#include "platform/PlatformMemory.h"

class TMMAllocator {
public:
    static constexpr uint32_t FlagMoveable = 0x0002;  // the platform may move the block while unlocked
    static constexpr uint32_t FlagZeroInit = 0x0040;  // the block starts zeroed

    // Limit caps the bytes taken from the platform; beyond it Alloc answers null.
    explicit TMMAllocator(size_t Limit = std::numeric_limits<size_t>::max());
    ~TMMAllocator();
    TMMAllocator(const TMMAllocator&) = delete;
    TMMAllocator& operator=(const TMMAllocator&) = delete;

    // A block of at least Size bytes, or null when the platform refuses one.
    void* Alloc(uint32_t Flags, size_t Size);
    // Hands a block back for reuse and clears the pointer; unknown blocks are left alone.
    void Release(void*& Block);
    // Returns every block to the platform.
    void FreeAll();

private:
    struct TBlockRecord {
        TPlatformMemoryBlock Memory;  // the block, with the address the caller sees
        size_t Size = 0;              // its size in bytes
        int32_t UseCount = 0;         // 0 = free for reuse
    };

    std::vector<TBlockRecord> Blocks;  // every block obtained, in order of allocation
    TCriticalSection Lock;             // guards Blocks and Obtained
    size_t Limit;                      // most bytes that may be taken from the platform
    size_t Obtained = 0;               // bytes taken from the platform so far
};

// The process-wide allocator of decoder handles.
TMMAllocator& MMAllocator();
