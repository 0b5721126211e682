#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "platform/PlatformMemory.h"

namespace {

bool AllZero(const void* Address, size_t Size)
{
    const auto* bytes = static_cast<const unsigned char*>(Address);
    for (size_t i = 0; i < Size; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

// The decoder's handle record is built in such a block and counts on starting
// from zero: a block that was used and freed must not come back dirty.
TEST(PlatformMemory, EveryBlockStartsZeroedEvenWhereAFreedOneWas)
{
    for (const bool moveable : {true, false}) {
        for (const size_t size : {size_t{1}, size_t{24}, size_t{3000}, size_t{200000}}) {
            for (int round = 0; round < 3; ++round) {
                const TPlatformMemoryBlock block = PlatformObtainMemoryBlock(size, moveable);
                ASSERT_NE(block.Address, nullptr) << size;
                EXPECT_TRUE(AllZero(block.Address, size)) << "size " << size << " moveable " << moveable;
                std::memset(block.Address, 0xA5, size);
                PlatformFreeMemoryBlock(block);
            }
        }
    }
}

// The handle record holds doubles and pointers and is placed at the block's
// start; a moveable block stays where it was locked while it is in use.
TEST(PlatformMemory, BlocksAreAlignedForRecordsAndKeepTheirContent)
{
    constexpr size_t size = 4096;
    TPlatformMemoryBlock blocks[2] = {PlatformObtainMemoryBlock(size, true), PlatformObtainMemoryBlock(size, false)};
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(blocks[i].Address, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(blocks[i].Address) % alignof(double), 0u);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(blocks[i].Address) % alignof(void*), 0u);
        std::memset(blocks[i].Address, 0x30 + i, size);
    }
    EXPECT_NE(blocks[0].Address, blocks[1].Address);
    for (int i = 0; i < 2; ++i) {
        const auto* bytes = static_cast<const unsigned char*>(blocks[i].Address);
        EXPECT_EQ(bytes[0], 0x30 + i);
        EXPECT_EQ(bytes[size - 1], 0x30 + i);
        PlatformFreeMemoryBlock(blocks[i]);
    }
}

}  // namespace
