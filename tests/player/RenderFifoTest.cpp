// RenderBlock: ticks cut into the byte counts the player asks for, through
// the FIFO, also when a tempo command changes the tick size mid-request.

#include <gtest/gtest.h>

#include <vector>

#include "tests/player/TempoChangeSong.h"
#include "tests/support/SongBuilder.h"

namespace {

std::unique_ptr<TDmf> TempoSong()
{
    auto song = TempoChangeSong();
    song->Start();
    return song;
}

// Renders Total bytes in requests of Count bytes (0: the current BlockBytes,
// as the player thread asks).
std::vector<uint8_t> RenderInRequests(TDmf& Song, int32_t Count, size_t Total)
{
    std::vector<uint8_t> out;
    std::vector<uint8_t> block(MaxTickBytes);
    while (out.size() < Total) {
        const int32_t count = Count > 0 ? Count : Song.BlockBytes;
        Song.RenderBlock(block.data(), count);
        out.insert(out.end(), block.begin(), block.begin() + count);
    }
    out.resize(Total);
    return out;
}

TEST(RenderFifo, RequestsOfAnySizeGiveTheSameStreamAcrossTempoChanges)
{
    constexpr size_t total = 300000;  // past both tempo changes and the song's end
    auto reference = TempoSong();
    const std::vector<uint8_t> expected = RenderInRequests(*reference, 0, total);
    EXPECT_EQ(reference->BlockBytes, 5292);
    EXPECT_FALSE(reference->Playing);
    EXPECT_NE(std::count(expected.begin(), expected.end(), 0), static_cast<long>(total));

    const int32_t counts[] = {1000, 2940, 7004, 441000};
    for (int32_t count : counts) {
        auto song = TempoSong();
        EXPECT_EQ(RenderInRequests(*song, count, total), expected) << count;
    }
}

TEST(RenderFifo, SmallRequestKeepsTheRestForTheNextOne)
{
    auto song = TempoSong();
    std::vector<uint8_t> block(4000);
    song->RenderBlock(block.data(), 1000);
    EXPECT_EQ(song->QueuedBytes(), 1940);
    const int32_t position = song->Voices[0].Position;
    const uint8_t countdown = song->TickCountdown;
    song->RenderBlock(block.data(), 1940);
    EXPECT_EQ(song->QueuedBytes(), 0);
    EXPECT_EQ(song->Voices[0].Position, position);
    EXPECT_EQ(song->TickCountdown, countdown);

    // A larger request runs as many ticks as it needs and keeps the surplus.
    song->RenderBlock(block.data(), 4000);
    EXPECT_EQ(song->QueuedBytes(), 2 * 2940 - 4000);
}

TEST(RenderFifo, OutOfRangeCountsLeaveDestinationAndSongUntouched)
{
    auto song = TempoSong();
    std::vector<uint8_t> block(100);
    song->RenderBlock(block.data(), 100);
    const int32_t fifoBytes = song->QueuedBytes();
    const uint8_t countdown = song->TickCountdown;
    const int32_t position = song->Voices[0].Position;
    const int32_t counts[] = {0, -4, MaxTickBytes + 1};
    for (int32_t count : counts) {
        std::fill(block.begin(), block.end(), 0xAB);
        song->RenderBlock(block.data(), count);
        EXPECT_EQ(std::count(block.begin(), block.end(), 0xAB), 100) << count;
        EXPECT_EQ(song->QueuedBytes(), fifoBytes);
        EXPECT_EQ(song->TickCountdown, countdown);
        EXPECT_EQ(song->Voices[0].Position, position);
    }
}

}  // namespace
