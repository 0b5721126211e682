// The pattern block: uncrunching, repeat counts, rows per beat, limits.

#include <gtest/gtest.h>

#include "tests/module/LoadFixture.h"

namespace {

TWriterPattern RawPattern(int Tracks, int Rows, const std::vector<uint8_t>& Data, uint8_t Beat = 0x40)
{
    TWriterPattern pattern(0, 0, Beat);
    pattern.Tracks = Tracks;
    pattern.Rows = Rows;
    pattern.RawData = Data;
    return pattern;
}

std::unique_ptr<TDmf> LoadPatterns(const std::vector<TWriterPattern>& Patterns)
{
    return LoadBytes(TModuleWriter().Patterns(4, Patterns).End().Bytes());
}

bool RowIsEmpty(const TPattern& Pattern, int Row)
{
    for (int t = 0; t < Pattern.TrackCount; ++t) {
        const TSector& cell = *Pattern.Track(t)->Sector(Row);
        if (cell.Instrument || cell.Note || cell.Volume || cell.InstrumentEffect || cell.NoteEffect ||
            cell.VolumeEffect) {
            return false;
        }
    }
    return !Pattern.GlobalTrack.Sector(Row)->HasEffect();
}

}  // namespace

TEST(LoadPatterns, CountByteComesBeforeTheParameter)
{
    TLogCapture log;
    auto song = LoadPatterns({RawPattern(1, 4, {0x81, 0x03, 0x05, 0x80, 0x03})});
    ASSERT_EQ(song->PatternCount, 1);
    const TPattern& pattern = *song->GetPattern(0);
    EXPECT_EQ(pattern.TrackCount, 1);
    EXPECT_EQ(pattern.RowCount, 4);
    EXPECT_EQ(pattern.GlobalTrack.Sector(0)->Effect, 1);
    EXPECT_EQ(pattern.GlobalTrack.Sector(0)->Param, 5);
    for (int row = 1; row < 4; ++row) {
        EXPECT_TRUE(RowIsEmpty(pattern, row));
    }
    EXPECT_EQ(song->SongTrackCount, 4);
    EXPECT_TRUE(log.Has("dmfReadPATT: 01 Entries"));
    EXPECT_TRUE(log.Has(" Uncrunching Pattern 00"));
    EXPECT_TRUE(log.Has("NR|GLOB.|?? in no vo i1 i2 n1 n2 v1 v2|"));
    EXPECT_TRUE(log.Has(" Loaded Pattern 00"));
}

TEST(LoadPatterns, InfoBitsSelectTheFieldsAndATrackWithoutCountSpeaksAgain)
{
    TQuietLog quiet;
    // Row 0: global silent for 1 row; track 1 instrument 2 note 49. Row 1:
    // track 1 speaks again with a count byte of 0 and all effect columns.
    auto song = LoadPatterns({RawPattern(1, 2, {0x80, 0x01, 0x60, 2, 49, 0x80 | 0x1E, 0, 77, 6, 1, 4, 2, 7, 3})});
    const TPattern& pattern = *song->GetPattern(0);
    const TSector& first = *pattern.Track(0)->Sector(0);
    EXPECT_EQ(first.Instrument, 2);
    EXPECT_EQ(first.Note, 49);
    EXPECT_EQ(first.Volume, 0);
    const TSector& second = *pattern.Track(0)->Sector(1);
    EXPECT_EQ(second.Volume, 77);
    EXPECT_EQ(second.InstrumentEffect, 6);
    EXPECT_EQ(second.InstrumentParam, 1);
    EXPECT_EQ(second.NoteEffect, 4);
    EXPECT_EQ(second.NoteParam, 2);
    EXPECT_EQ(second.VolumeEffect, 7);
    EXPECT_EQ(second.VolumeParam, 3);
}

TEST(LoadPatterns, RepeatCountOf255SilencesTheNext255Rows)
{
    TQuietLog quiet;
    // Global and track speak on row 0 with count 255 (the counter wraps to 0) and again on row 256.
    std::vector<uint8_t> data = {0x80, 0xFF, 0x80 | 0x20, 0xFF, 10, 0x01, 9, 0x20, 11};
    auto song = LoadPatterns({RawPattern(1, 300, data)});
    const TPattern& pattern = *song->GetPattern(0);
    EXPECT_EQ(pattern.Track(0)->Sector(0)->Note, 10);
    for (int row = 1; row <= 255; ++row) {
        ASSERT_TRUE(RowIsEmpty(pattern, row)) << row;
    }
    EXPECT_EQ(pattern.GlobalTrack.Sector(256)->Effect, 1);
    EXPECT_EQ(pattern.GlobalTrack.Sector(256)->Param, 9);
    EXPECT_EQ(pattern.Track(0)->Sector(256)->Note, 11);
}

TEST(LoadPatterns, RowsPerBeatFromTheBeatByte)
{
    TQuietLog quiet;
    auto song = LoadPatterns({RawPattern(1, 1, {0, 0}, 0x48), RawPattern(1, 1, {0, 0}, 0x1F),
                              RawPattern(1, 1, {0, 0}, 0xF0), RawPattern(1, 1, {0, 0}, 0x20)});
    EXPECT_EQ(song->GetPattern(0)->RowsPerBeat, 4);
    EXPECT_EQ(song->GetPattern(1)->RowsPerBeat, 4);
    EXPECT_EQ(song->GetPattern(2)->RowsPerBeat, 15);
    EXPECT_EQ(song->GetPattern(3)->RowsPerBeat, 2);
}

TEST(LoadPatterns, NoPatternsAndEmptyData)
{
    TQuietLog quiet;
    EXPECT_EQ(LoadPatterns({})->PatternCount, 0);
    // D = 0: row 0 is made of zero bytes and decoding stops.
    auto song = LoadPatterns({RawPattern(2, 8, {})});
    EXPECT_EQ(song->GetPattern(0)->RowCount, 8);
    EXPECT_TRUE(RowIsEmpty(*song->GetPattern(0), 0));
}

TEST(LoadPatterns, WriterRoundTripWithRepeatCounts)
{
    TQuietLog quiet;
    TWriterPattern pattern(5, 600, 0x80);
    for (int row = 0; row < 600; row += 37) {
        pattern.At(row % 5, row) = {static_cast<uint8_t>(1 + row % 9), static_cast<uint8_t>(1 + row % 100), 64};
        pattern.At((row + 2) % 5, row).VolumeEffect = 2;
        pattern.At((row + 2) % 5, row).VolumeParam = static_cast<uint8_t>(row);
    }
    pattern.GlobalAt(0) = {2, 125};
    pattern.GlobalAt(599) = {1, 30};
    auto song = LoadPatterns({pattern, pattern});
    for (int p = 0; p < 2; ++p) {
        const TPattern& loaded = *song->GetPattern(p);
        EXPECT_EQ(loaded.RowsPerBeat, 8);
        for (int row = 0; row < 600; ++row) {
            EXPECT_EQ(loaded.GlobalTrack.Sector(row)->Effect, pattern.GlobalAt(row).Effect);
            for (int t = 0; t < 5; ++t) {
                const TSector& cell = *loaded.Track(t)->Sector(row);
                const TWriterCell& want = pattern.At(t, row);
                ASSERT_EQ(cell.Instrument, want.Instrument);
                ASSERT_EQ(cell.Note, want.Note);
                ASSERT_EQ(cell.Volume, want.Volume);
                ASSERT_EQ(cell.VolumeEffect, want.VolumeEffect);
                ASSERT_EQ(cell.VolumeParam, want.VolumeParam);
            }
        }
    }
}

TEST(LoadPatterns, TracksRowsAndPatternsBeyondTheModelAreDropped)
{
    TQuietLog quiet;
    // 40 tracks: all decoded, the first 32 kept, and the next pattern still in step.
    TWriterPattern wide(40, 2);
    for (int t = 0; t < 40; ++t) {
        wide.At(t, 1).Note = static_cast<uint8_t>(t + 1);
    }
    TWriterPattern after(1, 1);
    after.At(0, 0).Note = 99;
    TWriterPattern tall(1, 1100);
    tall.At(0, 1023).Note = 5;
    tall.At(0, 1050).Note = 6;
    auto song = LoadPatterns({wide, after, tall});
    EXPECT_EQ(song->GetPattern(0)->TrackCount, 32);
    EXPECT_EQ(song->GetPattern(0)->Track(31)->Sector(1)->Note, 32);
    EXPECT_EQ(song->GetPattern(1)->Track(0)->Sector(0)->Note, 99);
    EXPECT_EQ(song->GetPattern(2)->RowCount, 1024);
    EXPECT_EQ(song->GetPattern(2)->Track(0)->Sector(1023)->Note, 5);

    // 300 patterns: the extra ones are read and dropped, the end block is still found.
    std::vector<TWriterPattern> many(300, after);
    auto crowded = LoadPatterns(many);
    EXPECT_TRUE(crowded->Loaded);
    EXPECT_EQ(crowded->PatternCount, 256);
}

TEST(LoadPatterns, DataEndingInsideARowIsCompletedWithZeros)
{
    TQuietLog quiet;
    // The track announces instrument and note but the data ends after the instrument.
    auto song = LoadPatterns({RawPattern(2, 4, {0x00, 0x60, 7})});
    const TPattern& pattern = *song->GetPattern(0);
    EXPECT_EQ(pattern.Track(0)->Sector(0)->Instrument, 7);
    EXPECT_EQ(pattern.Track(0)->Sector(0)->Note, 0);
    EXPECT_TRUE(RowIsEmpty(pattern, 1));
}

TEST(LoadPatterns, RowZeroIsDecodedEvenWithoutRows)
{
    TQuietLog quiet;
    // Pattern 0 of the empty song keeps its 128 global rows when the record
    // names no tracks; its row 0 still comes from the data although R is 0.
    auto song = LoadPatterns({RawPattern(0, 0, {0x01, 0x05, 0x02, 0x06})});
    const TPattern& pattern = *song->GetPattern(0);
    EXPECT_EQ(pattern.TrackCount, 0);
    ASSERT_NE(pattern.GlobalTrack.Sector(0), nullptr);
    EXPECT_EQ(pattern.GlobalTrack.Sector(0)->Effect, 1);
    EXPECT_EQ(pattern.GlobalTrack.Sector(0)->Param, 5);
    EXPECT_FALSE(pattern.GlobalTrack.Sector(1)->HasEffect());  // R = 0: one row only
}
