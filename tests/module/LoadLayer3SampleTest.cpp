// Samples stored as Layer III streams: the import decodes them like the reference
// decoder, and a module holding them loads and plays them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "module/LoadCompressed.h"
#include "player/DmfSample.h"
#include "tests/module/LoadFixture.h"
#include "tests/support/TestFiles.h"

namespace {

struct TLayer3Fixture {
    const char* Stream;     // file in tests/data/mpeg3
    const char* Reference;  // mpg123's PCM of it
    int32_t Rate;           // sampling rate
    bool Stereo;            // two channels
    const char* Title;      // title of the ID3v1 tag, empty when none
};

// Mono and stereo at 22.05 and 44.1 kHz, and a stream inside a RIFF WAV.
const TLayer3Fixture Fixtures[] = {
    {"s44_stereo_cbr.mp3", "s44_stereo_cbr.pcm", 44100, true, ""},
    {"s22_joint.mp3", "s22_joint.pcm", 22050, true, ""},
    {"s44_mono_title.mp3", "s44_mono_title.pcm", 44100, false, "Flute"},
    {"s22_mono_title.mp3", "s22_mono_title.pcm", 22050, false, "Bell"},
    {"riff_s44_stereo.wav", "riff_s44_stereo.pcm", 44100, true, ""},
};

std::vector<uint8_t> Layer3Fixture(const std::string& Name)
{
    return ReadFileBytes(std::string(MORVEL_TEST_DATA) + "/mpeg3/" + Name);
}

int16_t SampleAt(const uint8_t* Bytes, size_t Index)
{
    return static_cast<int16_t>(Bytes[2 * Index] | Bytes[2 * Index + 1] << 8);
}

// PCM bytes of the encoder's information frame, which the reference leaves out and
// the decoder delivers as one frame of silence.
int32_t InformationFrameBytes(const TLayer3Fixture& Fixture)
{
    const int32_t frameSamples = Fixture.Rate >= 32000 ? 1152 : 576;
    return frameSamples * (Fixture.Stereo ? 4 : 2);
}

// A song of one track that starts sample s at row 8 (s - 1), at the reference note so
// that it plays at its own rate; each gets 8 rows (half a second) to itself.
TWriterSong SongPlaying(const std::vector<TWriterSample>& Samples)
{
    TWriterSong song;
    song.Title = "Layer III";
    song.Composer = "Tester";
    song.Sequence = {0};
    song.SongTracks = 1;
    TWriterPattern pattern(1, static_cast<int>(8 * Samples.size()), 0x40);
    for (size_t s = 0; s < Samples.size(); ++s) {
        pattern.At(0, static_cast<int>(8 * s)) = {static_cast<uint8_t>(s + 1), 37, 255};
    }
    song.Patterns = {pattern};
    song.Samples = Samples;
    return song;
}

}  // namespace

// The stream's rate, channels, title and PCM; the information frame aside, the PCM is
// the reference's within 4 LSB.
TEST(LoadLayer3Sample, ImportMatchesTheReferenceDecoder)
{
    TQuietLog quiet;
    for (const TLayer3Fixture& fixture : Fixtures) {
        SCOPED_TRACE(fixture.Stream);
        const std::vector<uint8_t> stream = Layer3Fixture(fixture.Stream);
        const std::vector<uint8_t> reference = Layer3Fixture(fixture.Reference);
        ASSERT_FALSE(reference.empty());
        TSample sample(nullptr);
        DecodeCompressedSample(stream.data(), static_cast<int32_t>(stream.size()), sample);
        EXPECT_EQ(sample.Rate, fixture.Rate);
        EXPECT_EQ(sample.Stereo, fixture.Stereo);
        EXPECT_TRUE(sample.Is16Bit);
        EXPECT_TRUE(sample.Compressed);
        EXPECT_EQ(sample.Name, fixture.Title);
        const int32_t lead = sample.Length - static_cast<int32_t>(reference.size());
        ASSERT_TRUE(lead == 0 || lead == InformationFrameBytes(fixture)) << lead;
        ASSERT_EQ(sample.Buffer.size(), static_cast<size_t>(sample.Length) + 32);
        for (int32_t i = 0; i < lead; ++i) {
            ASSERT_EQ(sample.Data[i], 0);
        }
        int largest = 0;
        for (size_t i = 0; i < reference.size() / 2; ++i) {
            largest = std::max(largest, std::abs(SampleAt(sample.Data + lead, i) - SampleAt(reference.data(), i)));
        }
        EXPECT_LE(largest, 4);
    }
}

// Each sample keeps its record's fields and name, its length is the smaller of the
// record's and the decoded one, and the song plays every one of them audibly and
// without clipping. The information load decodes none.
TEST(LoadLayer3Sample, ModuleLoadsAndPlaysLayer3Samples)
{
    TQuietLog quiet;
    std::vector<TWriterSample> samples;
    std::vector<int32_t> decoded;
    for (const TLayer3Fixture& fixture : Fixtures) {
        TWriterSample sample;
        sample.Name = std::string("rec ") + fixture.Stream;
        sample.Encoding = TWriterEncoding::Mpeg;
        sample.Compressed = Layer3Fixture(fixture.Stream);
        sample.Rate = static_cast<uint16_t>(fixture.Rate);
        sample.Stereo = fixture.Stereo;
        sample.Is16Bit = true;
        TSample imported(nullptr);
        DecodeCompressedSample(sample.Compressed.data(), static_cast<int32_t>(sample.Compressed.size()), imported);
        decoded.push_back(imported.Length);
        // Alternately longer and shorter than what the stream decodes to.
        sample.LengthField = samples.size() % 2 ? imported.Length / 2 : imported.Length + 6000;
        samples.push_back(sample);
    }
    const std::vector<uint8_t> file = WriteSong(SongPlaying(samples));
    auto dmf = LoadBytes(file);
    ASSERT_TRUE(dmf->Loaded);
    ASSERT_EQ(dmf->SampleCount, static_cast<int32_t>(samples.size()));
    for (size_t s = 0; s < samples.size(); ++s) {
        SCOPED_TRACE(samples[s].Name);
        const TSample& sample = *dmf->GetSample(static_cast<int32_t>(s + 1));
        EXPECT_EQ(sample.Rate, Fixtures[s].Rate);
        EXPECT_EQ(sample.Stereo, Fixtures[s].Stereo);
        EXPECT_TRUE(sample.Is16Bit);
        EXPECT_TRUE(sample.Enabled);
        EXPECT_FALSE(sample.Empty);
        EXPECT_EQ(sample.Name, samples[s].Name.substr(0, 30));  // the record's name replaces the tag's
        EXPECT_EQ(sample.Length, std::min(*samples[s].LengthField, decoded[s]));
        EXPECT_EQ(sample.CompressedData, samples[s].Compressed);
    }

    dmf->Start();
    const int32_t ticksPerSample = 8 * 4;
    std::vector<int16_t> block(static_cast<size_t>(dmf->BlockBytes / 2));
    for (size_t s = 0; s < samples.size(); ++s) {
        SCOPED_TRACE(samples[s].Name);
        int loud = 0, clipped = 0;
        for (int32_t tick = 0; tick < ticksPerSample; ++tick) {
            dmf->RenderBlock(block.data(), dmf->BlockBytes);
            for (int16_t value : block) {
                loud += std::abs(value) > 1000;
                clipped += value == 32767 || value == -32768;
            }
        }
        EXPECT_GT(loud, 1000);
        EXPECT_EQ(clipped, 0);
    }

    auto info = LoadInfoBytes(file);
    EXPECT_EQ(info->SongName, "Layer III");
    EXPECT_EQ(info->LengthMs, dmf->LengthMs);
    for (int32_t s = 1; s <= info->SampleCount; ++s) {
        const TSample& sample = *info->GetSample(s);
        EXPECT_EQ(sample.Length, 0);
        EXPECT_FALSE(sample.Enabled);
        EXPECT_FALSE(sample.Compressed);
        EXPECT_TRUE(sample.CompressedData.empty());
        EXPECT_EQ(sample.Data, nullptr);
    }
}
