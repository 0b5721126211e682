#include <gtest/gtest.h>

#include "mpeg/MpegBuffer.h"

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
