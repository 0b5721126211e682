// The playback pass: render steps, the play position and the seek, checked
// against rendering through and against a fresh start.

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "player/DmfPlayback.h"
#include "tests/player/TempoChangeSong.h"

namespace {

// Where the sequencer stands: equal states play on alike.
struct TSequencerPlace {
    uint16_t SequencePos;
    uint16_t CurrentRow;
    uint8_t TickCountdown;
    int32_t BlockBytes;
    bool Playing;
    bool operator==(const TSequencerPlace&) const = default;
};

TSequencerPlace PlaceOf(const TDmf& Song)
{
    return {Song.SequencePos, Song.CurrentRow, Song.TickCountdown, Song.BlockBytes, Song.Playing};
}

// Every step from the start until the song stops by itself.
std::vector<uint8_t> RenderToEnd(TDmfPlayback& Playback)
{
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> block(MaxBlockBytes);
    Playback.Start();
    while (Playback.Playing()) {
        const int32_t n = Playback.RenderStep(block.data());
        pcm.insert(pcm.end(), block.begin(), block.begin() + n);
    }
    return pcm;
}

TEST(PlaybackPass, RenderingToTheEndHandsOutWhatTheSilentCountCounts)
{
    auto song = TempoChangeSong();
    const uint64_t counted = PlayedBytes(*song);
    TDmfPlayback playback(*song);
    const std::vector<uint8_t> pcm = RenderToEnd(playback);
    EXPECT_EQ(pcm.size(), counted);
    EXPECT_NEAR(playback.PositionMs(), static_cast<double>(counted) / OutputBytesPerMs, 1e-6);

    // The count leaves the song at its start: what plays after it is what a fresh song plays.
    auto fresh = TempoChangeSong();
    TDmfPlayback freshPlayback(*fresh);
    EXPECT_EQ(pcm, RenderToEnd(freshPlayback));
}

TEST(PlaybackPass, SeekAtASteadyTempoLandsWhereRenderingThroughArrives)
{
    auto rendered = MakeSong(1, 1, 64, 4);
    TDmfPlayback through(*rendered);
    through.Start();
    std::vector<uint8_t> block(MaxBlockBytes);
    const double target = 250;
    while (through.PositionMs() < target)
        through.RenderStep(block.data());

    auto skipped = MakeSong(1, 1, 64, 4);
    TDmfPlayback seek(*skipped);
    seek.Start();
    seek.Seek(target);
    EXPECT_DOUBLE_EQ(seek.PositionMs(), through.PositionMs());
    EXPECT_EQ(PlaceOf(*skipped), PlaceOf(*rendered));
}

TEST(PlaybackPass, SeekLandsAtTheEndOfTheFirstTickAtOrAfterItsTarget)
{
    // The tick ends as the song runs through them, across both tempo changes.
    auto ticks = TempoChangeSong();
    ticks->Start();
    std::vector<double> ends;
    std::vector<TSequencerPlace> places;
    double end = 0;
    while (ticks->Playing) {
        ticks->SkipBlock();
        end += ticks->BlockBytes / OutputBytesPerMs;
        ends.push_back(end);
        places.push_back(PlaceOf(*ticks));
    }
    ASSERT_GT(ends.size(), 20u);

    for (const double target : {1.0, 35.0, ends[10], ends[10] + 0.5, ends[ends.size() - 3]}) {
        auto song = TempoChangeSong();
        TDmfPlayback playback(*song);
        playback.Start();
        playback.Seek(target);
        size_t tick = 0;
        while (ends[tick] < target)
            ++tick;
        EXPECT_DOUBLE_EQ(playback.PositionMs(), ends[tick]) << target;
        EXPECT_EQ(PlaceOf(*song), places[tick]) << target;
    }
}

TEST(PlaybackPass, SeekBackRestartsAndLandsAsAFreshSeek)
{
    auto song = TempoChangeSong();
    TDmfPlayback playback(*song);
    playback.Start();
    std::vector<uint8_t> block(MaxBlockBytes);
    while (playback.PositionMs() < 600)
        playback.RenderStep(block.data());
    playback.Seek(playback.PositionMs() + 200);  // forward: on from here, past both tempo changes
    const double forward = playback.PositionMs();
    playback.Seek(130);

    auto fresh = TempoChangeSong();
    TDmfPlayback freshPlayback(*fresh);
    freshPlayback.Start();
    freshPlayback.Seek(130);
    EXPECT_GT(forward, 800);
    EXPECT_DOUBLE_EQ(playback.PositionMs(), freshPlayback.PositionMs());
    EXPECT_EQ(PlaceOf(*song), PlaceOf(*fresh));
    EXPECT_GE(playback.PositionMs(), 130);
}

TEST(PlaybackPass, SeekEndsAtTheSongsEndOrWhenCancelledOrAtItsTarget)
{
    auto song = TempoChangeSong();
    TDmfPlayback playback(*song);
    playback.Start();
    std::atomic<bool> cancel{true};
    playback.Seek(1e9, &cancel);
    EXPECT_EQ(playback.PositionMs(), 0);
    EXPECT_TRUE(playback.Playing());

    cancel = false;
    playback.Seek(1e9, &cancel);
    EXPECT_FALSE(playback.Playing());
    EXPECT_GT(playback.PositionMs(), 0);
    EXPECT_LT(playback.PositionMs(), 60000);

    // A target at the position moves nothing.
    const TSequencerPlace before = PlaceOf(*song);
    const double position = playback.PositionMs();
    playback.Seek(position);
    EXPECT_EQ(playback.PositionMs(), position);
    EXPECT_EQ(PlaceOf(*song), before);
}

}  // namespace
