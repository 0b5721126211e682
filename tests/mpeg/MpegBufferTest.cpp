#include <gtest/gtest.h>

#include <cstring>

#include "mpeg/synthesis/MpegBuffer.h"

TEST(MpegBuffer, InterleavesTwoChannels)
{
    TBuffer Buffer(2);
    Buffer.Append(0, 1);
    Buffer.Append(1, -2);
    Buffer.Append(0, 0x1234);
    Buffer.Append(1, 40000);
    uint8_t Out[8] = {};
    EXPECT_EQ(Buffer.Read(Out, 8), 8);
    const uint8_t Expected[8] = {1, 0, 0xFE, 0xFF, 0x34, 0x12, 0xFF, 0x7F};
    for (int I = 0; I < 8; ++I) EXPECT_EQ(Out[I], Expected[I]);
}

TEST(MpegBuffer, ReadClearsWhenDrained)
{
    TBuffer Buffer(1);
    for (int I = 0; I < 4; ++I) Buffer.Append(0, I + 1);
    uint8_t Out[8] = {};
    EXPECT_EQ(Buffer.Read(Out, 3), 3);
    EXPECT_EQ(Buffer.BytesHeld(), 5);
    EXPECT_EQ(Buffer.Read(Out, 100), 5);
    EXPECT_EQ(Out[0], 0);  // the high byte of sample 2
    EXPECT_EQ(Buffer.BytesWritten, 0);
    EXPECT_EQ(Buffer.Read(Out, 8), 0);
    Buffer.Append(0, 9);
    EXPECT_EQ(Buffer.Data[0], 9);
}

TEST(MpegBuffer, NeverWritesPastItsCapacity)
{
    TBuffer Buffer(2);
    for (int I = 0; I < TBuffer::Capacity; ++I) Buffer.Append(I & 1, -1);
    EXPECT_EQ(Buffer.BytesWritten, TBuffer::Capacity);
    Buffer.Append(3, 5);   // no such channel
    Buffer.Append(-1, 5);
    TBuffer Mono(1);
    Mono.Append(1, 5);     // a single-channel buffer has no channel 1
    EXPECT_EQ(Mono.BytesWritten, 0);
}

TEST(MpegBuffer, BlockAppendIsSingleAppends)
{
    // Both channels of a stereo buffer and a mono one, with blocks that run past
    // the capacity.
    int16_t Values[32];
    for (int I = 0; I < 32; ++I) Values[I] = int16_t((I * 7919 - 100000) * (I % 3 == 0 ? 1 : -1));
    for (int Channels = 1; Channels <= 2; ++Channels) {
        TBuffer Block(Channels), Single(Channels);
        for (int Round = 0; Round < 300; ++Round) {
            const int Channel = Round % Channels;
            const int Count = 1 + Round % 32;
            Block.Append(Channel, Values, Count);
            for (int I = 0; I < Count; ++I) Single.Append(Channel, Values[I]);
            ASSERT_EQ(Block.BytesWritten, Single.BytesWritten) << Round;
            ASSERT_EQ(Block.WriteOffset[Channel], Single.WriteOffset[Channel]) << Round;
        }
        EXPECT_EQ(std::memcmp(Block.Data, Single.Data, TBuffer::Capacity), 0);
        Block.Append(Channels, Values, 4);   // no such channel
        Block.Append(0, Values, 0);
        EXPECT_EQ(Block.BytesWritten, Single.BytesWritten);
    }
}
