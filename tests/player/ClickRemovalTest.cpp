// Click removal: at every note start and cut, one-shot end, volume and
// panning change of a song of cosine tones (samples that start and stop far
// from zero), the largest step between output frames is at most a tenth of
// what it is without; off, the song plays as it always has.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "player/DmfPlayback.h"
#include "player/DmfSongTime.h"
#include "player/DmfVoiceRamps.h"
#include "tests/support/PlaybackSteps.h"
#include "tests/support/SongBuilder.h"

namespace {

// A cosine tone's period in frames: 225 Hz at 44100 Hz, 15 periods to a row
// of 4 ticks of 735 frames, so that every row starts a period.
constexpr int Period = 196;
constexpr int32_t RowFrames = 4 * 735;

// Sample Number: Periods periods of a 16-bit cosine of amplitude 16000 from
// Phase (0 or pi), looped over whole periods or played once.
void CosineSample(TDmf& Song, int Number, double Periods, double Phase, bool Looped)
{
    const int frames = static_cast<int>(Periods * Period);
    // Two frames more for a loop: the interpolation reads the frame after its end.
    TSample& sample = AddSample(Song, Number, 44100, 2 * (frames + (Looped ? 2 : 0)), true);
    for (int k = 0; k < sample.Length / 2; ++k) {
        const auto value =
            static_cast<int16_t>(std::lround(16000 * std::cos(2 * std::numbers::pi * k / Period + Phase)));
        sample.Data[2 * k] = static_cast<uint8_t>(value & 0xFF);
        sample.Data[2 * k + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
    sample.Looped = Looped;
    sample.LoopStart = 0;
    sample.LoopEnd = 2 * frames;
}

// What the song does, row by row, on its one track.
struct TEvent {
    const char* Name;
    int Row;
};

const TEvent Events[] = {
    {"a note starts on a silent voice", 2}, {"the panning goes hard left", 4}, {"the volume drops", 6},
    {"a new note cuts a sounding one", 8},  {"a note off cuts it", 12},        {"a one-shot sample starts", 16},
};

std::unique_ptr<TDmf> CosineSong()
{
    auto song = MakeSong(1, 1, 24);
    CosineSample(*song, 1, 1, 0, true);
    CosineSample(*song, 2, 1, std::numbers::pi, true);
    // Five and a half periods: it ends mid-tick, near its most negative value.
    CosineSample(*song, 3, 5.5, 0, false);
    Cell(*song, 0, 0, 2) = {.Instrument = 1, .Note = 37};
    Cell(*song, 0, 0, 4) = {.VolumeEffect = 7, .VolumeParam = 0};
    Cell(*song, 0, 0, 6) = {.Volume = 40};
    Cell(*song, 0, 0, 8) = {.Instrument = 2, .Note = 37};
    Cell(*song, 0, 0, 12) = {.Note = 255};
    Cell(*song, 0, 0, 16) = {.Instrument = 3, .Note = 37};
    return song;
}

// The song's output frames, left and right.
std::vector<std::array<int, 2>> Render(int32_t Rate, bool ClickRemoval)
{
    auto song = CosineSong();
    song->Sound.Rate = Rate;
    song->Sound.ClickRemoval = ClickRemoval;
    TDmfPlayback playback(*song);
    const std::vector<uint8_t> pcm = RenderToEnd(playback);
    std::vector<std::array<int, 2>> frames;
    for (size_t k = 0; k + 4 <= pcm.size(); k += 4) {
        frames.push_back(
            {static_cast<int16_t>(pcm[k] | (pcm[k + 1] << 8)), static_cast<int16_t>(pcm[k + 2] | (pcm[k + 3] << 8))});
    }
    return frames;
}

// The largest step from one frame to the next, in either channel, over the
// frames First..Last.
int LargestStep(const std::vector<std::array<int, 2>>& Frames, int64_t First, int64_t Last)
{
    int largest = 0;
    for (int64_t k = std::max<int64_t>(First, 1); k <= Last && k < static_cast<int64_t>(Frames.size()); ++k) {
        for (int c = 0; c < 2; ++c) {
            largest = std::max(largest, std::abs(Frames[k][c] - Frames[k - 1][c]));
        }
    }
    return largest;
}

TEST(ClickRemoval, EveryJumpOfAVoicesSoundBecomesAGlideATenthAsSteep)
{
    for (const int32_t rate : {44100, 48000, 96000}) {
        const auto hard = Render(rate, false);
        const auto soft = Render(rate, true);
        ASSERT_EQ(soft.size(), hard.size());
        const auto frameOf = [&](int Row) { return OutputFramesOf(int64_t{Row} * RowFrames, rate); };
        const int32_t ramp = RampFramesAt(rate);
        for (const TEvent& event : Events) {
            SCOPED_TRACE(std::string(event.Name) + " at " + std::to_string(rate) + " Hz");
            const int64_t at = frameOf(event.Row);
            const int without = LargestStep(hard, at - 2, at + 4 * ramp);
            EXPECT_GT(without, 1000);
            EXPECT_LE(LargestStep(soft, at - 2, at + 4 * ramp) * 10, without);
        }
        // The one-shot sample ends within row 17, far from its start.
        SCOPED_TRACE(std::string("a one-shot sample ends at ") + std::to_string(rate) + " Hz");
        const int without = LargestStep(hard, frameOf(16) + 4 * ramp, frameOf(18));
        EXPECT_GT(without, 1000);
        EXPECT_LE(LargestStep(soft, frameOf(16) + 4 * ramp, frameOf(18)) * 10, without);
    }
}

// Between the events, where nothing changes, click removal leaves the frames
// as they were; a glide lasts its 2 ms, the same at every rate.
TEST(ClickRemoval, OnlyTheGlidesFramesDiffer)
{
    for (const int32_t rate : {22050, 44100, 192000}) {
        SCOPED_TRACE(rate);
        const auto hard = Render(rate, false);
        const auto soft = Render(rate, true);
        ASSERT_EQ(soft.size(), hard.size());
        const int32_t ramp = RampFramesAt(rate);
        EXPECT_EQ(ramp, static_cast<int32_t>(std::lround(rate * 0.002)));
        std::vector<int64_t> differing;
        for (size_t k = 0; k < hard.size(); ++k) {
            if (hard[k] != soft[k]) {
                differing.push_back(static_cast<int64_t>(k));
            }
        }
        ASSERT_FALSE(differing.empty());
        // Each differing frame lies within a glide of an event: a row's
        // start, or the one-shot's end in row 17.
        for (const int64_t k : differing) {
            bool nearEvent =
                k >= OutputFramesOf(16 * RowFrames, rate) + ramp && k < OutputFramesOf(18 * RowFrames, rate);
            for (const TEvent& event : Events) {
                const int64_t at = OutputFramesOf(int64_t{event.Row} * RowFrames, rate);
                nearEvent = nearEvent || (k >= at && k < at + ramp);
            }
            EXPECT_TRUE(nearEvent) << "frame " << k;
        }
    }
}

}  // namespace
