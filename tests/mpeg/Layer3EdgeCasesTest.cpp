#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/mpeg/Layer3FrameBuilder.h"
#include "tests/mpeg/Layer3GranuleWriter.h"
#include "tests/mpeg/Layer3StreamDecoder.h"

namespace {

TDecodedStream DecodeFrames(const std::vector<TLayer3FrameFields>& FrameList)
{
    std::vector<uint8_t> bytes;
    for (const TLayer3FrameFields& fields : FrameList) {
        const std::vector<uint8_t> frame = BuildFrame(fields);
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    return DecodeLayer3Stream(bytes);
}

bool Silent(const std::vector<int16_t>& Pcm)
{
    return std::all_of(Pcm.begin(), Pcm.end(), [](int16_t Sample) { return Sample == 0; });
}

// Channel Channel of interleaved stereo PCM.
std::vector<int16_t> ChannelOf(const std::vector<int16_t>& Pcm, int Channel)
{
    std::vector<int16_t> samples;
    for (size_t i = Channel; i < Pcm.size(); i += 2) {
        samples.push_back(Pcm[i]);
    }
    return samples;
}

// Granule 1 of every frame below: one negative count1 quadruple of table 33.
void PutSecondGranule(TLayer3FrameFields& Fields, int FirstGranuleBits)
{
    const int before = Fields.MainData.BitCount;
    PutQuadruple(Fields.MainData, 1, 0, -1, 0, 0);
    Fields.Granules[0][0].Part2_3Length = FirstGranuleBits;
    Fields.Granules[1][0].Part2_3Length = Fields.MainData.BitCount - before;
    Fields.Granules[0][0].Count1Table = Fields.Granules[1][0].Count1Table = 1;
}

}  // namespace

// A count1 quadruple that ends 3 bits beyond part2_3_end is dropped and its bits
// handed back; one that ends exactly there stays.
TEST(Layer3EdgeCases, CountOneOvershootDropsTheLastQuadruple)
{
    TLayer3FrameFields exact;  // one quadruple, ending exactly at the end of the granule
    PutQuadruple(exact.MainData, 1, 0, 0, 0, 1);
    PutSecondGranule(exact, 5);

    TLayer3FrameFields overshoot;  // the same, with 2 more bits that start another quadruple
    PutQuadruple(overshoot.MainData, 1, 0, 0, 0, 1);
    overshoot.MainData.Put(3, 2);
    PutSecondGranule(overshoot, 7);

    TLayer3FrameFields two;  // two whole quadruples
    PutQuadruple(two.MainData, 1, 0, 0, 0, 1);
    PutQuadruple(two.MainData, 1, 1, 0, 0, 0);
    PutSecondGranule(two, 10);

    const TDecodedStream a = DecodeFrames({exact});
    const TDecodedStream b = DecodeFrames({overshoot});
    const TDecodedStream c = DecodeFrames({two});
    ASSERT_EQ(a.Pcm.size(), 1152u);
    EXPECT_FALSE(Silent(a.Pcm));
    EXPECT_EQ(a.Pcm, b.Pcm);
    EXPECT_NE(a.Pcm, c.Pcm);
}

// big_values 288 fills the granule from the big-value region; a larger field is
// limited to 288 instead of writing beyond the granule.
TEST(Layer3EdgeCases, BigValuesAreLimitedTo288)
{
    auto frame = [](int BigValues) {
        TLayer3FrameFields fields;
        PutHuffmanPair(fields.MainData, 1, 1, -1);
        for (int pair = 1; pair < 287; ++pair) {
            PutHuffmanPair(fields.MainData, 1, 0, 0);
        }
        PutHuffmanPair(fields.MainData, 1, 1, 0);
        fields.Granules[0][0].BigValues = BigValues;
        fields.Granules[0][0].Part2_3Length = fields.MainData.BitCount;
        return fields;
    };
    const TDecodedStream full = DecodeFrames({frame(288)});
    EXPECT_FALSE(Silent(full.Pcm));
    EXPECT_EQ(DecodeFrames({frame(300)}).Pcm, full.Pcm);
    EXPECT_EQ(DecodeFrames({frame(511)}).Pcm, full.Pcm);
}

// Tables 0, 4 and 14 decode zeros without reading bits: the granule is silent and
// the count1 region that follows starts at the granule's first bit.
TEST(Layer3EdgeCases, TablesWithoutCodesReadNoBits)
{
    TLayer3FrameFields reference;
    PutQuadruple(reference.MainData, 1, 0, 0, 1, 0);
    PutSecondGranule(reference, 5);
    for (int table : {0, 4, 14}) {
        TLayer3FrameFields fields;
        PutQuadruple(fields.MainData, 1, 0, 0, 1, 0);
        PutSecondGranule(fields, 5);
        fields.Granules[0][0].BigValues = 100;
        for (int& select : fields.Granules[0][0].TableSelect) {
            select = table;
        }
        // The big values are zeros, so the quadruple lands 200 lines further up.
        EXPECT_NE(DecodeFrames({fields}).Pcm, DecodeFrames({reference}).Pcm);
        fields.Granules[0][0].BigValues = 0;
        EXPECT_EQ(DecodeFrames({fields}).Pcm, DecodeFrames({reference}).Pcm);
    }
}

// In a mixed block the two lowest subbands are long blocks: values below line 28
// decode exactly as in a long block, and differently from a pure short block.
TEST(Layer3EdgeCases, MixedBlockKeepsTheLowSubbandsLong)
{
    auto frame = [](int WindowSwitching, int Mixed) {
        TLayer3FrameFields fields;
        for (int granule = 0; granule < 2; ++granule) {
            const int before = fields.MainData.BitCount;
            for (int pair = 0; pair < 14; ++pair) {
                PutHuffmanPair(fields.MainData, 1, pair % 3 == 0 ? 1 : 0, pair % 2 ? -1 : 0);
            }
            TGranuleFields& g = fields.Granules[granule][0];
            g.BigValues = 14;
            g.Part2_3Length = fields.MainData.BitCount - before;
            g.WindowSwitching = WindowSwitching;
            g.BlockType = WindowSwitching ? 2 : 0;
            g.MixedBlock = Mixed;
        }
        return DecodeFrames({fields}).Pcm;
    };
    const std::vector<int16_t> longBlocks = frame(0, 0);
    EXPECT_FALSE(Silent(longBlocks));
    EXPECT_EQ(frame(1, 1), longBlocks);
    EXPECT_NE(frame(1, 0), longBlocks);
}

// Intensity stereo (MPEG-1): channel 1's scale factors give the positions above
// its last nonzero value. Position 3 pans to the middle, 0 fully right, and the
// illegal position 9 (its ratio tan(3 pi / 4) = -1 would divide by zero) leaves the
// values as coded.
TEST(Layer3EdgeCases, IntensityStereoPositions)
{
    auto frame = [](int Position) {
        TLayer3FrameFields fields;
        fields.Stereo = true;
        fields.ModeExtension = 1;
        for (int granule = 0; granule < 2; ++granule) {
            int before = fields.MainData.BitCount;
            for (int pair = 0; pair < 10; ++pair) {
                PutHuffmanPair(fields.MainData, 1, 1, pair % 2 ? -1 : 1);
            }
            TGranuleFields& left = fields.Granules[granule][0];
            left.BigValues = 10;
            left.Part2_3Length = fields.MainData.BitCount - before;
            // Channel 1: scale factors only (slen1 4 bits for bands 0-10, slen2 3 bits for 11-20).
            before = fields.MainData.BitCount;
            for (int band = 0; band < 21; ++band) {
                fields.MainData.Put(band < 11 ? Position : Position & 7, band < 11 ? 4 : 3);
            }
            TGranuleFields& right = fields.Granules[granule][1];
            right.ScalefacCompress = 15;
            right.Part2_3Length = fields.MainData.BitCount - before;
        }
        return DecodeFrames({fields});
    };
    const TDecodedStream middle = frame(3);
    ASSERT_EQ(middle.Channels, 2);
    EXPECT_FALSE(Silent(middle.Pcm));
    EXPECT_EQ(ChannelOf(middle.Pcm, 0), ChannelOf(middle.Pcm, 1));

    const TDecodedStream right = frame(0);
    EXPECT_TRUE(Silent(ChannelOf(right.Pcm, 0)));
    EXPECT_FALSE(Silent(ChannelOf(right.Pcm, 1)));

    const TDecodedStream illegal = frame(9);
    EXPECT_FALSE(Silent(ChannelOf(illegal.Pcm, 0)));
    EXPECT_TRUE(Silent(ChannelOf(illegal.Pcm, 1)));
}

// An MPEG-2 mixed block has 6 long bands (lines 0 to 35). Under intensity stereo its
// long part takes its positions from those alone: long bands 6 and 7 of an earlier
// long block, whose scale factors are still held, do not reach the short part.
TEST(Layer3EdgeCases, Mpeg2MixedBlockIntensityKeepsToItsLongBands)
{
    auto stream = [](int EarlierPosition) {
        std::vector<TLayer3FrameFields> frames(2);
        for (int index = 0; index < 2; ++index) {
            TLayer3FrameFields& fields = frames[index];
            fields.Mpeg1 = false;
            fields.Stereo = true;
            fields.ModeExtension = 1;  // intensity stereo; channel 1 silent throughout
            fields.BitrateIndex = 14;
            TGranuleContent left, right;
            TGranuleFields& leftFields = fields.Granules[0][0];
            TGranuleFields& rightFields = fields.Granules[0][1];
            leftFields.GlobalGain = rightFields.GlobalGain = 170;
            for (int& table : leftFields.TableSelect) {
                table = 15;
            }
            rightFields.ScalefacCompress = 129 << 1;  // positions of 3 bits, intensity scale 0 as channel 0's
            for (int& position : right.Long) {
                position = 3;
            }
            for (auto& window : right.Short) {
                for (int& position : window) {
                    position = 3;
                }
            }
            if (index == 0) {
                // A long block with values in the lowest 36 lines only.
                for (int line = 0; line < 36; ++line) {
                    left.Values[line] = line % 5 - 2;
                }
                right.Long[6] = right.Long[7] = EarlierPosition;
            } else {
                for (TGranuleFields* g : {&leftFields, &rightFields}) {
                    g->WindowSwitching = 1;
                    g->BlockType = 2;
                    g->MixedBlock = 1;
                }
                for (int line = 0; line < 120; ++line) {
                    left.Values[line] = line * 7 % 5 - 2;
                }
            }
            PutGranule(fields, 0, 0, left);
            PutGranule(fields, 0, 1, right);
        }
        return DecodeFrames(frames);
    };
    const TDecodedStream first = stream(1);
    ASSERT_EQ(first.Channels, 2);
    EXPECT_FALSE(Silent(ChannelOf(first.Pcm, 1)));
    EXPECT_EQ(stream(5).Pcm, first.Pcm);
}

// Window switching with block type 0 ends the side information early; the main
// data is still taken from behind the whole side information, so the next frame's
// data, begun in this frame, decodes as after a regular frame.
TEST(Layer3EdgeCases, BlockTypeZeroWithWindowSwitchingKeepsTheReservoirAligned)
{
    auto stream = [](bool EarlyEnd) {
        TLayer3FrameFields first;
        first.Granules[0][0].WindowSwitching = EarlyEnd;
        first.MainData.PadTo(FrameBytes - 4 - 17 - 20);
        const int before = first.MainData.BitCount;
        PutHuffmanPair(first.MainData, 1, 1, 1);
        PutHuffmanPair(first.MainData, 1, -1, 0);
        TLayer3FrameFields second;
        second.MainDataBegin = 20;
        second.Granules[0][0].BigValues = 2;
        second.Granules[0][0].Part2_3Length = first.MainData.BitCount - before;
        return DecodeFrames({first, second});
    };
    const TDecodedStream regular = stream(false);
    const TDecodedStream early = stream(true);
    ASSERT_EQ(regular.SamplesByFrame.size(), 2u);
    EXPECT_FALSE(Silent(regular.Pcm));
    EXPECT_EQ(early.Pcm, regular.Pcm);
}

// A stream cut where the first frame's main data begins in a frame that is gone:
// that frame gives no PCM, and two frames later the output is the uncut stream's.
TEST(Layer3EdgeCases, MainDataBeforeTheReservoirSkipsTheFrame)
{
    const std::vector<uint8_t> whole = ReadFixture("s44_stereo_cbr.mp3");
    const TDecodedStream reference = DecodeLayer3Stream(whole);
    // Frame offsets: 417 or 418 bytes each (padding bit), from the start.
    std::vector<size_t> offsets{0};
    while (offsets.back() + 4 < whole.size()) {
        offsets.push_back(offsets.back() + 417 + ((whole[offsets.back() + 2] >> 1) & 1));
    }
    size_t cut = 0;
    int mainDataBegin = 0;
    for (size_t frame = 3; frame + 4 < offsets.size() && mainDataBegin == 0; ++frame) {
        cut = frame;
        mainDataBegin = whole[offsets[frame] + 4] << 1 | whole[offsets[frame] + 5] >> 7;
    }
    ASSERT_GT(mainDataBegin, 0);
    const TDecodedStream decoded = DecodeLayer3Stream(
        std::vector<uint8_t>(whole.begin() + static_cast<std::ptrdiff_t>(offsets[cut]), whole.end()));
    ASSERT_EQ(decoded.SamplesByFrame.front(), 0);
    size_t firstDecoded = 0;
    while (decoded.SamplesByFrame[firstDecoded] == 0) {
        ++firstDecoded;
    }
    const size_t frameSamples = 1152 * 2;
    const size_t skip = (firstDecoded + 1) * frameSamples;
    ASSERT_GT(reference.Pcm.size(), (cut + firstDecoded + 1) * frameSamples);
    const std::vector<int16_t> ours(decoded.Pcm.begin() + static_cast<std::ptrdiff_t>(frameSamples), decoded.Pcm.end());
    const std::vector<int16_t> theirs(reference.Pcm.begin() +
                                          static_cast<std::ptrdiff_t>((cut + firstDecoded + 1) * frameSamples),
                                      reference.Pcm.end());
    EXPECT_EQ(ours, theirs);
    EXPECT_EQ(decoded.Pcm.size() + skip - frameSamples, reference.Pcm.size() - cut * frameSamples);
}

// Corrupt frame bodies and extreme side information never make the decoder read or
// write outside its arrays (checked by the sanitizer build) or stop the stream.
TEST(Layer3EdgeCases, CorruptDataIsDecodedSafely)
{
    for (const char* name : {"s44_joint_vbr_tags.mp3", "s22_joint.mp3", "s48_mono_crc.mp3"}) {
        std::vector<uint8_t> bytes = ReadFixture(name);
        uint32_t seed = 12345;
        for (int round = 0; round < 4; ++round) {
            std::vector<uint8_t> corrupt = bytes;
            // The first quarter stays intact so that the stream is found at all.
            const size_t start = corrupt.size() / 4;
            for (size_t i = 0; i < corrupt.size() / 50; ++i) {
                seed = seed * 1103515245u + 12345u;
                corrupt[start + (seed >> 8) % (corrupt.size() - start)] = static_cast<uint8_t>(seed >> 24);
            }
            const TDecodedStream decoded = DecodeLayer3Stream(corrupt);
            EXPECT_GT(decoded.SamplesByFrame.size(), 2u) << name;
        }
    }
    TLayer3FrameFields ones;  // every side-information field at its largest
    for (auto& granule : ones.Granules) {
        for (TGranuleFields& g : granule) {
            g = {4095, 511, 255, 15, 0, 0, 0, {31, 31, 31}, 15, 7, 1};
        }
    }
    for (int i = 0; i < 396; ++i) {
        ones.MainData.Put(0xFF, 8);
    }
    const std::vector<TLayer3FrameFields> frames(3, ones);
    EXPECT_EQ(DecodeFrames(frames).SamplesByFrame.size(), 3u);
    for (auto& granule : ones.Granules) {
        for (TGranuleFields& g : granule) {
            g.WindowSwitching = 1, g.BlockType = 2, g.MixedBlock = 1;
        }
    }
    ones.Stereo = true;
    ones.ModeExtension = 3;
    EXPECT_EQ(DecodeFrames(std::vector<TLayer3FrameFields>(3, ones)).SamplesByFrame.size(), 3u);
}
