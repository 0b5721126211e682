#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "MpegTestFrames.h"
#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/MpegBitrateText.h"
#include "mpeg/frame/MpegCrc16.h"
#include "mpeg/frame/MpegHeader.h"

using namespace MpegTest;

namespace {

// Reads the first header of Bytes; the header object is returned for inspection.
THeader FirstHeader(const std::vector<uint8_t>& Bytes, bool* Read = nullptr)
{
    TBitStream Stream(Bytes.data(), int32_t(Bytes.size()));
    THeader Header;
    const bool Ok = Header.ReadHeader(Stream, nullptr);
    if (Read) *Read = Ok;
    return Header;
}

}  // namespace

TEST(MpegHeader, FrameSizesAndMainDataSlots)
{
    TFrameFields Layer3;
    Layer3.Layer = 3;
    Layer3.BitrateIndex = 9;  // 128 kbit/s
    THeader H = FirstHeader(Frames(Layer3, 2));
    EXPECT_EQ(H.FrameSize, 413);
    EXPECT_EQ(H.MainDataSlots, 381);

    Layer3.Mode = 3;
    Layer3.Crc = true;
    EXPECT_EQ(FirstHeader(Frames(Layer3, 2)).MainDataSlots, 417 - 17 - 2 - 4);

    TFrameFields Lsf;  // MPEG-2 Layer III, 22050 Hz, 64 kbit/s: 417 halved
    Lsf.Version = 0;
    Lsf.Layer = 3;
    Lsf.BitrateIndex = 8;
    Lsf.Padding = 1;
    H = FirstHeader(Frames(Lsf, 2));
    EXPECT_EQ(H.FrameSize, 208 + 1 - 4);
    EXPECT_EQ(H.MainDataSlots, 209 - 17 - 4);
    EXPECT_EQ(H.Frequency(), 22050);

    TFrameFields Layer1;  // 448 kbit/s at 44.1 kHz with padding: (121 + 1) * 4
    Layer1.Layer = 1;
    Layer1.BitrateIndex = 14;
    Layer1.Padding = 1;
    Layer1.Crc = true;
    H = FirstHeader(Frames(Layer1, 2));
    EXPECT_EQ(H.FrameSize, 488 - 4);
    EXPECT_EQ(H.MainDataSlots, 0);

    TFrameFields Layer2;  // 48 kHz, 128 kbit/s
    Layer2.FrequencyIndex = 1;
    EXPECT_EQ(FirstHeader(Frames(Layer2, 2)).FrameSize, 384 - 4);
}

TEST(MpegHeader, SubbandCountsAndIntensityBound)
{
    struct TCase {
        int Bitrate, Frequency, Mode, Extension, Subbands, Bound;
    };
    const TCase Cases[] = {
        {4, 1, 0, 0, 8, 0},    // 64 kbit/s stereo at 48 kHz: low-rate table
        {2, 2, 3, 0, 12, 0},   // 48 kbit/s mono at 32 kHz: low-rate table
        {10, 0, 0, 0, 30, 0},  // 192 kbit/s stereo at 44.1 kHz
        {10, 1, 0, 0, 27, 0},  // 192 kbit/s stereo at 48 kHz
        {7, 0, 0, 0, 27, 0},   // 96 kbit/s stereo at 44.1 kHz
        {10, 0, 1, 3, 30, 16}, // joint stereo, bound 16
        {4, 1, 1, 3, 8, 8},    // bound limited to the subband count
        {8, 0, 2, 1, 27, 0},   // dual channel at 64 kbit/s per channel: no bound
    };
    for (const TCase& Case : Cases) {
        TFrameFields Fields;
        Fields.BitrateIndex = Case.Bitrate;
        Fields.FrequencyIndex = Case.Frequency;
        Fields.Mode = Case.Mode;
        Fields.ModeExtension = Case.Extension;
        const THeader H = FirstHeader(Frames(Fields, 2));
        EXPECT_EQ(H.NumberOfSubbands, Case.Subbands) << Case.Bitrate << "/" << Case.Frequency;
        EXPECT_EQ(H.IntensityStereoBound, Case.Bound) << Case.Bitrate << "/" << Case.Frequency;
    }
    TFrameFields Lsf;  // MPEG-2 Layer II codes 30 subbands at any rate
    Lsf.Version = 0;
    Lsf.BitrateIndex = 4;
    EXPECT_EQ(FirstHeader(Frames(Lsf, 2)).NumberOfSubbands, 30);
    EXPECT_DOUBLE_EQ(FirstHeader(Frames(Lsf, 2)).MsPerFrame(), 2 * 26.12245);

    TFrameFields Layer1;
    Layer1.Layer = 1;
    Layer1.Mode = 1;
    Layer1.ModeExtension = 2;
    const THeader H = FirstHeader(Frames(Layer1, 2));
    EXPECT_EQ(H.NumberOfSubbands, 32);
    EXPECT_EQ(H.IntensityStereoBound, 12);
}

TEST(MpegHeader, BitrateTextsAndKbps)
{
    EXPECT_EQ(BitrateText(1, 2, 8), "128 kbit/s");
    EXPECT_EQ(BitrateText(0, 3, 1), "8 kbit/s");
    EXPECT_EQ(BitrateText(1, 1, 14), "448 kbit/s");
    EXPECT_EQ(BitrateText(1, 3, 0), "free format");
    EXPECT_EQ(BitrateText(1, 3, 15), "forbidden");
    EXPECT_EQ(BitrateText(2, 3, 1), "");

    THeader H;
    H.Version = 1;
    H.Layer = 3;
    H.BitrateIndex = 14;
    EXPECT_EQ(H.BitrateKbps(), 320);
    H.BitrateIndex = 0;
    EXPECT_EQ(H.BitrateKbps(), 0);
    H.BitrateIndex = 15;
    EXPECT_EQ(H.BitrateKbps(), 0);
}

TEST(MpegHeader, VbrInformationHeaderInFirstFrame)
{
    TFrameFields Fields;
    Fields.Layer = 3;
    Fields.BitrateIndex = 9;
    for (const char* Id : {"Xing", "VBRI"}) {
        std::vector<uint8_t> Body(36, 0);
        std::copy(Id, Id + 4, Body.begin() + 32);
        std::vector<uint8_t> Bytes = Frame(Fields, Body);
        Append(Bytes, Frame(Fields));
        EXPECT_TRUE(FirstHeader(Bytes).VbrHeader) << Id;
    }
    Fields.Mode = 3;  // single channel: the side information is 17 bytes
    const char Tag[] = "Xing";
    std::vector<uint8_t> Body(21, 0);
    std::copy(Tag, Tag + 4, Body.begin() + 17);
    EXPECT_TRUE(FirstHeader(Frame(Fields, Body)).VbrHeader);
    EXPECT_FALSE(FirstHeader(Frame(Fields)).VbrHeader);
}

TEST(MpegHeader, FrameCountEstimatesAndPlayTime)
{
    TFrameFields Fields;
    Fields.Layer = 3;
    Fields.BitrateIndex = 9;  // 417-byte frames
    const std::vector<uint8_t> Bytes = Frames(Fields, 10);
    TBitStream Stream(Bytes.data(), int32_t(Bytes.size()));
    THeader H;
    ASSERT_TRUE(H.ReadHeader(Stream, nullptr));
    EXPECT_EQ(H.MaxNumberOfFrames(Stream), 10);
    EXPECT_EQ(H.MinNumberOfFrames(Stream), 9);
    EXPECT_DOUBLE_EQ(H.MsPerFrame(), 26.12245);
    EXPECT_FLOAT_EQ(H.TotalMs(Stream), float(10 * 26.12245));
}

TEST(MpegHeader, SeekToFrameRereadsFromTheFirstFrame)
{
    TFrameFields Fields;
    std::vector<uint8_t> Bytes = Frames(Fields, 4);
    TBitStream Stream(Bytes.data(), int32_t(Bytes.size()));
    THeader H;
    while (H.ReadHeader(Stream, nullptr)) {
    }
    EXPECT_EQ(Stream.FrameIndex, 3);
    ASSERT_TRUE(H.SeekToFrame(Stream, 0));
    EXPECT_EQ(Stream.FrameIndex, 0);
    ASSERT_TRUE(H.SeekToFrame(Stream, 2));
    EXPECT_EQ(Stream.FrameIndex, 2);
    EXPECT_FALSE(H.SeekToFrame(Stream, 4));
}

TEST(MpegHeader, ProtectedFrameConsumesTheCheckWord)
{
    TFrameFields Fields;
    Fields.Crc = true;
    std::vector<uint8_t> Bytes = Frame(Fields, {0xBE, 0xEF, 0xA5});
    TBitStream Stream(Bytes.data(), int32_t(Bytes.size()));
    THeader H;
    ASSERT_TRUE(H.ReadHeader(Stream, nullptr));
    EXPECT_EQ(H.Checksum, 0xBEEF);
    EXPECT_NE(H.CrcAccumulator, nullptr);
    EXPECT_EQ(Stream.GetBits(8), 0xA5u);

    TCrc16 Given;
    TBitStream Again(Bytes.data(), int32_t(Bytes.size()));
    THeader H2;
    ASSERT_TRUE(H2.ReadHeader(Again, &Given));
    EXPECT_EQ(H2.CrcAccumulator, &Given);
}

TEST(MpegHeader, Crc16IsTheStandardPolynomial)
{
    // CRC-16 with polynomial 0x8005, start 0xFFFF, no reflection: "123456789" gives 0xAEE7.
    TCrc16 Crc;
    for (char C : std::string("123456789")) Crc.AddBits(uint8_t(C), 8);
    EXPECT_EQ(Crc.Checksum(), 0xAEE7);
    TCrc16 Bitwise;
    for (char C : std::string("123456789"))
        for (int Bit = 7; Bit >= 0; --Bit) Bitwise.AddBits(uint8_t(C) >> Bit, 1);
    EXPECT_EQ(Bitwise.Checksum(), 0xAEE7);
}
