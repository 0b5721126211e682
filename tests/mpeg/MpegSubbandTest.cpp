#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

#include "mpeg/frame/MpegBitStream.h"
#include "mpeg/frame/MpegCrc16.h"
#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer12/MpegQuantization.h"
#include "mpeg/layer12/MpegScaleFactors.h"
#include "mpeg/layer12/MpegSubbandLayer1.h"
#include "mpeg/layer12/MpegSubbandLayer2.h"
#include "tests/mpeg/MpegTestFrames.h"
#include "tests/support/BitWriter.h"

using namespace MpegTest;

namespace {

// A frame body made of the written bits, ready for GetBits.
class TBody {
public:
    explicit TBody(const TBitWriter& Bits) : Bytes(Bits.Bytes), Stream(Bytes.data(), static_cast<int32_t>(Bytes.size()))
    {
        Stream.ReadFrame(static_cast<int32_t>(Bytes.size()));
    }
    std::vector<uint8_t> Bytes;  // the body
    TBitStream Stream;           // reads Bytes
};

// Header of a high-rate MPEG-1 stereo Layer II frame (classes by subband).
THeader HighRateHeader()
{
    THeader h;
    h.Version = 1;
    h.Layer = 2;
    h.BitrateIndex = 10;
    h.Mode = THeader::ModeStereo;
    return h;
}

}  // namespace

TEST(MpegSubband, ScaleFactorTable)
{
    EXPECT_FLOAT_EQ(ScaleFactorTable[0], 2.0f);
    EXPECT_FLOAT_EQ(ScaleFactorTable[1], 1.587401032f);
    EXPECT_FLOAT_EQ(ScaleFactorTable[3], 1.0f);
    EXPECT_FLOAT_EQ(ScaleFactorTable[62], static_cast<float>(std::exp2(1.0 - 62 / 3.0)));
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
    const TQuantClass& five = QuantClass(2, 2);
    ASSERT_NE(five.GroupTable, nullptr);
    EXPECT_EQ(five.CodeLength, 7);
    const float* top = five.GroupTable + 3 * 124;
    const float* bottom = five.GroupTable + 0;
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(top[k], 0.8f);
        EXPECT_FLOAT_EQ(bottom[k], -0.8f);
    }
    // s0 is the lowest digit: 1 + 5 * 2 + 25 * 4 = 111.
    const float* mixed = GroupedValues(5, 111);
    EXPECT_FLOAT_EQ(mixed[0], -0.4f);
    EXPECT_FLOAT_EQ(mixed[1], 0.0f);
    EXPECT_FLOAT_EQ(mixed[2], 0.8f);
    // Corrupt codes beyond 124 decode to silence, inside the table.
    for (uint32_t code = 125; code < 128; ++code) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(GroupedValues(5, code)[k], 0.0f);
        }
    }
    EXPECT_EQ(GroupedValues(9, 1024), nullptr);
    EXPECT_FLOAT_EQ(GroupedValues(9, 728)[2], 8.0f / 9.0f);
    EXPECT_FLOAT_EQ(GroupedValues(3, 0)[1], -2.0f / 3.0f);
}

TEST(MpegSubband, Layer2GranulesUseTheirThirdsScaleFactor)
{
    // Subband 5 (set 2), allocation 1 (3 levels, grouped), scfsi 0: thirds scaled 2, 1, 0.5.
    TBitWriter bits;
    bits.Put(1, 4);
    bits.Put(0, 2);
    for (uint32_t index : {0u, 3u, 6u}) {
        bits.Put(index, 6);
    }
    for (int granule = 0; granule < 12; ++granule) {
        bits.Put(26, 5);  // (2/3, 2/3, 2/3)
    }
    TBody body(bits);
    const THeader header = HighRateHeader();
    TSubbandLayer2 subband(5);
    subband.ReadAllocation(body.Stream, header, nullptr);
    subband.ReadScaleFactorSelection(body.Stream, nullptr);
    subband.ReadScaleFactor(body.Stream, header);
    const float expected[3] = {2.0f * 2 / 3, 1.0f * 2 / 3, 0.5f * 2 / 3};
    // Three runs of four granules, three blocks each.
    TSubbandRun run;
    for (int granule = 0; granule < 12; ++granule) {
        const int block = 3 * (granule % 4);
        EXPECT_EQ(subband.ReadGranule(body.Stream, ChannelsLeft, run, block), granule == 11);
        for (int position = 0; position < 3; ++position) {
            EXPECT_FLOAT_EQ(run.Left[TSubbandRun::Index(5, block + position)], expected[granule / 4]) << granule;
            EXPECT_EQ(run.Right[TSubbandRun::Index(5, block + position)], 0.0f);
        }
    }
}

TEST(MpegSubband, Layer2ScaleFactorSelections)
{
    const THeader header = HighRateHeader();
    const int expected[4][3] = {{0, 1, 2}, {0, 0, 1}, {0, 0, 0}, {0, 1, 1}};
    for (int selection = 0; selection < 4; ++selection) {
        TBitWriter bits;
        bits.Put(3, 4);
        bits.Put(static_cast<uint32_t>(selection), 2);
        for (uint32_t index : {3u, 6u, 9u}) {
            bits.Put(index, 6);
        }
        TBody body(bits);
        TSubbandLayer2 subband(0);
        subband.ReadAllocation(body.Stream, header, nullptr);
        subband.ReadScaleFactorSelection(body.Stream, nullptr);
        subband.ReadScaleFactor(body.Stream, header);
        for (int third = 0; third < 3; ++third) {
            EXPECT_EQ(subband.ScaleFactors[third],
                      ScaleFactorTable[static_cast<size_t>(3 + 3 * expected[selection][third])])
                << selection << "/" << third;
        }
    }
}

TEST(MpegSubband, AllocationZeroReadsNothingAndAddsNothing)
{
    TBitWriter bits;
    bits.Put(0, 4);        // subband 0 silent
    bits.Put(0xABCD, 16);  // marker: nothing else may be consumed
    TBody body(bits);
    const THeader header = HighRateHeader();
    TSubbandLayer2 subband(0);
    // Blocks of an earlier run: a silent subband must not leave them standing.
    TSubbandRun run;
    std::fill(std::begin(run.Left), std::end(run.Left), 1.0f);
    subband.ReadAllocation(body.Stream, header, nullptr);
    subband.ReadScaleFactorSelection(body.Stream, nullptr);
    subband.ReadScaleFactor(body.Stream, header);
    subband.ReadGranule(body.Stream, ChannelsLeft, run, 0);
    for (int position = 0; position < 3; ++position) {
        EXPECT_EQ(run.Left[TSubbandRun::Index(0, position)], 0.0f);
    }
    EXPECT_EQ(body.Stream.GetBits(16), 0xABCDu);

    TBitWriter layer1Bits;
    layer1Bits.Put(0, 4);
    layer1Bits.Put(0x5A, 8);
    TBody layer1Body(layer1Bits);
    TSubbandLayer1 layer1(3);
    layer1.ReadAllocation(layer1Body.Stream, header, nullptr);
    layer1.ReadScaleFactor(layer1Body.Stream, header);
    layer1.ReadGranule(layer1Body.Stream, ChannelsLeft, run, 0);
    EXPECT_EQ(run.Left[TSubbandRun::Index(3, 0)], 0.0f);
    EXPECT_EQ(layer1Body.Stream.GetBits(8), 0x5Au);
}

TEST(MpegSubband, ScaleFactorIndex63Silences)
{
    TBitWriter bits;
    bits.Put(14, 4);  // 15-bit samples
    bits.Put(63, 6);
    bits.Put(0x7FFE, 15);
    TBody body(bits);
    const THeader header = HighRateHeader();
    TSubbandLayer1 subband(7);
    TSubbandRun run;
    run.Left[TSubbandRun::Index(7, 0)] = 1.0f;
    subband.ReadAllocation(body.Stream, header, nullptr);
    subband.ReadScaleFactor(body.Stream, header);
    subband.ReadGranule(body.Stream, ChannelsLeft, run, 0);
    EXPECT_EQ(run.Left[TSubbandRun::Index(7, 0)], 0.0f);
}

TEST(MpegSubband, Layer1StereoKindsRouteChannels)
{
    // Stereo kind: allocations 1 and 2, scale factors 2.0 and 1.0, samples 2 and 6.
    TBitWriter bits;
    bits.Put(1, 4);
    bits.Put(2, 4);
    bits.Put(0, 6);
    bits.Put(3, 6);
    bits.Put(2, 2);
    bits.Put(6, 3);
    const THeader header = HighRateHeader();
    const float left = (2 * Layer1Factor(1) + Layer1Offset(1)) * 2.0f;
    const float right = (6 * Layer1Factor(2) + Layer1Offset(2)) * 1.0f;
    for (uint8_t channels : {ChannelsLeft, ChannelsRight, ChannelsBoth}) {
        TBody body(bits);
        TSubbandLayer1Stereo subband(2);
        TSubbandRun run;
        subband.ReadAllocation(body.Stream, header, nullptr);
        subband.ReadScaleFactor(body.Stream, header);
        EXPECT_FALSE(subband.ReadGranule(body.Stream, channels, run, 4));
        EXPECT_FLOAT_EQ(run.Left[TSubbandRun::Index(2, 4)], channels == ChannelsRight ? right : left);
        EXPECT_FLOAT_EQ(run.Right[TSubbandRun::Index(2, 4)], channels == ChannelsBoth ? right : 0.0f);
    }

    // Intensity kind: one sample, two scale factors.
    TBitWriter shared;
    shared.Put(1, 4);
    shared.Put(0, 6);
    shared.Put(6, 6);
    shared.Put(2, 2);
    TBody body(shared);
    TSubbandLayer1IntensityStereo intensity(9);
    TSubbandRun run;
    intensity.ReadAllocation(body.Stream, header, nullptr);
    intensity.ReadScaleFactor(body.Stream, header);
    intensity.ReadGranule(body.Stream, ChannelsBoth, run, 11);
    EXPECT_FLOAT_EQ(run.Left[TSubbandRun::Index(9, 11)], (2 * Layer1Factor(1) + Layer1Offset(1)) * 2.0f);
    EXPECT_FLOAT_EQ(run.Right[TSubbandRun::Index(9, 11)], (2 * Layer1Factor(1) + Layer1Offset(1)) * 0.5f);
}

TEST(MpegSubband, Layer2StereoRightChannelAloneGoesLeft)
{
    // Subband 0 (set 1): channel 1 silent, channel 2 allocation 2 (7 levels, code 6 = 6/4 - 1 = 0.5).
    TBitWriter bits;
    bits.Put(0, 4);
    bits.Put(2, 4);
    bits.Put(2, 2);
    bits.Put(3, 6);
    for (int k = 0; k < 3; ++k) {
        bits.Put(6, 3);
    }
    const THeader header = HighRateHeader();
    const float expected = (0.5f + 0.25f) * (8.0f / 7.0f);
    for (uint8_t channels : {ChannelsRight, ChannelsBoth, ChannelsLeft}) {
        TBody body(bits);
        TSubbandLayer2Stereo subband(0);
        TSubbandRun run;
        subband.ReadAllocation(body.Stream, header, nullptr);
        subband.ReadScaleFactorSelection(body.Stream, nullptr);
        subband.ReadScaleFactor(body.Stream, header);
        subband.ReadGranule(body.Stream, channels, run, 0);
        for (int position = 0; position < 3; ++position) {
            EXPECT_FLOAT_EQ(run.Left[position], channels == ChannelsRight ? expected : 0.0f);
            EXPECT_FLOAT_EQ(run.Right[position], channels == ChannelsBoth ? expected : 0.0f);
        }
    }
}

TEST(MpegSubband, GivenAccumulatorTakesTheAllocationAndSelectionFieldsInOrder)
{
    // Layer I stereo: two allocations of 4 bits. Layer II stereo, subband 0: two
    // allocations of 4 bits, then the selection of the coded channel alone.
    TCrc16 expected;
    auto field = [&](TBitWriter& Bits, uint32_t Value, int Count) {
        Bits.Put(Value, Count);
        expected.AddBits(Value, Count);
    };
    TBitWriter layer1, layer2;
    field(layer1, 5, 4);
    field(layer1, 9, 4);
    field(layer2, 0, 4);
    field(layer2, 2, 4);
    field(layer2, 1, 2);
    const THeader header = HighRateHeader();
    TCrc16 given;
    TBody first(layer1);
    TSubbandLayer1Stereo(3).ReadAllocation(first.Stream, header, &given);
    TBody second(layer2);
    TSubbandLayer2Stereo subband(0);
    subband.ReadAllocation(second.Stream, header, &given);
    subband.ReadScaleFactorSelection(second.Stream, &given);
    EXPECT_EQ(given.Checksum(), expected.Checksum());
}
