// The song model: sequence, patterns, samples and the song's sample count.

#include <gtest/gtest.h>

#include "tests/support/SongBuilder.h"

TEST(SongModel, SequenceLoopPoints)
{
    TSequencer fresh;
    fresh.Count = 10;
    fresh.SetLoopStart(4);  // loop end still 0
    EXPECT_EQ(fresh.LoopStart, 0);
    fresh.SetLoopEnd(20);
    EXPECT_EQ(fresh.LoopEnd, 9);
    fresh.SetLoopStart(4);
    EXPECT_EQ(fresh.LoopStart, 4);
    fresh.SetLoopEnd(3);  // below the loop start: ignored
    EXPECT_EQ(fresh.LoopEnd, 9);
    fresh.SetLoopStart(10);
    EXPECT_EQ(fresh.LoopStart, 0);

    EXPECT_EQ(fresh.GetEntry(-1), 0);
    EXPECT_EQ(fresh.GetEntry(2048), 0);
    fresh.SetEntry(2048, 5);
    fresh.SetEntry(-1, 5);
    EXPECT_EQ(fresh.Count, 10);
    fresh.SetEntry(2047, 5);
    EXPECT_EQ(fresh.Count, 2048);
    EXPECT_EQ(fresh.GetEntry(2047), 5);

    TSequencer empty;  // a loop end on an empty sequence would never be reached
    empty.SetLoopEnd(3);
    EXPECT_EQ(empty.LoopEnd, 0);
}

TEST(SongModel, PatternShape)
{
    TPattern pattern;
    pattern.SetRowCount(64);  // no tracks: nothing changes
    EXPECT_EQ(pattern.RowCount, 0);
    EXPECT_EQ(pattern.GlobalTrack.Count(), 0);
    pattern.SetTrackCount(40);
    EXPECT_EQ(pattern.TrackCount, 32);
    pattern.SetRowCount(5000);
    EXPECT_EQ(pattern.RowCount, 1024);
    EXPECT_EQ(pattern.Track(31)->Count(), 1024);
    EXPECT_EQ(pattern.GlobalTrack.Count(), 1024);
    EXPECT_EQ(pattern.Track(32), nullptr);
    EXPECT_EQ(pattern.Track(0)->Sector(1024), nullptr);
    pattern.Track(3)->Sector(7)->Note = 9;
    pattern.GlobalTrack.Sector(7)->Effect = 1;
    pattern.Clear();
    EXPECT_EQ(pattern.Track(3)->Sector(7)->Note, 0);
    EXPECT_EQ(pattern.GlobalTrack.Sector(7)->Effect, 1);  // the global track is not cleared
    pattern.SetTrackCount(2);
    pattern.SetTrackCount(3);  // a new track gets the pattern's rows
    EXPECT_EQ(pattern.Track(2)->Count(), 1024);
}

TEST(SongModel, SampleCuePointsNameAndEmptying)
{
    TDmf song;
    TSample& sample = AddSample(song, 1, 8000, 100);
    EXPECT_EQ(sample.GetCuePoint(0), -1);
    EXPECT_EQ(sample.GetCuePoint(256), -1);
    sample.SetCuePoint(255, 7);
    sample.SetCuePoint(256, 7);
    EXPECT_EQ(sample.GetCuePoint(255), 7);
    sample.SetName(std::string(31, 'x') + "y");
    EXPECT_EQ(sample.Name, std::string(30, 'x'));

    sample.SetEmpty(false);
    EXPECT_EQ(sample.Length, 100);
    sample.SetEmpty(true);
    EXPECT_TRUE(sample.Empty);
    EXPECT_EQ(sample.Length, 0);
    EXPECT_EQ(sample.Data, nullptr);
}

TEST(SongModel, ShrinkingTheSampleCountSilencesVoicesThatPlayRemovedSamples)
{
    auto song = MakeSong(1, 3, 4);
    for (int n = 1; n <= 3; ++n) {
        AddSample(*song, n, 8000, 100);
    }
    for (int t = 0; t < 3; ++t) {
        Cell(*song, 0, t, 0) = {.Instrument = static_cast<uint8_t>(t + 1), .Note = 37};
    }
    song->Start();
    song->SequencerTick();
    song->SetSampleCount(1);
    EXPECT_TRUE(song->Voices[0].Active);
    EXPECT_FALSE(song->Voices[1].Active);
    EXPECT_FALSE(song->Voices[2].Active);
    EXPECT_EQ(song->GetSample(2), nullptr);
    song->SetSampleCount(300);
    EXPECT_EQ(song->SampleCount, 255);
}

TEST(SongModel, ReleasingASampleSilencesItsVoice)
{
    auto song = MakeSong(1, 1, 4);
    AddSample(*song, 1, 8000, 100);
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37};
    song->Start();
    song->SequencerTick();
    song->GetSample(1)->SetEmpty(true);
    EXPECT_FALSE(song->Voices[0].Active);
    EXPECT_EQ(song->Voices[0].Data, nullptr);
}

TEST(SongModel, NewPcmForASampleSilencesItsVoice)
{
    auto song = MakeSong(1, 1, 4);
    AddSample(*song, 1, 8000, 100);
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37};
    song->Start();
    song->SequencerTick();
    ASSERT_TRUE(song->Voices[0].Active);
    song->GetSample(1)->Allocate(5000);
    EXPECT_FALSE(song->Voices[0].Active);
    EXPECT_EQ(song->Voices[0].Data, nullptr);
}

TEST(SongModel, RewindRestoresTheStartingState)
{
    auto song = MakeSong(2, 2, 4);
    AddSample(*song, 1, 8000, 100000);
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37, .VolumeEffect = 7, .VolumeParam = 10};
    SetGlobal(*song, 0, 0, 1, 9);
    song->Start();
    for (int i = 0; i < 6; ++i) {
        song->SequencerTick();
    }
    song->Voices[5].Frequency = 1234;  // an idle voice with left-over state
    song->Rewind();
    EXPECT_EQ(song->SequencePos, 1);
    EXPECT_EQ(song->CurrentRow, 0);
    EXPECT_EQ(song->TickCountdown, 1);
    EXPECT_EQ(song->BlockBytes, 2940);
    EXPECT_TRUE(song->Voices[0].Active);  // sounding voices are left as they are
    EXPECT_EQ(song->Voices[0].Panning, 127);
    EXPECT_EQ(song->Voices[5].Frequency, 0);
    EXPECT_EQ(song->TrackStates[0].Instrument, 0);
}

TEST(SongModel, StartNeedsALoadedSong)
{
    TDmf song;
    song.Start();
    EXPECT_FALSE(song.Playing);
    song.Resume();
    EXPECT_FALSE(song.Playing);
}
