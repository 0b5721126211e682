// Stereo separation: 0 makes both outputs the same on every frame, 200
// doubles the difference between them and keeps their sum, each within the
// rounding to 16 bits.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "player/DmfPlayback.h"
#include "tests/support/PlaybackSteps.h"
#include "tests/support/SongBuilder.h"

namespace {

// Three voices far apart in the stereo field (a mono one hard left, a stereo
// one towards the right, a mono one near the middle), quiet enough that no
// separation clips them.
std::unique_ptr<TDmf> WideSong()
{
    auto song = MakeSong(1, 3, 32);
    const struct {
        bool Is16Bit, Stereo;
        uint8_t Panning;
    } voices[] = {{false, false, 0}, {true, true, 200}, {true, false, 90}};
    for (int t = 0; t < 3; ++t) {
        TSample& sample = AddSample(*song, t + 1, 11025 * (t + 1), 8000, voices[t].Is16Bit, voices[t].Stereo);
        for (int32_t i = 0; i < sample.Length; ++i) {
            sample.Data[i] = static_cast<uint8_t>(std::lround(60 * std::sin(i * (0.05 + 0.02 * t))));
        }
        sample.Looped = true;
        sample.LoopStart = 0;
        sample.LoopEnd = sample.Length - 4;
        for (int row = t; row < 32; row += 9) {
            Cell(*song, 0, t, row) = {.Instrument = static_cast<uint8_t>(t + 1),
                                      .Note = static_cast<uint8_t>(30 + row),
                                      .Volume = 90,
                                      .VolumeEffect = 7,
                                      .VolumeParam = voices[t].Panning};
        }
    }
    return song;
}

// The song's frames as left, right pairs, at the given separation.
std::vector<std::pair<int, int>> Frames(int32_t Separation)
{
    auto song = WideSong();
    song->Sound.Separation = Separation;
    TDmfPlayback playback(*song);
    const std::vector<uint8_t> pcm = RenderToEnd(playback);
    std::vector<std::pair<int, int>> frames;
    for (size_t k = 0; k + 4 <= pcm.size(); k += 4) {
        frames.emplace_back(static_cast<int16_t>(pcm[k] | (pcm[k + 1] << 8)),
                            static_cast<int16_t>(pcm[k + 2] | (pcm[k + 3] << 8)));
    }
    return frames;
}

TEST(StereoSeparation, NoneLeavesBothOutputsTheSameOnEveryFrame)
{
    const auto frames = Frames(0);
    ASSERT_FALSE(frames.empty());
    size_t differ = 0;
    for (const auto& [left, right] : frames) {
        differ += left != right;
    }
    EXPECT_EQ(differ, 0u);
    // ... and the song as mixed had stereo in it.
    const auto mixed = Frames(100);
    differ = 0;
    for (const auto& [left, right] : mixed) {
        differ += left != right;
    }
    EXPECT_GT(differ, mixed.size() / 2);
}

TEST(StereoSeparation, TwiceDoublesTheDifferenceAndKeepsTheSum)
{
    const auto mixed = Frames(100);
    const auto wide = Frames(200);
    const auto half = Frames(50);
    ASSERT_EQ(wide.size(), mixed.size());
    ASSERT_EQ(half.size(), mixed.size());
    int largest = 0;
    for (size_t k = 0; k < mixed.size(); ++k) {
        const auto [left, right] = mixed[k];
        largest = std::max(largest, std::abs(left - right));
        // Each output is rounded to a 16-bit value (shifted, towards minus
        // infinity) on its own: a sum or a difference is off by 2 at most,
        // and the mixed difference doubled by 4.
        EXPECT_LE(std::abs((wide[k].first - wide[k].second) - 2 * (left - right)), 4) << k;
        EXPECT_LE(std::abs((wide[k].first + wide[k].second) - (left + right)), 2) << k;
        EXPECT_LE(std::abs(2 * (half[k].first - half[k].second) - (left - right)), 4) << k;
    }
    EXPECT_GT(largest, 1000);
}

}  // namespace
