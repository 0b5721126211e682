// Samples stored as MPEG audio streams: the import through the decoder front end.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "module/LoadCompressed.h"
#include "player/DmfSample.h"
#include "tests/module/LoadFixture.h"
#include "tests/support/TestFiles.h"

namespace {

std::vector<uint8_t> MpegFixture(const std::string& Name)
{
    return ReadFileBytes(std::string(MORVEL_TEST_DATA) + "/mpeg/" + Name);
}

std::vector<uint8_t> WithTitle(std::vector<uint8_t> Stream, const std::string& Title)
{
    std::vector<uint8_t> Tag(128, 0);
    std::memcpy(Tag.data(), "TAG", 3);
    std::memcpy(Tag.data() + 3, Title.data(), std::min<size_t>(Title.size(), 30));
    Stream.insert(Stream.end(), Tag.begin(), Tag.end());
    return Stream;
}

// Largest difference between the sample's PCM and the reference decoding.
int LargestDifference(const TSample& Sample, const std::vector<uint8_t>& Reference)
{
    int Largest = 0;
    for (size_t I = 0; I + 1 < Reference.size(); I += 2) {
        const int A = int16_t(Sample.Data[I] | Sample.Data[I + 1] << 8);
        const int B = int16_t(Reference[I] | Reference[I + 1] << 8);
        Largest = std::max(Largest, std::abs(A - B));
    }
    return Largest;
}

}  // namespace

TEST(LoadCompressed, StereoStreamBecomesSixteenBitPcm)
{
    TQuietLog Quiet;
    const std::vector<uint8_t> Stream = WithTitle(MpegFixture("l2_44k_stereo_192.mp2"), "Sweep and tone");
    const std::vector<uint8_t> Reference = MpegFixture("l2_44k_stereo_192.mp2.ref.raw");
    TSample Sample(nullptr);
    DecodeCompressedSample(Stream.data(), int32_t(Stream.size()), Sample);
    EXPECT_FALSE(Sample.Empty);
    EXPECT_TRUE(Sample.Stereo);
    EXPECT_TRUE(Sample.Is16Bit);
    EXPECT_TRUE(Sample.Enabled);
    EXPECT_TRUE(Sample.Compressed);
    EXPECT_FALSE(Sample.Looped);
    EXPECT_EQ(Sample.Volume, 255);
    EXPECT_EQ(Sample.Rate, 44100);
    EXPECT_EQ(Sample.Name, "Sweep and tone");
    EXPECT_EQ(Sample.CompressedData, Stream);
    EXPECT_EQ(Sample.CompressedSize, int32_t(Stream.size()));
    ASSERT_EQ(Sample.Length, int32_t(Reference.size()));
    ASSERT_EQ(Sample.Buffer.size(), Reference.size() + 32);
    EXPECT_EQ(Sample.Data, Sample.Buffer.data() + 16);
    for (size_t I = 0; I < 16; ++I) {
        EXPECT_EQ(Sample.Buffer[I], 0);
        EXPECT_EQ(Sample.Data[Reference.size() + I], 0);
    }
    EXPECT_LE(LargestDifference(Sample, Reference), 1);
}

TEST(LoadCompressed, SingleChannelStreamIsNotStereo)
{
    TQuietLog Quiet;
    const std::vector<uint8_t> Stream = MpegFixture("l2_32k_mono_48_lowrate.mp2");
    TSample Sample(nullptr);
    DecodeCompressedSample(Stream.data(), int32_t(Stream.size()), Sample);
    EXPECT_FALSE(Sample.Stereo);
    EXPECT_EQ(Sample.Rate, 32000);
    EXPECT_EQ(Sample.Length, int32_t(MpegFixture("l2_32k_mono_48_lowrate.mp2.ref.raw").size()));
    EXPECT_EQ(Sample.Name, "");
}

TEST(LoadCompressed, TitleRules)
{
    TQuietLog Quiet;
    const std::vector<uint8_t> Frames = MpegFixture("l1_32k_mono.mp1");
    TSample Sample(nullptr);
    const std::vector<uint8_t> Long = WithTitle(Frames, std::string(30, 'x'));
    DecodeCompressedSample(Long.data(), int32_t(Long.size()), Sample);
    EXPECT_EQ(Sample.Name, std::string(30, 'x'));
    const std::vector<uint8_t> Blank = WithTitle(Frames, std::string(1, '\0') + "hidden");
    DecodeCompressedSample(Blank.data(), int32_t(Blank.size()), Sample);
    EXPECT_EQ(Sample.Name, "");
}

TEST(LoadCompressed, StreamWithoutFramesGivesNoPcm)
{
    TQuietLog Quiet;
    const std::vector<uint8_t> Junk(700, 0x55);
    TSample Sample(nullptr);
    DecodeCompressedSample(Junk.data(), int32_t(Junk.size()), Sample);
    EXPECT_EQ(Sample.Length, 0);
    EXPECT_EQ(Sample.Rate, 0);
    EXPECT_TRUE(Sample.Compressed);
    EXPECT_EQ(Sample.CompressedData, Junk);
    DecodeCompressedSample(nullptr, 0, Sample);
    EXPECT_EQ(Sample.Length, 0);
    EXPECT_TRUE(Sample.CompressedData.empty());
}

TEST(LoadCompressed, ModuleWithALayerTwoSampleLoadsAndRenders)
{
    TQuietLog Quiet;
    const std::vector<uint8_t> Reference = MpegFixture("l2_44k_stereo_192.mp2.ref.raw");
    TWriterSong Song = SmallSong();
    TWriterSample& Mpeg = Song.Samples[0];
    Mpeg.Name = "layer two";
    Mpeg.Pcm.clear();
    Mpeg.CuePoints.clear();
    Mpeg.Encoding = TWriterEncoding::Mpeg;
    Mpeg.Compressed = WithTitle(MpegFixture("l2_44k_stereo_192.mp2"), "from the tag");
    Mpeg.Rate = 44100;
    Mpeg.Stereo = true;
    Mpeg.Is16Bit = true;
    Mpeg.LengthField = int32_t(Reference.size()) + 5000;  // longer than the stream decodes to
    auto Dmf = LoadBytes(WriteSong(Song));
    ASSERT_TRUE(Dmf->Loaded);
    const TSample& Sample = *Dmf->GetSample(1);
    EXPECT_EQ(Sample.Rate, 44100);
    EXPECT_TRUE(Sample.Stereo);
    EXPECT_TRUE(Sample.Is16Bit);
    EXPECT_EQ(Sample.Name, "layer two");  // the record's name replaces the tag's
    EXPECT_EQ(Sample.Length, int32_t(Reference.size()));
    EXPECT_LE(LargestDifference(Sample, Reference), 1);

    Dmf->Start();
    std::vector<int16_t> Block(size_t(Dmf->BlockBytes / 2));
    int Loud = 0;
    for (int Tick = 0; Tick < 8; ++Tick) {
        Dmf->RenderBlock(Block.data(), Dmf->BlockBytes);
        for (int16_t Value : Block)
            Loud += std::abs(Value) > 100;
    }
    EXPECT_GT(Loud, 100);
}

TEST(LoadCompressed, DecodingStopsOneChunkPastWhatIsWanted)
{
    // The whole stream decodes to the reference; asked for 1000 bytes, the
    // decoder stops after the read chunk that passes them, and what it kept
    // is the start of the full decode.
    TQuietLog Quiet;
    const std::vector<uint8_t> Stream = MpegFixture("l2_44k_stereo_192.mp2");
    const std::vector<uint8_t> Reference = MpegFixture("l2_44k_stereo_192.mp2.ref.raw");
    ASSERT_GT(Reference.size(), 30000u + 16384);
    TSample Whole(nullptr), Part(nullptr);
    DecodeCompressedSample(Stream.data(), int32_t(Stream.size()), Whole);
    for (const int32_t Wanted : {0, 1000, 16384, 30000}) {
        DecodeCompressedSample(Stream.data(), int32_t(Stream.size()), Part, Wanted);
        EXPECT_EQ(Part.Length, Wanted + 16384) << Wanted;
        EXPECT_TRUE(std::equal(Part.Data, Part.Data + Part.Length, Whole.Data)) << Wanted;
        EXPECT_EQ(Part.Data[Part.Length], 0) << Wanted;  // the guard bytes follow
    }
}

TEST(LoadCompressed, ModuleSamplesDecodeOnlyWhatTheirRecordsAsk)
{
    // Records that claim 2 GB or 1000 bytes of a stream that decodes to 55 kB:
    // the first keeps the whole decode, the second one chunk past its length;
    // both play only what their records and the stream allow.
    TQuietLog Quiet;
    const auto LoadWithLength = [](int32_t Length) {
        TWriterSample Sample;
        Sample.Encoding = TWriterEncoding::Mpeg;
        Sample.Compressed = MpegFixture("l2_44k_stereo_192.mp2");
        Sample.LengthField = Length;
        TModuleWriter Writer;
        Writer.SampleInfo({Sample}, 8).SampleData({Sample}).End();
        return LoadBytes(Writer.Bytes());
    };
    const size_t Decoded = MpegFixture("l2_44k_stereo_192.mp2.ref.raw").size();
    auto Huge = LoadWithLength(0x7FFFFFFF);
    EXPECT_EQ(Huge->GetSample(1)->Length, int32_t(Decoded));
    EXPECT_EQ(Huge->GetSample(1)->Buffer.size(), Decoded + 32);
    auto Small = LoadWithLength(1000);
    EXPECT_EQ(Small->GetSample(1)->Length, 1000);
    EXPECT_EQ(Small->GetSample(1)->Buffer.size(), 1000u + 16384 + 32);
}
