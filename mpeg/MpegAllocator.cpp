#include "mpeg/MpegAllocator.h"

TMMAllocator::TMMAllocator(size_t Limit) : Limit(Limit)
{
}

TMMAllocator::~TMMAllocator()
{
    FreeAll();
}

void* TMMAllocator::Alloc(uint32_t Flags, size_t Size)
{
    TLockGuard guard(Lock);
    for (TBlockRecord& record : Blocks) {
        if (record.UseCount == 0 && record.Size == Size) {
            ++record.UseCount;
            return record.Memory.Address;
        }
    }
    for (TBlockRecord& record : Blocks) {
        if (record.UseCount == 0 && record.Size >= Size) {
            ++record.UseCount;
            return record.Memory.Address;
        }
    }
    if (Size > Limit - Obtained) {
        return nullptr;
    }
    // Every block starts zeroed, whether or not FlagZeroInit was asked for.
    TBlockRecord record;
    record.Memory = PlatformObtainMemoryBlock(Size == 0 ? 1 : Size, (Flags & FlagMoveable) != 0);
    if (!record.Memory.Address) {
        return nullptr;
    }
    record.Size = Size;
    record.UseCount = 1;
    try {
        Blocks.push_back(record);
    } catch (...) {
        PlatformFreeMemoryBlock(record.Memory);
        return nullptr;
    }
    Obtained += Size;
    return record.Memory.Address;
}

void TMMAllocator::Release(void*& Block)
{
    if (!Block) {
        return;
    }
    TLockGuard guard(Lock);
    for (TBlockRecord& record : Blocks) {
        if (record.Memory.Address == Block) {
            if (record.UseCount > 0) {
                --record.UseCount;
            }
            Block = nullptr;
            return;
        }
    }
}

void TMMAllocator::FreeAll()
{
    TLockGuard guard(Lock);
    while (!Blocks.empty()) {
        PlatformFreeMemoryBlock(Blocks.back().Memory);
        Blocks.pop_back();
    }
    Obtained = 0;
}

TMMAllocator& MMAllocator()
{
    static TMMAllocator instance;
    return instance;
}
