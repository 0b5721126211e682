// Tick and row timing, tempo commands and the tick size they give.

#include <gtest/gtest.h>

#include "tests/support/SongBuilder.h"

namespace {

// Ticks on which a new row was read, over the first `ticks` ticks.
std::vector<int> RowTicks(TDmf& song, int ticks)
{
    std::vector<int> read;
    uint16_t lastRow = song.CurrentRow;
    for (int tick = 1; tick <= ticks; ++tick) {
        song.SkipBlock();
        if (song.CurrentRow != lastRow) {
            read.push_back(tick);
        }
        lastRow = song.CurrentRow;
    }
    return read;
}

}  // namespace

TEST(SequencerTiming, FirstRowOnFirstTickThenEveryFourth)
{
    auto song = MakeSong(1, 2, 16);
    song->Start();
    EXPECT_EQ(RowTicks(*song, 13), (std::vector<int>{1, 5, 9, 13}));
    EXPECT_EQ(song->CurrentRow, 4);
}

TEST(SequencerTiming, StartAfterAnEndedRunBeginsAgainOnTheFirstTick)
{
    auto song = MakeSong(1, 1, 4);
    SetGlobal(*song, 0, 3, 1, 99);  // the song ends at a different tempo
    song->MeasureLength(true);
    song->Start();
    EXPECT_EQ(song->BlockBytes, 2940);
    EXPECT_EQ(RowTicks(*song, 5), (std::vector<int>{1, 5}));
}

TEST(SequencerTiming, TickRateCommand)
{
    auto song = MakeSong(1, 1, 8);
    SetGlobal(*song, 0, 0, 1, 59);
    SetGlobal(*song, 0, 1, 1, 255);
    SetGlobal(*song, 0, 2, 1, 0);
    song->Start();
    song->SkipBlock();
    EXPECT_EQ(song->BlockBytes, 2940);  // 60 ticks per second
    for (int i = 0; i < 4; ++i) {
        song->SkipBlock();
    }
    EXPECT_EQ(song->BlockBytes, 688);  // 256 ticks per second
    for (int i = 0; i < 4; ++i) {
        song->SkipBlock();
    }
    EXPECT_EQ(song->BlockBytes, 176400);  // 1 tick per second
}

TEST(SequencerTiming, TempoCommandUsesThePatternsRowsPerBeat)
{
    auto song = MakeSong(2, 1, 1, 4);
    song->GetPattern(1)->RowsPerBeat = 8;
    SetGlobal(*song, 0, 0, 2, 125);
    SetGlobal(*song, 1, 0, 2, 125);
    song->Start();
    song->SkipBlock();
    EXPECT_EQ(song->BlockBytes, 5292);  // 33.33 ticks per second
    EXPECT_EQ(song->RowsPerBeat, 4);
    for (int i = 0; i < 4; ++i) {
        song->SkipBlock();
    }
    EXPECT_EQ(song->BlockBytes, 2648);  // 66.67 ticks per second
    EXPECT_EQ(song->RowsPerBeat, 8);
}

TEST(SequencerTiming, TempoThatGivesNoTickRateChangesNothing)
{
    auto song = MakeSong(2, 1, 1, 4);
    song->GetPattern(1)->RowsPerBeat = 0;
    SetGlobal(*song, 0, 0, 2, 0);    // parameter 0
    SetGlobal(*song, 1, 0, 2, 200);  // a pattern without rows per beat
    song->Start();
    for (int i = 0; i < 5; ++i) {
        song->SkipBlock();
        EXPECT_EQ(song->BlockBytes, 2940);
    }
}

TEST(SequencerTiming, TickRateToBlockBytes)
{
    TDmf song;
    song.SetTickRate(0.05);  // below 0.1: ignored
    EXPECT_EQ(song.BlockBytes, 2940);
    song.SetTickRate(0.3);  // slower than 0.4 ticks per second: held at 2.5 s
    EXPECT_EQ(song.BlockBytes, 441000);
    // Halves round to even: 44100 / 17640 = 2.5 quarters -> 2, 44100 / 12600 = 3.5 -> 4.
    song.SetTickRate(17640);
    EXPECT_EQ(song.BlockBytes, 8);
    song.SetTickRate(12600);
    EXPECT_EQ(song.BlockBytes, 16);
    // Tempo 216 x 245 rows per beat: 12.5 quarters -> 12.
    song.SetTickRate(216.0 * 245 * 4 / 60);
    EXPECT_EQ(song.BlockBytes, 48);
    // Never a tick without bytes.
    song.SetTickRate(1e9);
    EXPECT_EQ(song.BlockBytes, 4);
}
