#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "mpeg/layer3/MpegBitReserve.h"
#include "tests/support/BitWriter.h"

TEST(BitReserve, ReadsFieldsAcrossBytesMostSignificantFirst)
{
    TBitWriter writer;
    writer.Put(5, 3);
    writer.Put(0x1ABCD, 17);
    writer.Put(0xDEADBEEF, 32);
    writer.Put(1, 1);
    auto reservoir = std::make_unique<TBitReserve>();
    writer.CopyTo(*reservoir);
    EXPECT_EQ(reservoir->ReadBits(3), 5u);
    EXPECT_EQ(reservoir->PeekBits(17), 0x1ABCDu);
    EXPECT_EQ(reservoir->ReadBits(17), 0x1ABCDu);
    EXPECT_EQ(reservoir->ReadBits(32), 0xDEADBEEFu);
    EXPECT_EQ(reservoir->ReadBits(1), 1u);
    EXPECT_EQ(reservoir->ReadBits(0), 0u);
    EXPECT_EQ(reservoir->BitsRead(), 53);
}

TEST(BitReserve, RewindsBitsAndBytes)
{
    auto reservoir = std::make_unique<TBitReserve>();
    for (uint32_t value : {0x12u, 0x34u, 0x56u}) {
        reservoir->PutByte(value);
    }
    EXPECT_EQ(reservoir->ReadBits(12), 0x123u);
    reservoir->RewindBits(4);
    EXPECT_EQ(reservoir->BitsRead(), 8);
    EXPECT_EQ(reservoir->ReadBits(8), 0x34u);
    reservoir->RewindBytes(2);
    EXPECT_EQ(reservoir->BitsRead(), 0);
    EXPECT_EQ(reservoir->ReadBits(16), 0x1234u);
}

TEST(BitReserve, WrapsAroundTheRing)
{
    auto reservoir = std::make_unique<TBitReserve>();
    // Fill past the end of the ring: the reads continue at the ring's start.
    for (int32_t i = 0; i < TBitReserve::Size + 2; ++i) {
        reservoir->PutByte(static_cast<uint32_t>(i & 0xFF));
    }
    // The two bytes beyond the ring overwrote its first two entries.
    EXPECT_EQ(reservoir->ReadBits(16), 0x0001u);
    for (int32_t i = 2; i < TBitReserve::Size - 1; ++i) {
        reservoir->ReadBits(8);
    }
    EXPECT_EQ(reservoir->ReadBits(24), 0xFF0001u);
    EXPECT_EQ(reservoir->BitsRead(), (TBitReserve::Size + 2) * 8);
    reservoir->RewindBytes(TBitReserve::Size);
    EXPECT_EQ(reservoir->BitsRead(), 16);
    EXPECT_EQ(reservoir->ReadBits(8), 0x02u);
    // Rewinding before the ring's start wraps to its end.
    reservoir->RewindBytes(4);
    EXPECT_EQ(reservoir->ReadBits(8), 0xFFu);
}

TEST(BitReserve, BytesInBulkAreBytesOneByOne)
{
    // Runs of every length up to past the ring's size, across its end and the bytes
    // it repeats behind it for reads near the end.
    auto bulk = std::make_unique<TBitReserve>();
    auto single = std::make_unique<TBitReserve>();
    std::vector<uint8_t> bytes(TBitReserve::Size + 100);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 91 + 7);
    }
    for (int32_t count : {1, 5, 4090, 3, 7, 8, 2000, TBitReserve::Size + 100, 6, 1}) {
        bulk->PutBytes(bytes.data(), count);
        for (int32_t i = 0; i < count; ++i) {
            single->PutByte(bytes[static_cast<size_t>(i)]);
        }
        // Every byte of the ring, each read with the window of the next eight.
        for (int32_t i = 0; i < TBitReserve::Size; ++i) {
            ASSERT_EQ(bulk->PeekWindow(), single->PeekWindow()) << count << "/" << i;
            bulk->ReadBits(8);
            single->ReadBits(8);
        }
    }
}
