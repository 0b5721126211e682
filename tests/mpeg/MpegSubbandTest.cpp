#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "MpegTestFrames.h"
#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer12/MpegQuantization.h"
#include "mpeg/layer12/MpegScaleFactors.h"
#include "mpeg/layer12/MpegSubbandLayer1.h"
#include "mpeg/layer12/MpegSubbandLayer2.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"
#include "tests/support/BitWriter.h"

using namespace MpegTest;

namespace {

// A frame body made of the written bits, ready for GetBits.
class TBody {
public:
    explicit TBody(const TBitWriter& Bits) : Bytes(Bits.Bytes), Stream(Bytes.data(), int32_t(Bytes.size()))
    {
        Stream.ReadFrame(int32_t(Bytes.size()));
    }
    std::vector<uint8_t> Bytes;  // the body
    TBitStream Stream;           // reads Bytes
};

// Header of a high-rate MPEG-1 stereo Layer II frame (classes by subband).
THeader HighRateHeader()
{
    THeader H;
    H.Version = 1;
    H.Layer = 2;
    H.BitrateIndex = 10;
    H.Mode = THeader::ModeStereo;
    return H;
}

}  // namespace

TEST(MpegSubband, ScaleFactorTable)
{
    EXPECT_FLOAT_EQ(ScaleFactorTable[0], 2.0f);
    EXPECT_FLOAT_EQ(ScaleFactorTable[1], 1.587401032f);
    EXPECT_FLOAT_EQ(ScaleFactorTable[3], 1.0f);
    EXPECT_FLOAT_EQ(ScaleFactorTable[62], float(std::exp2(1.0 - 62 / 3.0)));
    EXPECT_EQ(ScaleFactorTable[63], 0.0f);
}

TEST(MpegSubband, Layer1RequantisationConstants)
{
    EXPECT_FLOAT_EQ(Layer1Factor(1), 0.666666687f);
    EXPECT_FLOAT_EQ(Layer1Offset(1), -0.666666687f);
    EXPECT_FLOAT_EQ(Layer1Factor(14), 6.10370189e-05f);
    EXPECT_FLOAT_EQ(Layer1Offset(14), -0.999969482f);
    // The forbidden allocation 15 and values out of range decode to silence.
    EXPECT_EQ(Layer1Factor(15), 0.0f);
    EXPECT_EQ(Layer1Offset(15), 0.0f);
    EXPECT_EQ(Layer1Factor(-1), 0.0f);
}

TEST(MpegSubband, GroupedFiveLevelCodes)
{
    const TQuantClass& Five = QuantClass(2, 2);
    ASSERT_NE(Five.GroupTable, nullptr);
    EXPECT_EQ(Five.CodeLength, 7);
    const float* Top = Five.GroupTable + 3 * 124;
    const float* Bottom = Five.GroupTable + 0;
    for (int K = 0; K < 3; ++K) {
        EXPECT_FLOAT_EQ(Top[K], 0.8f);
        EXPECT_FLOAT_EQ(Bottom[K], -0.8f);
    }
    // s0 is the lowest digit: 1 + 5 * 2 + 25 * 4 = 111.
    const float* Mixed = GroupedValues(5, 111);
    EXPECT_FLOAT_EQ(Mixed[0], -0.4f);
    EXPECT_FLOAT_EQ(Mixed[1], 0.0f);
    EXPECT_FLOAT_EQ(Mixed[2], 0.8f);
    // Corrupt codes beyond 124 decode to silence, inside the table.
    for (uint32_t Code = 125; Code < 128; ++Code)
        for (int K = 0; K < 3; ++K) EXPECT_EQ(GroupedValues(5, Code)[K], 0.0f);
    EXPECT_EQ(GroupedValues(9, 1024), nullptr);
    EXPECT_FLOAT_EQ(GroupedValues(9, 728)[2], 8.0f / 9.0f);
    EXPECT_FLOAT_EQ(GroupedValues(3, 0)[1], -2.0f / 3.0f);
}

TEST(MpegSubband, Layer2GranulesUseTheirThirdsScaleFactor)
{
    // Subband 5 (set 2), allocation 1 (3 levels, grouped), scfsi 0: thirds scaled 2, 1, 0.5.
    TBitWriter Bits;
    Bits.Put(1, 4);
    Bits.Put(0, 2);
    for (uint32_t Index : {0u, 3u, 6u}) Bits.Put(Index, 6);
    for (int Granule = 0; Granule < 12; ++Granule) Bits.Put(26, 5);  // (2/3, 2/3, 2/3)
    TBody Body(Bits);
    const THeader Header = HighRateHeader();
    TSubbandLayer2 Subband(5);
    TSynthesisFilter Filter(0, 32768.0f);
    Subband.ReadAllocation(Body.Stream, Header, nullptr);
    Subband.ReadScaleFactorSelection(Body.Stream, nullptr);
    Subband.ReadScaleFactor(Body.Stream, Header);
    const float Expected[3] = {2.0f * 2 / 3, 1.0f * 2 / 3, 0.5f * 2 / 3};
    for (int Granule = 0; Granule < 12; ++Granule) {
        EXPECT_EQ(Subband.ReadSampleData(Body.Stream), Granule == 11);
        for (int Position = 0; Position < 3; ++Position) {
            Filter.Samples[5] = 0.0f;
            EXPECT_EQ(Subband.PutNextSample(ChannelsLeft, &Filter, nullptr), Position == 2);
            EXPECT_FLOAT_EQ(Filter.Samples[5], Expected[Granule / 4]) << Granule;
        }
    }
}

TEST(MpegSubband, Layer2ScaleFactorSelections)
{
    const THeader Header = HighRateHeader();
    const int Expected[4][3] = {{0, 1, 2}, {0, 0, 1}, {0, 0, 0}, {0, 1, 1}};
    for (int Selection = 0; Selection < 4; ++Selection) {
        TBitWriter Bits;
        Bits.Put(3, 4);
        Bits.Put(uint32_t(Selection), 2);
        for (uint32_t Index : {3u, 6u, 9u}) Bits.Put(Index, 6);
        TBody Body(Bits);
        TSubbandLayer2 Subband(0);
        Subband.ReadAllocation(Body.Stream, Header, nullptr);
        Subband.ReadScaleFactorSelection(Body.Stream, nullptr);
        Subband.ReadScaleFactor(Body.Stream, Header);
        for (int Third = 0; Third < 3; ++Third)
            EXPECT_EQ(Subband.ScaleFactors[Third], ScaleFactorTable[size_t(3 + 3 * Expected[Selection][Third])])
                << Selection << "/" << Third;
    }
}

TEST(MpegSubband, AllocationZeroReadsNothingAndAddsNothing)
{
    TBitWriter Bits;
    Bits.Put(0, 4);        // subband 0 silent
    Bits.Put(0xABCD, 16);  // marker: nothing else may be consumed
    TBody Body(Bits);
    const THeader Header = HighRateHeader();
    TSubbandLayer2 Subband(0);
    TSynthesisFilter Filter(0, 32768.0f);
    Subband.ReadAllocation(Body.Stream, Header, nullptr);
    Subband.ReadScaleFactorSelection(Body.Stream, nullptr);
    Subband.ReadScaleFactor(Body.Stream, Header);
    Subband.ReadSampleData(Body.Stream);
    Subband.PutNextSample(ChannelsLeft, &Filter, nullptr);
    EXPECT_EQ(Filter.Samples[0], 0.0f);
    EXPECT_EQ(Body.Stream.GetBits(16), 0xABCDu);

    TBitWriter Layer1Bits;
    Layer1Bits.Put(0, 4);
    Layer1Bits.Put(0x5A, 8);
    TBody Layer1Body(Layer1Bits);
    TSubbandLayer1 Layer1(3);
    Layer1.ReadAllocation(Layer1Body.Stream, Header, nullptr);
    Layer1.ReadScaleFactor(Layer1Body.Stream, Header);
    Layer1.ReadSampleData(Layer1Body.Stream);
    Layer1.PutNextSample(ChannelsLeft, &Filter, nullptr);
    EXPECT_EQ(Filter.Samples[3], 0.0f);
    EXPECT_EQ(Layer1Body.Stream.GetBits(8), 0x5Au);
}

TEST(MpegSubband, ScaleFactorIndex63Silences)
{
    TBitWriter Bits;
    Bits.Put(14, 4);  // 15-bit samples
    Bits.Put(63, 6);
    Bits.Put(0x7FFE, 15);
    TBody Body(Bits);
    const THeader Header = HighRateHeader();
    TSubbandLayer1 Subband(7);
    TSynthesisFilter Filter(0, 32768.0f);
    Filter.Samples[7] = 1.0f;
    Subband.ReadAllocation(Body.Stream, Header, nullptr);
    Subband.ReadScaleFactor(Body.Stream, Header);
    Subband.ReadSampleData(Body.Stream);
    Subband.PutNextSample(ChannelsLeft, &Filter, nullptr);
    EXPECT_EQ(Filter.Samples[7], 0.0f);
}

TEST(MpegSubband, Layer1StereoKindsRouteChannels)
{
    // Stereo kind: allocations 1 and 2, scale factors 2.0 and 1.0, samples 2 and 6.
    TBitWriter Bits;
    Bits.Put(1, 4);
    Bits.Put(2, 4);
    Bits.Put(0, 6);
    Bits.Put(3, 6);
    Bits.Put(2, 2);
    Bits.Put(6, 3);
    const THeader Header = HighRateHeader();
    const float Left = (2 * Layer1Factor(1) + Layer1Offset(1)) * 2.0f;
    const float Right = (6 * Layer1Factor(2) + Layer1Offset(2)) * 1.0f;
    for (uint8_t Channels : {ChannelsLeft, ChannelsRight, ChannelsBoth}) {
        TBody Body(Bits);
        TSubbandLayer1Stereo Subband(2);
        TSynthesisFilter FilterLeft(0, 32768.0f), FilterRight(1, 32768.0f);
        Subband.ReadAllocation(Body.Stream, Header, nullptr);
        Subband.ReadScaleFactor(Body.Stream, Header);
        Subband.ReadSampleData(Body.Stream);
        EXPECT_TRUE(Subband.PutNextSample(Channels, &FilterLeft, &FilterRight));
        EXPECT_FLOAT_EQ(FilterLeft.Samples[2], Channels == ChannelsRight ? Right : Left);
        EXPECT_FLOAT_EQ(FilterRight.Samples[2], Channels == ChannelsBoth ? Right : 0.0f);
    }

    // Intensity kind: one sample, two scale factors.
    TBitWriter Shared;
    Shared.Put(1, 4);
    Shared.Put(0, 6);
    Shared.Put(6, 6);
    Shared.Put(2, 2);
    TBody Body(Shared);
    TSubbandLayer1IntensityStereo Intensity(9);
    TSynthesisFilter FilterLeft(0, 32768.0f), FilterRight(1, 32768.0f);
    Intensity.ReadAllocation(Body.Stream, Header, nullptr);
    Intensity.ReadScaleFactor(Body.Stream, Header);
    Intensity.ReadSampleData(Body.Stream);
    Intensity.PutNextSample(ChannelsBoth, &FilterLeft, &FilterRight);
    EXPECT_FLOAT_EQ(FilterLeft.Samples[9], (2 * Layer1Factor(1) + Layer1Offset(1)) * 2.0f);
    EXPECT_FLOAT_EQ(FilterRight.Samples[9], (2 * Layer1Factor(1) + Layer1Offset(1)) * 0.5f);
}

TEST(MpegSubband, Layer2StereoRightChannelAloneGoesLeft)
{
    // Subband 0 (set 1): channel 1 silent, channel 2 allocation 2 (7 levels, code 6 = 6/4 - 1 = 0.5).
    TBitWriter Bits;
    Bits.Put(0, 4);
    Bits.Put(2, 4);
    Bits.Put(2, 2);
    Bits.Put(3, 6);
    for (int K = 0; K < 3; ++K) Bits.Put(6, 3);
    const THeader Header = HighRateHeader();
    const float Expected = (0.5f + 0.25f) * (8.0f / 7.0f);
    for (uint8_t Channels : {ChannelsRight, ChannelsBoth, ChannelsLeft}) {
        TBody Body(Bits);
        TSubbandLayer2Stereo Subband(0);
        TSynthesisFilter FilterLeft(0, 32768.0f), FilterRight(1, 32768.0f);
        Subband.ReadAllocation(Body.Stream, Header, nullptr);
        Subband.ReadScaleFactorSelection(Body.Stream, nullptr);
        Subband.ReadScaleFactor(Body.Stream, Header);
        Subband.ReadSampleData(Body.Stream);
        Subband.PutNextSample(Channels, &FilterLeft, &FilterRight);
        EXPECT_FLOAT_EQ(FilterLeft.Samples[0], Channels == ChannelsRight ? Expected : 0.0f);
        EXPECT_FLOAT_EQ(FilterRight.Samples[0], Channels == ChannelsBoth ? Expected : 0.0f);
    }
}
