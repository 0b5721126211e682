// The PCM the DLL plays: the whole example song through the recording output
// against the reference renderer's raw PCM, byte for byte; and a short song
// through an output that writes a WAV file.

#include <fstream>
#include <iterator>

#include "tests/support/TestFiles.h"
#include "tests/wahost/WahostFixture.h"
#include "tests/wahost/WavOutput.h"

namespace {

using TWahostPcm = TWahostTest;

uint32_t LeAt(const std::vector<uint8_t>& Bytes, size_t Offset, int Count)
{
    uint32_t value = 0;
    for (int i = Count - 1; i >= 0; --i) {
        value = value << 8 | Bytes.at(Offset + static_cast<size_t>(i));
    }
    return value;
}

TEST_F(TWahostPcm, ExampleSongEqualsTheReferenceRenderByteForByte)
{
    if (Options().ExampleSong.empty() || Options().ReferencePcm.empty()) {
        GTEST_SKIP() << "no example song and reference PCM given (--example, --reference)";
    }
    const std::vector<uint8_t> reference = ReadFileBytes(Options().ReferencePcm);
    ASSERT_FALSE(reference.empty()) << Options().ReferencePcm;
    std::printf("reference PCM: %s, from %s\n", Options().ReferencePcm.c_str(), Options().ReferenceFrom.c_str());

    PlayToEnd(Options().ExampleSong);
    const std::vector<uint8_t> played = Host.Pcm();
    const auto difference = std::mismatch(played.begin(), played.end(), reference.begin(), reference.end());
    EXPECT_EQ(played.size(), reference.size());
    EXPECT_TRUE(difference.first == played.end() && difference.second == reference.end())
        << "the PCM differs from byte " << (difference.first - played.begin()) << " on (frame "
        << (difference.first - played.begin()) / 4 << ")";
}

TEST_F(TWahostPcm, WavOutputHoldsTheSongAsTheEngineRendersIt)
{
    // 30 rows at 60 ticks a second: 117 ticks, exactly 1950 ms.
    const std::string song = WriteSongFile("song.dmf", SteadySong(30, "Wave", "Writer"));
    // Left in the run folder for a listener.
    const std::string wavPath = "steady-song.wav";
    {
        TWavOutput wav(wavPath);
        Module->outMod = &wav.Output();
        PlayToEnd(song);
        Stop();
        Module->outMod = &Host.Output();
        EXPECT_EQ(wav.Opens(), 1);
        EXPECT_EQ(wav.Closes(), 1);
    }
    const std::vector<uint8_t> file = ReadFileBytes(wavPath);
    ASSERT_GE(file.size(), 44u);
    const std::vector<uint8_t> pcm = EnginePcm(song, ExpectedWrites(TickLengths(song)));
    ASSERT_EQ(pcm.size(), 117u * 2940);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(LeAt(file, 4, 4), file.size() - 8);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(LeAt(file, 20, 2), 1u) << "integer PCM";
    EXPECT_EQ(LeAt(file, 22, 2), 2u) << "channels";
    EXPECT_EQ(LeAt(file, 24, 4), 44100u) << "frames a second";
    EXPECT_EQ(LeAt(file, 34, 2), 16u) << "bits";
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(LeAt(file, 40, 4), pcm.size());
    EXPECT_TRUE(std::equal(file.begin() + 44, file.end(), pcm.begin(), pcm.end()));
    // The song's own calls still reached the host's visualisation.
    EXPECT_EQ(Host.Count("SAAddPCMData"), static_cast<int>(ExpectedWrites(TickLengths(song)).size()));
}

}  // namespace
