#include "platform/PlatformMemory.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

TPlatformMemoryBlock PlatformObtainMemoryBlock(size_t Size, bool Moveable)
{
    const HGLOBAL global = GlobalAlloc((Moveable ? GMEM_MOVEABLE : GMEM_FIXED) | GMEM_ZEROINIT, Size);
    if (!global) {
        return {};
    }
    void* address = GlobalLock(global);
    if (!address) {
        GlobalFree(global);
        return {};
    }
    return {address, global};
}

void PlatformFreeMemoryBlock(const TPlatformMemoryBlock& Block)
{
    if (!Block.Handle) {
        return;
    }
    GlobalUnlock(static_cast<HGLOBAL>(Block.Handle));
    GlobalFree(static_cast<HGLOBAL>(Block.Handle));
}
