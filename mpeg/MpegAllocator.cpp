#include "mpeg/MpegAllocator.h"

#include <cstdlib>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

// A zeroed platform block: a locked global memory block on Windows, the C heap elsewhere.
void* ObtainPlatformBlock(uint32_t Flags, size_t Size, void*& Handle)
{
#ifdef _WIN32
    HGLOBAL Global = GlobalAlloc(UINT(Flags | TMMAllocator::FlagZeroInit), Size);
    if (!Global) return nullptr;
    void* Address = GlobalLock(Global);
    if (!Address) {
        GlobalFree(Global);
        return nullptr;
    }
    Handle = Global;
    return Address;
#else
    (void)Flags;
    Handle = nullptr;
    return std::calloc(1, Size);
#endif
}

void FreePlatformBlock(void* Address, void* Handle)
{
#ifdef _WIN32
    (void)Address;
    GlobalUnlock(HGLOBAL(Handle));
    GlobalFree(HGLOBAL(Handle));
#else
    (void)Handle;
    std::free(Address);
#endif
}

}  // namespace

TMMAllocator::TMMAllocator(size_t Limit) : Limit(Limit) {}

TMMAllocator::~TMMAllocator()
{
    FreeAll();
}

void* TMMAllocator::Alloc(uint32_t Flags, size_t Size)
{
    TLockGuard Guard(Lock);
    for (TBlockRecord& Record : Blocks)
        if (Record.UseCount == 0 && Record.Size == Size) {
            ++Record.UseCount;
            return Record.Address;
        }
    for (TBlockRecord& Record : Blocks)
        if (Record.UseCount == 0 && Record.Size >= Size) {
            ++Record.UseCount;
            return Record.Address;
        }
    if (Size > Limit - Obtained) return nullptr;
    TBlockRecord Record;
    Record.Address = ObtainPlatformBlock(Flags, Size == 0 ? 1 : Size, Record.PlatformHandle);
    if (!Record.Address) return nullptr;
    Record.Size = Size;
    Record.UseCount = 1;
    try {
        Blocks.push_back(Record);
    } catch (...) {
        FreePlatformBlock(Record.Address, Record.PlatformHandle);
        return nullptr;
    }
    Obtained += Size;
    return Record.Address;
}

void TMMAllocator::Release(void*& Block)
{
    if (!Block) return;
    TLockGuard Guard(Lock);
    for (TBlockRecord& Record : Blocks)
        if (Record.Address == Block) {
            if (Record.UseCount > 0) --Record.UseCount;
            Block = nullptr;
            return;
        }
}

void TMMAllocator::FreeAll()
{
    TLockGuard Guard(Lock);
    while (!Blocks.empty()) {
        FreePlatformBlock(Blocks.back().Address, Blocks.back().PlatformHandle);
        Blocks.pop_back();
    }
    Obtained = 0;
}

size_t TMMAllocator::BlockCount()
{
    TLockGuard Guard(Lock);
    return Blocks.size();
}

TMMAllocator& MMAllocator()
{
    static TMMAllocator Instance;
    return Instance;
}
