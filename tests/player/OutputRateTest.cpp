// The output rate: a song renders at any rate from 8000 to 192000 Hz with
// its time unchanged: a tone keeps its pitch, and every song hands out
// round(F x rate / 44100) frames, F its frames at 44100 Hz, each render step
// ending at the song time it ends at 44100 Hz.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "module/LoadLog.h"
#include "player/DmfPlayback.h"
#include "player/DmfSongTime.h"
#include "tests/support/PlaybackSteps.h"
#include "tests/support/SongBuilder.h"

namespace {

// 44100 Hz first: the steps at every other rate are held to its.
constexpr int32_t Rates[] = {44100, 8000, 22050, 44101, 48000, 96000, 192000};

// One note of a looped 16-bit sine table, 100 frames a period at 44100 Hz:
// a tone of 441 Hz at every output rate.
std::unique_ptr<TDmf> SineSong()
{
    constexpr int period = 100;
    auto song = MakeSong(1, 1, 64);
    // Two frames past the loop: the interpolation reads the frame after its end.
    TSample& sample = AddSample(*song, 1, 44100, 2 * (period + 2), true);
    for (int k = 0; k < period + 2; ++k) {
        const auto value = static_cast<int16_t>(std::lround(20000 * std::sin(2 * std::numbers::pi * k / period)));
        sample.Data[2 * k] = static_cast<uint8_t>(value & 0xFF);
        sample.Data[2 * k + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
    sample.Looped = true;
    sample.LoopStart = 0;
    sample.LoopEnd = 2 * period;
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37};
    return song;
}

// The frequency of the left channel's tone: rising zero crossings, each
// placed between its two frames by linear interpolation, over the whole render.
double ToneFrequency(const std::vector<uint8_t>& Pcm, int32_t Rate)
{
    const auto left = [&](size_t Frame) {
        return static_cast<double>(static_cast<int16_t>(Pcm[4 * Frame] | (Pcm[4 * Frame + 1] << 8)));
    };
    double first = -1;
    double last = -1;
    int crossings = 0;
    for (size_t k = 1; k < Pcm.size() / 4; ++k) {
        const double a = left(k - 1);
        const double b = left(k);
        if (a < 0 && b >= 0) {
            last = static_cast<double>(k - 1) + a / (a - b);
            first = first < 0 ? last : first;
            ++crossings;
        }
    }
    return (crossings - 1) / (last - first) * Rate;
}

TEST(OutputRate, AToneKeepsItsPitchAtEveryRate)
{
    for (const int32_t rate : {22050, 48000, 96000}) {
        auto song = SineSong();
        song->Sound.Rate = rate;
        TDmfPlayback playback(*song);
        playback.Start();
        std::vector<uint8_t> pcm;
        std::vector<uint8_t> buffer(StepRoomBytes);
        while (playback.PositionMs() < 2000) {
            const int32_t n = RenderStep(playback, buffer.data());
            pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + n);
        }
        EXPECT_NEAR(ToneFrequency(pcm, rate), 441.0, 441.0 * 0.0005) << rate;
    }
}

// The stored songs (the example, and every one of tests/data: damaged ones,
// tempo changes, songs that end on a missing pattern) at every rate.
TEST(OutputRate, EverySongHandsOutItsFramesAtEveryRateEndingEachStepAtItsSongTime)
{
    std::vector<std::string> files = {std::string(MORVEL_TEST_DATA) + "/../../examples/morvel-demo.dmf"};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(MORVEL_TEST_DATA)) {
        if (entry.path().extension() == ".dmf") {
            files.push_back(entry.path().string());
        }
    }
    SetDebugLogConsole(nullptr);
    for (const std::string& file : files) {
        TDmf song;
        song.LoadFromFile(file);
        TDmfPlayback playback(song);
        std::vector<int64_t> ends;
        for (const int32_t rate : Rates) {
            SCOPED_TRACE(file + " at " + std::to_string(rate) + " Hz");
            song.Sound.Rate = rate;
            playback.Start();
            std::vector<int64_t> rateEnds;
            int64_t bytes = 0;
            std::vector<uint8_t> buffer(StepRoomBytes);
            while (playback.Playing()) {
                bytes += RenderStep(playback, buffer.data());
                rateEnds.push_back(playback.PositionBytes());
            }
            const int64_t frames = song.LengthBytes / 4;
            EXPECT_EQ(bytes, 4 * ((frames * rate + 22050) / 44100));
            if (rate == OutputRate) {
                EXPECT_EQ(bytes, song.LengthBytes);
                ends = rateEnds;
            }
            EXPECT_EQ(rateEnds.size(), ends.size());
            EXPECT_TRUE(rateEnds == ends);
        }
    }
    SetDebugLogConsole(stdout);
}

}  // namespace
