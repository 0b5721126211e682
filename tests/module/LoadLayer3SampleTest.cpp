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
    return int16_t(Bytes[2 * Index] | Bytes[2 * Index + 1] << 8);
}

// PCM bytes of the encoder's information frame, which the reference leaves out and
// the decoder delivers as one frame of silence.
int32_t InformationFrameBytes(const TLayer3Fixture& Fixture)
{
    const int32_t FrameSamples = Fixture.Rate >= 32000 ? 1152 : 576;
    return FrameSamples * (Fixture.Stereo ? 4 : 2);
}

// A song of one track that starts sample s at row 8 (s - 1), at the reference note so
// that it plays at its own rate; each gets 8 rows (half a second) to itself.
TWriterSong SongPlaying(const std::vector<TWriterSample>& Samples)
{
    TWriterSong Song;
    Song.Title = "Layer III";
    Song.Composer = "Tester";
    Song.Sequence = {0};
    Song.SongTracks = 1;
    TWriterPattern Pattern(1, int(8 * Samples.size()), 0x40);
    for (size_t S = 0; S < Samples.size(); ++S)
        Pattern.At(0, int(8 * S)) = {uint8_t(S + 1), 37, 255};
    Song.Patterns = {Pattern};
    Song.Samples = Samples;
    return Song;
}

}  // namespace

// The stream's rate, channels, title and PCM; the information frame aside, the PCM is
// the reference's within 4 LSB.
TEST(LoadLayer3Sample, ImportMatchesTheReferenceDecoder)
{
    TQuietLog Quiet;
    for (const TLayer3Fixture& Fixture : Fixtures) {
        SCOPED_TRACE(Fixture.Stream);
        const std::vector<uint8_t> Stream = Layer3Fixture(Fixture.Stream);
        const std::vector<uint8_t> Reference = Layer3Fixture(Fixture.Reference);
        ASSERT_FALSE(Reference.empty());
        TSample Sample(nullptr);
        DecodeCompressedSample(Stream.data(), int32_t(Stream.size()), Sample);
        EXPECT_EQ(Sample.Rate, Fixture.Rate);
        EXPECT_EQ(Sample.Stereo, Fixture.Stereo);
        EXPECT_TRUE(Sample.Is16Bit);
        EXPECT_TRUE(Sample.Compressed);
        EXPECT_EQ(Sample.Name, Fixture.Title);
        const int32_t Lead = Sample.Length - int32_t(Reference.size());
        ASSERT_TRUE(Lead == 0 || Lead == InformationFrameBytes(Fixture)) << Lead;
        ASSERT_EQ(Sample.Buffer.size(), size_t(Sample.Length) + 32);
        for (int32_t I = 0; I < Lead; ++I)
            ASSERT_EQ(Sample.Data[I], 0);
        int Largest = 0;
        for (size_t I = 0; I < Reference.size() / 2; ++I)
            Largest = std::max(Largest, std::abs(SampleAt(Sample.Data + Lead, I) - SampleAt(Reference.data(), I)));
        EXPECT_LE(Largest, 4);
    }
}

// Each sample keeps its record's fields and name, its length is the smaller of the
// record's and the decoded one, and the song plays every one of them audibly and
// without clipping. The information load decodes none.
TEST(LoadLayer3Sample, ModuleLoadsAndPlaysLayer3Samples)
{
    TQuietLog Quiet;
    std::vector<TWriterSample> Samples;
    std::vector<int32_t> Decoded;
    for (const TLayer3Fixture& Fixture : Fixtures) {
        TWriterSample Sample;
        Sample.Name = std::string("rec ") + Fixture.Stream;
        Sample.Encoding = TWriterEncoding::Mpeg;
        Sample.Compressed = Layer3Fixture(Fixture.Stream);
        Sample.Rate = uint16_t(Fixture.Rate);
        Sample.Stereo = Fixture.Stereo;
        Sample.Is16Bit = true;
        TSample Import(nullptr);
        DecodeCompressedSample(Sample.Compressed.data(), int32_t(Sample.Compressed.size()), Import);
        Decoded.push_back(Import.Length);
        // Alternately longer and shorter than what the stream decodes to.
        Sample.LengthField = Samples.size() % 2 ? Import.Length / 2 : Import.Length + 6000;
        Samples.push_back(Sample);
    }
    const std::vector<uint8_t> File = WriteSong(SongPlaying(Samples));
    auto Dmf = LoadBytes(File);
    ASSERT_TRUE(Dmf->Loaded);
    ASSERT_EQ(Dmf->SampleCount, int32_t(Samples.size()));
    for (size_t S = 0; S < Samples.size(); ++S) {
        SCOPED_TRACE(Samples[S].Name);
        const TSample& Sample = *Dmf->GetSample(int32_t(S + 1));
        EXPECT_EQ(Sample.Rate, Fixtures[S].Rate);
        EXPECT_EQ(Sample.Stereo, Fixtures[S].Stereo);
        EXPECT_TRUE(Sample.Is16Bit);
        EXPECT_TRUE(Sample.Enabled);
        EXPECT_FALSE(Sample.Empty);
        EXPECT_EQ(Sample.Name, Samples[S].Name.substr(0, 30));  // the record's name replaces the tag's
        EXPECT_EQ(Sample.Length, std::min(*Samples[S].LengthField, Decoded[S]));
        EXPECT_EQ(Sample.CompressedData, Samples[S].Compressed);
    }

    Dmf->Start();
    const int32_t TicksPerSample = 8 * 4;
    std::vector<int16_t> Block(size_t(Dmf->BlockBytes / 2));
    for (size_t S = 0; S < Samples.size(); ++S) {
        SCOPED_TRACE(Samples[S].Name);
        int Loud = 0, Clipped = 0;
        for (int32_t Tick = 0; Tick < TicksPerSample; ++Tick) {
            Dmf->RenderBlock(Block.data(), Dmf->BlockBytes);
            for (int16_t Value : Block) {
                Loud += std::abs(Value) > 1000;
                Clipped += Value == 32767 || Value == -32768;
            }
        }
        EXPECT_GT(Loud, 1000);
        EXPECT_EQ(Clipped, 0);
    }

    auto Info = LoadInfoBytes(File);
    EXPECT_EQ(Info->SongName, "Layer III");
    EXPECT_EQ(Info->LengthMs, Dmf->LengthMs);
    for (int32_t S = 1; S <= Info->SampleCount; ++S) {
        const TSample& Sample = *Info->GetSample(S);
        EXPECT_EQ(Sample.Length, 0);
        EXPECT_FALSE(Sample.Enabled);
        EXPECT_FALSE(Sample.Compressed);
        EXPECT_TRUE(Sample.CompressedData.empty());
        EXPECT_EQ(Sample.Data, nullptr);
    }
}
