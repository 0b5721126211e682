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
    std::vector<uint8_t> tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    std::memcpy(tag.data() + 3, Title.data(), std::min<size_t>(Title.size(), 30));
    Stream.insert(Stream.end(), tag.begin(), tag.end());
    return Stream;
}

// Largest difference between the sample's PCM and the reference decoding.
int LargestDifference(const TSample& Sample, const std::vector<uint8_t>& Reference)
{
    int largest = 0;
    for (size_t i = 0; i + 1 < Reference.size(); i += 2) {
        const int a = static_cast<int16_t>(Sample.Data[i] | Sample.Data[i + 1] << 8);
        const int b = static_cast<int16_t>(Reference[i] | Reference[i + 1] << 8);
        largest = std::max(largest, std::abs(a - b));
    }
    return largest;
}

}  // namespace

TEST(LoadCompressed, StereoStreamBecomesSixteenBitPcm)
{
    TQuietLog quiet;
    const std::vector<uint8_t> stream = WithTitle(MpegFixture("l2_44k_stereo_192.mp2"), "Sweep and tone");
    const std::vector<uint8_t> reference = MpegFixture("l2_44k_stereo_192.mp2.ref.raw");
    TSample sample(nullptr);
    DecodeCompressedSample(stream.data(), static_cast<int32_t>(stream.size()), sample);
    EXPECT_FALSE(sample.Empty);
    EXPECT_TRUE(sample.Stereo);
    EXPECT_TRUE(sample.Is16Bit);
    EXPECT_TRUE(sample.Enabled);
    EXPECT_TRUE(sample.Compressed);
    EXPECT_FALSE(sample.Looped);
    EXPECT_EQ(sample.Volume, 255);
    EXPECT_EQ(sample.Rate, 44100);
    EXPECT_EQ(sample.Name, "Sweep and tone");
    EXPECT_EQ(sample.CompressedData, stream);
    EXPECT_EQ(sample.CompressedSize, static_cast<int32_t>(stream.size()));
    ASSERT_EQ(sample.Length, static_cast<int32_t>(reference.size()));
    ASSERT_EQ(sample.Buffer.size(), reference.size() + 32);
    EXPECT_EQ(sample.Data, sample.Buffer.data() + 16);
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(sample.Buffer[i], 0);
        EXPECT_EQ(sample.Data[reference.size() + i], 0);
    }
    EXPECT_LE(LargestDifference(sample, reference), 1);
}

TEST(LoadCompressed, SingleChannelStreamIsNotStereo)
{
    TQuietLog quiet;
    const std::vector<uint8_t> stream = MpegFixture("l2_32k_mono_48_lowrate.mp2");
    TSample sample(nullptr);
    DecodeCompressedSample(stream.data(), static_cast<int32_t>(stream.size()), sample);
    EXPECT_FALSE(sample.Stereo);
    EXPECT_EQ(sample.Rate, 32000);
    EXPECT_EQ(sample.Length, static_cast<int32_t>(MpegFixture("l2_32k_mono_48_lowrate.mp2.ref.raw").size()));
    EXPECT_EQ(sample.Name, "");
}

TEST(LoadCompressed, TitleRules)
{
    TQuietLog quiet;
    const std::vector<uint8_t> frames = MpegFixture("l1_32k_mono.mp1");
    TSample sample(nullptr);
    const std::vector<uint8_t> longTitle = WithTitle(frames, std::string(30, 'x'));
    DecodeCompressedSample(longTitle.data(), static_cast<int32_t>(longTitle.size()), sample);
    EXPECT_EQ(sample.Name, std::string(30, 'x'));
    const std::vector<uint8_t> blank = WithTitle(frames, std::string(1, '\0') + "hidden");
    DecodeCompressedSample(blank.data(), static_cast<int32_t>(blank.size()), sample);
    EXPECT_EQ(sample.Name, "");
}

TEST(LoadCompressed, StreamWithoutFramesGivesNoPcm)
{
    TQuietLog quiet;
    const std::vector<uint8_t> junk(700, 0x55);
    TSample sample(nullptr);
    DecodeCompressedSample(junk.data(), static_cast<int32_t>(junk.size()), sample);
    EXPECT_EQ(sample.Length, 0);
    EXPECT_EQ(sample.Rate, 0);
    EXPECT_TRUE(sample.Compressed);
    EXPECT_EQ(sample.CompressedData, junk);
    DecodeCompressedSample(nullptr, 0, sample);
    EXPECT_EQ(sample.Length, 0);
    EXPECT_TRUE(sample.CompressedData.empty());
}

TEST(LoadCompressed, ModuleWithALayerTwoSampleLoadsAndRenders)
{
    TQuietLog quiet;
    const std::vector<uint8_t> reference = MpegFixture("l2_44k_stereo_192.mp2.ref.raw");
    TWriterSong song = SmallSong();
    TWriterSample& mpeg = song.Samples[0];
    mpeg.Name = "layer two";
    mpeg.Pcm.clear();
    mpeg.CuePoints.clear();
    mpeg.Encoding = TWriterEncoding::Mpeg;
    mpeg.Compressed = WithTitle(MpegFixture("l2_44k_stereo_192.mp2"), "from the tag");
    mpeg.Rate = 44100;
    mpeg.Stereo = true;
    mpeg.Is16Bit = true;
    mpeg.LengthField = static_cast<int32_t>(reference.size()) + 5000;  // longer than the stream decodes to
    auto dmf = LoadBytes(WriteSong(song));
    ASSERT_TRUE(dmf->Loaded);
    const TSample& sample = *dmf->GetSample(1);
    EXPECT_EQ(sample.Rate, 44100);
    EXPECT_TRUE(sample.Stereo);
    EXPECT_TRUE(sample.Is16Bit);
    EXPECT_EQ(sample.Name, "layer two");  // the record's name replaces the tag's
    EXPECT_EQ(sample.Length, static_cast<int32_t>(reference.size()));
    EXPECT_LE(LargestDifference(sample, reference), 1);

    dmf->Start();
    std::vector<int16_t> block(static_cast<size_t>(dmf->BlockBytes / 2));
    int loud = 0;
    for (int tick = 0; tick < 8; ++tick) {
        dmf->RenderBlock(block.data(), dmf->BlockBytes);
        for (int16_t value : block) {
            loud += std::abs(value) > 100;
        }
    }
    EXPECT_GT(loud, 100);
}

TEST(LoadCompressed, DecodingStopsOneChunkPastWhatIsWanted)
{
    // The whole stream decodes to the reference; asked for 1000 bytes, the
    // decoder stops after the read chunk that passes them, and what it kept
    // is the start of the full decode.
    TQuietLog quiet;
    const std::vector<uint8_t> stream = MpegFixture("l2_44k_stereo_192.mp2");
    const std::vector<uint8_t> reference = MpegFixture("l2_44k_stereo_192.mp2.ref.raw");
    ASSERT_GT(reference.size(), 30000u + 16384);
    TSample whole(nullptr), part(nullptr);
    DecodeCompressedSample(stream.data(), static_cast<int32_t>(stream.size()), whole);
    for (const int32_t wanted : {0, 1000, 16384, 30000}) {
        DecodeCompressedSample(stream.data(), static_cast<int32_t>(stream.size()), part, wanted);
        EXPECT_EQ(part.Length, wanted + 16384) << wanted;
        EXPECT_TRUE(std::equal(part.Data, part.Data + part.Length, whole.Data)) << wanted;
        EXPECT_EQ(part.Data[part.Length], 0) << wanted;  // the guard bytes follow
    }
}

TEST(LoadCompressed, ModuleSamplesDecodeOnlyWhatTheirRecordsAsk)
{
    // Records that claim 2 GB or 1000 bytes of a stream that decodes to 55 kB:
    // the first keeps the whole decode, the second one chunk past its length;
    // both play only what their records and the stream allow.
    TQuietLog quiet;
    const auto loadWithLength = [](int32_t Length) {
        TWriterSample sample;
        sample.Encoding = TWriterEncoding::Mpeg;
        sample.Compressed = MpegFixture("l2_44k_stereo_192.mp2");
        sample.LengthField = Length;
        TModuleWriter writer;
        writer.SampleInfo({sample}, 8).SampleData({sample}).End();
        return LoadBytes(writer.Bytes());
    };
    const size_t decoded = MpegFixture("l2_44k_stereo_192.mp2.ref.raw").size();
    auto huge = loadWithLength(0x7FFFFFFF);
    EXPECT_EQ(huge->GetSample(1)->Length, static_cast<int32_t>(decoded));
    EXPECT_EQ(huge->GetSample(1)->Buffer.size(), decoded + 32);
    auto little = loadWithLength(1000);
    EXPECT_EQ(little->GetSample(1)->Length, 1000);
    EXPECT_EQ(little->GetSample(1)->Buffer.size(), 1000u + 16384 + 32);
}
