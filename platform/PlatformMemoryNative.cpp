#include "platform/PlatformMemory.h"

#include <cstdlib>

TPlatformMemoryBlock PlatformObtainMemoryBlock(size_t Size, bool)
{
    // Nothing here ever moves a block.
    return {std::calloc(1, Size), nullptr};
}

void PlatformFreeMemoryBlock(const TPlatformMemoryBlock& Block)
{
    std::free(Block.Address);
}
