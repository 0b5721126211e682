// The silent length run and the end of the song.

#include <gtest/gtest.h>

#include <cmath>

#include "support/SongBuilder.h"

TEST(SongLength, CountsEveryTickUpToTheOneThatEndsTheSong)
{
    auto song = MakeSong(2, 4, 8);
    song->MeasureLength(true);
    // 16 rows: row 1 on tick 1, the last row on tick 1 + 15 x 4, the song ends in it.
    const int ticks = 1 + 15 * 4;
    EXPECT_EQ(song->LengthMs, static_cast<int>(std::nearbyint(ticks * 2940 / 176.4)));
    EXPECT_FALSE(song->Playing);
    EXPECT_EQ(song->SequencePos, 1);  // rewound
}

TEST(SongLength, FollowsTempoChanges)
{
    auto song = MakeSong(1, 1, 6, 4);
    SetGlobal(*song, 0, 0, 2, 125);  // 5292 bytes a tick from row 1
    SetGlobal(*song, 0, 3, 1, 255);  // 688 bytes from row 4
    song->MeasureLength(false);
    // Rows 1-3: the first tick of row 1 and the three after it at 5292, rows 2 and 3 likewise;
    // row 4 switches on its first tick; rows 4-5 at 688 and the last row's single tick.
    const double bytes = 3 * 4 * 5292.0 + 2 * 4 * 688.0 + 688.0;
    EXPECT_EQ(song->LengthMs, static_cast<int>(std::nearbyint(bytes / 176.4)));
}

TEST(SongLength, LoopEndZeroEndsAfterTheFirstPattern)
{
    auto song = MakeSong(3, 1, 4);
    song->Sequencer.LoopEnd = 0;
    song->MeasureLength(true);
    EXPECT_EQ(song->LengthMs, static_cast<int>(std::nearbyint((1 + 3 * 4) * 2940 / 176.4)));
}

TEST(SongLength, SequenceEntryWithoutPatternEndsTheSong)
{
    auto song = MakeSong(2, 1, 4);
    song->Sequencer.SetEntry(1, 7);  // no pattern 7
    song->Sequencer.SetEntry(2, 1);
    song->Sequencer.SetLoopEnd(2);
    song->MeasureLength(true);
    EXPECT_EQ(song->LengthMs, static_cast<int>(std::nearbyint((1 + 3 * 4) * 2940 / 176.4)));

    song->Sequencer.SetEntry(0, 9);  // the very first pattern is missing
    song->Start();
    song->SkipBlock();
    EXPECT_FALSE(song->Playing);
    EXPECT_EQ(song->CurrentRow, 0);
}

TEST(SongLength, EndlessOrHugeSongsStopAtTheByteTotalsLimit)
{
    auto song = MakeSong(1, 1, 16);
    SetGlobal(*song, 0, 0, 1, 0);  // one tick per second
    song->Sequencer.LoopEnd = -1;  // a sequence that never reaches its end
    song->MeasureLength(true);
    const int64_t ticks = 2147483647 / 176400;
    EXPECT_EQ(song->LengthMs, static_cast<int>(std::nearbyint(ticks * 176400 / 176.4)));
    EXPECT_FALSE(song->Playing);
}

TEST(SongLength, EndSilencesTheLastRowInTheSameTick)
{
    auto song = MakeSong(1, 1, 1);
    AddSample(*song, 1, 8000, 100);
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37};
    song->Start();
    song->SkipBlock();
    EXPECT_FALSE(song->Playing);
    EXPECT_FALSE(song->Voices[0].Active);
}
