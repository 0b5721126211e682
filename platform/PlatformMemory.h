#pragma once
// Blocks of memory taken from the system itself rather than the C++ heap:
// Windows' global memory blocks, locked to an address; natively the C heap.

#include <cstddef>

struct TPlatformMemoryBlock {
    void* Address = nullptr;  // null when the system refused the block
    void* Handle = nullptr;   // the system's own handle of it (Windows: HGLOBAL)
};

// A zeroed block of Size bytes (Size > 0). A moveable block may be moved by
// the system while it is not locked; it stays locked until it is freed.
TPlatformMemoryBlock PlatformObtainMemoryBlock(size_t Size, bool Moveable);
void PlatformFreeMemoryBlock(const TPlatformMemoryBlock& Block);
