#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "Layer3FrameBuilder.h"
#include "Layer3GranuleWriter.h"
#include "Layer3StreamDecoder.h"

namespace {

TDecodedStream DecodeFrames(const std::vector<TLayer3FrameFields>& FrameList)
{
    std::vector<uint8_t> Bytes;
    for (const TLayer3FrameFields& Fields : FrameList) {
        const std::vector<uint8_t> Frame = BuildFrame(Fields);
        Bytes.insert(Bytes.end(), Frame.begin(), Frame.end());
    }
    return DecodeLayer3Stream(Bytes);
}

bool Silent(const std::vector<int16_t>& Pcm)
{
    return std::all_of(Pcm.begin(), Pcm.end(), [](int16_t Sample) { return Sample == 0; });
}

// Channel Channel of interleaved stereo PCM.
std::vector<int16_t> ChannelOf(const std::vector<int16_t>& Pcm, int Channel)
{
    std::vector<int16_t> Samples;
    for (size_t i = Channel; i < Pcm.size(); i += 2)
        Samples.push_back(Pcm[i]);
    return Samples;
}

// Granule 1 of every frame below: one negative count1 quadruple of table 33.
void PutSecondGranule(TLayer3FrameFields& Fields, int FirstGranuleBits)
{
    const int Before = Fields.MainData.BitCount;
    PutQuadruple(Fields.MainData, 1, 0, -1, 0, 0);
    Fields.Granules[0][0].Part2_3Length = FirstGranuleBits;
    Fields.Granules[1][0].Part2_3Length = Fields.MainData.BitCount - Before;
    Fields.Granules[0][0].Count1Table = Fields.Granules[1][0].Count1Table = 1;
}

}  // namespace

// A count1 quadruple that ends 3 bits beyond part2_3_end is dropped and its bits
// handed back; one that ends exactly there stays.
TEST(Layer3EdgeCases, CountOneOvershootDropsTheLastQuadruple)
{
    TLayer3FrameFields Exact;  // one quadruple, ending exactly at the end of the granule
    PutQuadruple(Exact.MainData, 1, 0, 0, 0, 1);
    PutSecondGranule(Exact, 5);

    TLayer3FrameFields Overshoot;  // the same, with 2 more bits that start another quadruple
    PutQuadruple(Overshoot.MainData, 1, 0, 0, 0, 1);
    Overshoot.MainData.Put(3, 2);
    PutSecondGranule(Overshoot, 7);

    TLayer3FrameFields Two;  // two whole quadruples
    PutQuadruple(Two.MainData, 1, 0, 0, 0, 1);
    PutQuadruple(Two.MainData, 1, 1, 0, 0, 0);
    PutSecondGranule(Two, 10);

    const TDecodedStream A = DecodeFrames({Exact});
    const TDecodedStream B = DecodeFrames({Overshoot});
    const TDecodedStream C = DecodeFrames({Two});
    ASSERT_EQ(A.Pcm.size(), 1152u);
    EXPECT_FALSE(Silent(A.Pcm));
    EXPECT_EQ(A.Pcm, B.Pcm);
    EXPECT_NE(A.Pcm, C.Pcm);
}

// big_values 288 fills the granule from the big-value region; a larger field is
// limited to 288 instead of writing beyond the granule.
TEST(Layer3EdgeCases, BigValuesAreLimitedTo288)
{
    auto Frame = [](int BigValues) {
        TLayer3FrameFields Fields;
        PutHuffmanPair(Fields.MainData, 1, 1, -1);
        for (int Pair = 1; Pair < 287; ++Pair)
            PutHuffmanPair(Fields.MainData, 1, 0, 0);
        PutHuffmanPair(Fields.MainData, 1, 1, 0);
        Fields.Granules[0][0].BigValues = BigValues;
        Fields.Granules[0][0].Part2_3Length = Fields.MainData.BitCount;
        return Fields;
    };
    const TDecodedStream Full = DecodeFrames({Frame(288)});
    EXPECT_FALSE(Silent(Full.Pcm));
    EXPECT_EQ(DecodeFrames({Frame(300)}).Pcm, Full.Pcm);
    EXPECT_EQ(DecodeFrames({Frame(511)}).Pcm, Full.Pcm);
}

// Tables 0, 4 and 14 decode zeros without reading bits: the granule is silent and
// the count1 region that follows starts at the granule's first bit.
TEST(Layer3EdgeCases, TablesWithoutCodesReadNoBits)
{
    TLayer3FrameFields Reference;
    PutQuadruple(Reference.MainData, 1, 0, 0, 1, 0);
    PutSecondGranule(Reference, 5);
    for (int Table : {0, 4, 14}) {
        TLayer3FrameFields Fields;
        PutQuadruple(Fields.MainData, 1, 0, 0, 1, 0);
        PutSecondGranule(Fields, 5);
        Fields.Granules[0][0].BigValues = 100;
        for (int& Select : Fields.Granules[0][0].TableSelect)
            Select = Table;
        // The big values are zeros, so the quadruple lands 200 lines further up.
        EXPECT_NE(DecodeFrames({Fields}).Pcm, DecodeFrames({Reference}).Pcm);
        Fields.Granules[0][0].BigValues = 0;
        EXPECT_EQ(DecodeFrames({Fields}).Pcm, DecodeFrames({Reference}).Pcm);
    }
}

// In a mixed block the two lowest subbands are long blocks: values below line 28
// decode exactly as in a long block, and differently from a pure short block.
TEST(Layer3EdgeCases, MixedBlockKeepsTheLowSubbandsLong)
{
    auto Frame = [](int WindowSwitching, int Mixed) {
        TLayer3FrameFields Fields;
        for (int Granule = 0; Granule < 2; ++Granule) {
            const int Before = Fields.MainData.BitCount;
            for (int Pair = 0; Pair < 14; ++Pair)
                PutHuffmanPair(Fields.MainData, 1, Pair % 3 == 0 ? 1 : 0, Pair % 2 ? -1 : 0);
            TGranuleFields& G = Fields.Granules[Granule][0];
            G.BigValues = 14;
            G.Part2_3Length = Fields.MainData.BitCount - Before;
            G.WindowSwitching = WindowSwitching;
            G.BlockType = WindowSwitching ? 2 : 0;
            G.MixedBlock = Mixed;
        }
        return DecodeFrames({Fields}).Pcm;
    };
    const std::vector<int16_t> Long = Frame(0, 0);
    EXPECT_FALSE(Silent(Long));
    EXPECT_EQ(Frame(1, 1), Long);
    EXPECT_NE(Frame(1, 0), Long);
}

// Intensity stereo (MPEG-1): channel 1's scale factors give the positions above
// its last nonzero value. Position 3 pans to the middle, 0 fully right, and the
// illegal position 9 (its ratio tan(3 pi / 4) = -1 would divide by zero) leaves the
// values as coded.
TEST(Layer3EdgeCases, IntensityStereoPositions)
{
    auto Frame = [](int Position) {
        TLayer3FrameFields Fields;
        Fields.Stereo = true;
        Fields.ModeExtension = 1;
        for (int Granule = 0; Granule < 2; ++Granule) {
            int Before = Fields.MainData.BitCount;
            for (int Pair = 0; Pair < 10; ++Pair)
                PutHuffmanPair(Fields.MainData, 1, 1, Pair % 2 ? -1 : 1);
            TGranuleFields& Left = Fields.Granules[Granule][0];
            Left.BigValues = 10;
            Left.Part2_3Length = Fields.MainData.BitCount - Before;
            // Channel 1: scale factors only (slen1 4 bits for bands 0-10, slen2 3 bits for 11-20).
            Before = Fields.MainData.BitCount;
            for (int Band = 0; Band < 21; ++Band)
                Fields.MainData.Put(Band < 11 ? Position : Position & 7, Band < 11 ? 4 : 3);
            TGranuleFields& Right = Fields.Granules[Granule][1];
            Right.ScalefacCompress = 15;
            Right.Part2_3Length = Fields.MainData.BitCount - Before;
        }
        return DecodeFrames({Fields});
    };
    const TDecodedStream Middle = Frame(3);
    ASSERT_EQ(Middle.Channels, 2);
    EXPECT_FALSE(Silent(Middle.Pcm));
    EXPECT_EQ(ChannelOf(Middle.Pcm, 0), ChannelOf(Middle.Pcm, 1));

    const TDecodedStream Right = Frame(0);
    EXPECT_TRUE(Silent(ChannelOf(Right.Pcm, 0)));
    EXPECT_FALSE(Silent(ChannelOf(Right.Pcm, 1)));

    const TDecodedStream Illegal = Frame(9);
    EXPECT_FALSE(Silent(ChannelOf(Illegal.Pcm, 0)));
    EXPECT_TRUE(Silent(ChannelOf(Illegal.Pcm, 1)));
}

// An MPEG-2 mixed block has 6 long bands (lines 0 to 35). Under intensity stereo its
// long part takes its positions from those alone: long bands 6 and 7 of an earlier
// long block, whose scale factors are still held, do not reach the short part.
TEST(Layer3EdgeCases, Mpeg2MixedBlockIntensityKeepsToItsLongBands)
{
    auto Stream = [](int EarlierPosition) {
        std::vector<TLayer3FrameFields> Frames(2);
        for (int Index = 0; Index < 2; ++Index) {
            TLayer3FrameFields& Fields = Frames[Index];
            Fields.Mpeg1 = false;
            Fields.Stereo = true;
            Fields.ModeExtension = 1;  // intensity stereo; channel 1 silent throughout
            Fields.BitrateIndex = 14;
            TGranuleContent Left, Right;
            TGranuleFields& LeftFields = Fields.Granules[0][0];
            TGranuleFields& RightFields = Fields.Granules[0][1];
            LeftFields.GlobalGain = RightFields.GlobalGain = 170;
            for (int& Table : LeftFields.TableSelect)
                Table = 15;
            RightFields.ScalefacCompress = 129 << 1;  // positions of 3 bits, intensity scale 0 as channel 0's
            for (int& Position : Right.Long)
                Position = 3;
            for (auto& Window : Right.Short)
                for (int& Position : Window)
                    Position = 3;
            if (Index == 0) {
                // A long block with values in the lowest 36 lines only.
                for (int Line = 0; Line < 36; ++Line)
                    Left.Values[Line] = Line % 5 - 2;
                Right.Long[6] = Right.Long[7] = EarlierPosition;
            } else {
                for (TGranuleFields* G : {&LeftFields, &RightFields}) {
                    G->WindowSwitching = 1;
                    G->BlockType = 2;
                    G->MixedBlock = 1;
                }
                for (int Line = 0; Line < 120; ++Line)
                    Left.Values[Line] = Line * 7 % 5 - 2;
            }
            PutGranule(Fields, 0, 0, Left);
            PutGranule(Fields, 0, 1, Right);
        }
        return DecodeFrames(Frames);
    };
    const TDecodedStream First = Stream(1);
    ASSERT_EQ(First.Channels, 2);
    EXPECT_FALSE(Silent(ChannelOf(First.Pcm, 1)));
    EXPECT_EQ(Stream(5).Pcm, First.Pcm);
}

// Window switching with block type 0 ends the side information early; the main
// data is still taken from behind the whole side information, so the next frame's
// data, begun in this frame, decodes as after a regular frame.
TEST(Layer3EdgeCases, BlockTypeZeroWithWindowSwitchingKeepsTheReservoirAligned)
{
    auto Stream = [](bool EarlyEnd) {
        TLayer3FrameFields First;
        First.Granules[0][0].WindowSwitching = EarlyEnd;
        First.MainData.PadTo(FrameBytes - 4 - 17 - 20);
        const int Before = First.MainData.BitCount;
        PutHuffmanPair(First.MainData, 1, 1, 1);
        PutHuffmanPair(First.MainData, 1, -1, 0);
        TLayer3FrameFields Second;
        Second.MainDataBegin = 20;
        Second.Granules[0][0].BigValues = 2;
        Second.Granules[0][0].Part2_3Length = First.MainData.BitCount - Before;
        return DecodeFrames({First, Second});
    };
    const TDecodedStream Regular = Stream(false);
    const TDecodedStream Early = Stream(true);
    ASSERT_EQ(Regular.SamplesByFrame.size(), 2u);
    EXPECT_FALSE(Silent(Regular.Pcm));
    EXPECT_EQ(Early.Pcm, Regular.Pcm);
}

// A stream cut where the first frame's main data begins in a frame that is gone:
// that frame gives no PCM, and two frames later the output is the uncut stream's.
TEST(Layer3EdgeCases, MainDataBeforeTheReservoirSkipsTheFrame)
{
    const std::vector<uint8_t> Whole = ReadFixture("s44_stereo_cbr.mp3");
    const TDecodedStream Reference = DecodeLayer3Stream(Whole);
    // Frame offsets: 417 or 418 bytes each (padding bit), from the start.
    std::vector<size_t> Offsets{0};
    while (Offsets.back() + 4 < Whole.size())
        Offsets.push_back(Offsets.back() + 417 + ((Whole[Offsets.back() + 2] >> 1) & 1));
    size_t Cut = 0;
    int MainDataBegin = 0;
    for (size_t Frame = 3; Frame + 4 < Offsets.size() && MainDataBegin == 0; ++Frame) {
        Cut = Frame;
        MainDataBegin = Whole[Offsets[Frame] + 4] << 1 | Whole[Offsets[Frame] + 5] >> 7;
    }
    ASSERT_GT(MainDataBegin, 0);
    const TDecodedStream Decoded =
        DecodeLayer3Stream(std::vector<uint8_t>(Whole.begin() + static_cast<std::ptrdiff_t>(Offsets[Cut]), Whole.end()));
    ASSERT_EQ(Decoded.SamplesByFrame.front(), 0);
    size_t FirstDecoded = 0;
    while (Decoded.SamplesByFrame[FirstDecoded] == 0)
        ++FirstDecoded;
    const size_t FrameSamples = 1152 * 2;
    const size_t Skip = (FirstDecoded + 1) * FrameSamples;
    ASSERT_GT(Reference.Pcm.size(), (Cut + FirstDecoded + 1) * FrameSamples);
    const std::vector<int16_t> Ours(Decoded.Pcm.begin() + static_cast<std::ptrdiff_t>(FrameSamples), Decoded.Pcm.end());
    const std::vector<int16_t> Theirs(Reference.Pcm.begin() + static_cast<std::ptrdiff_t>((Cut + FirstDecoded + 1) * FrameSamples),
                                      Reference.Pcm.end());
    EXPECT_EQ(Ours, Theirs);
    EXPECT_EQ(Decoded.Pcm.size() + Skip - FrameSamples, Reference.Pcm.size() - Cut * FrameSamples);
}

// Corrupt frame bodies and extreme side information never make the decoder read or
// write outside its arrays (checked by the sanitizer build) or stop the stream.
TEST(Layer3EdgeCases, CorruptDataIsDecodedSafely)
{
    for (const char* Name : {"s44_joint_vbr_tags.mp3", "s22_joint.mp3", "s48_mono_crc.mp3"}) {
        std::vector<uint8_t> Bytes = ReadFixture(Name);
        uint32_t Seed = 12345;
        for (int Round = 0; Round < 4; ++Round) {
            std::vector<uint8_t> Corrupt = Bytes;
            // The first quarter stays intact so that the stream is found at all.
            const size_t Start = Corrupt.size() / 4;
            for (size_t i = 0; i < Corrupt.size() / 50; ++i) {
                Seed = Seed * 1103515245u + 12345u;
                Corrupt[Start + (Seed >> 8) % (Corrupt.size() - Start)] = static_cast<uint8_t>(Seed >> 24);
            }
            const TDecodedStream Decoded = DecodeLayer3Stream(Corrupt);
            EXPECT_GT(Decoded.SamplesByFrame.size(), 2u) << Name;
        }
    }
    TLayer3FrameFields Ones;  // every side-information field at its largest
    for (auto& Granule : Ones.Granules)
        for (TGranuleFields& G : Granule)
            G = {4095, 511, 255, 15, 0, 0, 0, {31, 31, 31}, 15, 7, 1};
    for (int i = 0; i < 396; ++i)
        Ones.MainData.Put(0xFF, 8);
    const std::vector<TLayer3FrameFields> Frames(3, Ones);
    EXPECT_EQ(DecodeFrames(Frames).SamplesByFrame.size(), 3u);
    for (auto& Granule : Ones.Granules)
        for (TGranuleFields& G : Granule)
            G.WindowSwitching = 1, G.BlockType = 2, G.MixedBlock = 1;
    Ones.Stereo = true;
    Ones.ModeExtension = 3;
    EXPECT_EQ(DecodeFrames(std::vector<TLayer3FrameFields>(3, Ones)).SamplesByFrame.size(), 3u);
}
