#include <gtest/gtest.h>

#include <memory>

#include "mpeg/layer3/MpegBitReserve.h"
#include "tests/support/BitWriter.h"

TEST(BitReserve, ReadsFieldsAcrossBytesMostSignificantFirst)
{
    TBitWriter Writer;
    Writer.Put(5, 3);
    Writer.Put(0x1ABCD, 17);
    Writer.Put(0xDEADBEEF, 32);
    Writer.Put(1, 1);
    auto Reservoir = std::make_unique<TBitReserve>();
    Writer.CopyTo(*Reservoir);
    EXPECT_EQ(Reservoir->ReadBits(3), 5u);
    EXPECT_EQ(Reservoir->PeekBits(17), 0x1ABCDu);
    EXPECT_EQ(Reservoir->ReadBits(17), 0x1ABCDu);
    EXPECT_EQ(Reservoir->ReadBits(32), 0xDEADBEEFu);
    EXPECT_EQ(Reservoir->ReadBits(1), 1u);
    EXPECT_EQ(Reservoir->ReadBits(0), 0u);
    EXPECT_EQ(Reservoir->BitsRead(), 53);
}

TEST(BitReserve, RewindsBitsAndBytes)
{
    auto Reservoir = std::make_unique<TBitReserve>();
    for (uint32_t Value : {0x12u, 0x34u, 0x56u})
        Reservoir->PutByte(Value);
    EXPECT_EQ(Reservoir->ReadBits(12), 0x123u);
    Reservoir->RewindBits(4);
    EXPECT_EQ(Reservoir->BitsRead(), 8);
    EXPECT_EQ(Reservoir->ReadBits(8), 0x34u);
    Reservoir->RewindBytes(2);
    EXPECT_EQ(Reservoir->BitsRead(), 0);
    EXPECT_EQ(Reservoir->ReadBits(16), 0x1234u);
}

TEST(BitReserve, WrapsAroundTheRing)
{
    auto Reservoir = std::make_unique<TBitReserve>();
    // Fill past the end of the ring: the reads continue at the ring's start.
    for (int32_t i = 0; i < TBitReserve::Size + 2; ++i)
        Reservoir->PutByte(static_cast<uint32_t>(i & 0xFF));
    // The two bytes beyond the ring overwrote its first two entries.
    EXPECT_EQ(Reservoir->ReadBits(16), 0x0001u);
    for (int32_t i = 2; i < TBitReserve::Size - 1; ++i)
        Reservoir->ReadBits(8);
    EXPECT_EQ(Reservoir->ReadBits(24), 0xFF0001u);
    EXPECT_EQ(Reservoir->BitsRead(), (TBitReserve::Size + 2) * 8);
    Reservoir->RewindBytes(TBitReserve::Size);
    EXPECT_EQ(Reservoir->BitsRead(), 16);
    EXPECT_EQ(Reservoir->ReadBits(8), 0x02u);
    // Rewinding before the ring's start wraps to its end.
    Reservoir->RewindBytes(4);
    EXPECT_EQ(Reservoir->ReadBits(8), 0xFFu);
}
