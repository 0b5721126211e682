// The bounded field reader: fields past the end of the stream read as zero.

#include <gtest/gtest.h>

#include "module/LoadReader.h"

TEST(LoadReader, LittleEndianFields)
{
    TMemoryStream stream({0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x7F});
    TFieldReader in(stream);
    EXPECT_EQ(in.U16(), 0x1234);
    EXPECT_EQ(in.I32(), -2);
    EXPECT_EQ(in.U8(), 0x7F);
    EXPECT_EQ(in.Remaining(), 0);
}

TEST(LoadReader, MissingBytesReadAsZeroAndThePositionStopsAtTheEnd)
{
    TMemoryStream stream({0x11, 0x22, 0x33});
    TFieldReader in(stream);
    in.U8();
    EXPECT_EQ(in.I32(), 0x3322);
    EXPECT_EQ(in.Position(), 3);
    EXPECT_EQ(in.U16(), 0);
    EXPECT_EQ(in.Position(), 3);
}

TEST(LoadReader, AvailableNeverExceedsWhatRemains)
{
    TMemoryStream stream(std::vector<uint8_t>(10, 7));
    TFieldReader in(stream);
    in.Skip(4);
    EXPECT_EQ(in.Available(1 << 30).size(), 6u);
    EXPECT_TRUE(in.Available(-5).empty());
    stream.SetPosition(2);
    in.Skip(-100);  // never backwards
    EXPECT_EQ(in.Position(), 2);
    in.Skip(1000);
    EXPECT_EQ(in.Position(), 10);
}
