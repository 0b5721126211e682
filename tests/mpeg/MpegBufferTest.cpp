#include <gtest/gtest.h>

#include <cstring>

#include "mpeg/synthesis/MpegBuffer.h"

TEST(MpegBuffer, InterleavesTwoChannels)
{
    TBuffer buffer(2);
    buffer.Append(0, 1);
    buffer.Append(1, -2);
    buffer.Append(0, 0x1234);
    buffer.Append(1, 40000);
    uint8_t out[8] = {};
    EXPECT_EQ(buffer.Read(out, 8), 8);
    const uint8_t expected[8] = {1, 0, 0xFE, 0xFF, 0x34, 0x12, 0xFF, 0x7F};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(out[i], expected[i]);
    }
}

TEST(MpegBuffer, ReadClearsWhenDrained)
{
    TBuffer buffer(1);
    for (int i = 0; i < 4; ++i) {
        buffer.Append(0, i + 1);
    }
    uint8_t out[8] = {};
    EXPECT_EQ(buffer.Read(out, 3), 3);
    EXPECT_EQ(buffer.BytesHeld(), 5);
    EXPECT_EQ(buffer.Read(out, 100), 5);
    EXPECT_EQ(out[0], 0);  // the high byte of sample 2
    EXPECT_EQ(buffer.BytesWritten, 0);
    EXPECT_EQ(buffer.Read(out, 8), 0);
    buffer.Append(0, 9);
    EXPECT_EQ(buffer.Data[0], 9);
}

TEST(MpegBuffer, NeverWritesPastItsCapacity)
{
    TBuffer buffer(2);
    for (int i = 0; i < TBuffer::Capacity; ++i) {
        buffer.Append(i & 1, -1);
    }
    EXPECT_EQ(buffer.BytesWritten, TBuffer::Capacity);
    buffer.Append(3, 5);  // no such channel
    buffer.Append(-1, 5);
    TBuffer mono(1);
    mono.Append(1, 5);  // a single-channel buffer has no channel 1
    EXPECT_EQ(mono.BytesWritten, 0);
}

TEST(MpegBuffer, BlockAppendIsSingleAppends)
{
    // Both channels of a stereo buffer and a mono one, with blocks that run past
    // the capacity.
    int16_t values[32];
    for (int i = 0; i < 32; ++i) {
        values[i] = static_cast<int16_t>((i * 7919 - 100000) * (i % 3 == 0 ? 1 : -1));
    }
    for (int channels = 1; channels <= 2; ++channels) {
        TBuffer block(channels), single(channels);
        for (int round = 0; round < 300; ++round) {
            const int channel = round % channels;
            const int count = 1 + round % 32;
            block.Append(channel, values, count);
            for (int i = 0; i < count; ++i) {
                single.Append(channel, values[i]);
            }
            ASSERT_EQ(block.BytesWritten, single.BytesWritten) << round;
            ASSERT_EQ(block.WriteOffset[channel], single.WriteOffset[channel]) << round;
        }
        EXPECT_EQ(std::memcmp(block.Data, single.Data, TBuffer::Capacity), 0);
        block.Append(channels, values, 4);  // no such channel
        block.Append(0, values, 0);
        EXPECT_EQ(block.BytesWritten, single.BytesWritten);
    }
}
