// Row cells and effects: instruments, notes, volumes, slides, offsets, cue points.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/SongBuilder.h"

namespace {

// Runs ticks until row `row` (1-based) has been read.
void PlayToRow(TDmf& song, int row)
{
    while (song.CurrentRow != row || song.TickCountdown != 4) {
        song.SequencerTick();
    }
}

struct SequencerEffects : ::testing::Test {
    std::unique_ptr<TDmf> song = MakeSong(1, 4, 16);
    void SetUp() override
    {
        AddSample(*song, 1, 8000, 1000);
        song->Start();
    }
    TVoice& voice = song->Voices[0];
    TTrackState& state = song->TrackStates[0];
};

}  // namespace

TEST_F(SequencerEffects, NoteWithInstrumentStartsTheSampleAtItsDefaultVolume)
{
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 49};
    PlayToRow(*song, 1);
    EXPECT_TRUE(voice.Active);
    EXPECT_EQ(voice.Frequency, 16000);  // an octave above the reference note 37
    EXPECT_EQ(voice.Volume, 200);
    EXPECT_EQ(voice.SampleNumber, 1);
    EXPECT_EQ(voice.EndOffset, 1000);
    EXPECT_EQ(voice.MixVolume, 200 * 240 >> 8);
}

TEST_F(SequencerEffects, RowVolumeWinsOverTheSampleVolume)
{
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37, .Volume = 255};
    PlayToRow(*song, 1);
    EXPECT_EQ(voice.Volume, 254);
    EXPECT_EQ(voice.MixVolume, 238);
}

TEST_F(SequencerEffects, StopNotesAndIgnoredNotes)
{
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 40};
    Cell(*song, 0, 0, 1) = {.Note = 200};  // starts nothing, keeps the slide base
    Cell(*song, 0, 0, 2) = {.Instrument = 1, .Note = 255};
    Cell(*song, 0, 1, 0) = {.Instrument = 1, .Note = 40};
    Cell(*song, 0, 1, 1) = {.Instrument = 1, .Note = 127};
    Cell(*song, 0, 2, 0) = {.Instrument = 1, .Note = 110};  // neither starts nor stops
    PlayToRow(*song, 1);
    EXPECT_FALSE(song->Voices[2].Active);
    EXPECT_EQ(song->TrackStates[2].CurrentNote, 110);
    PlayToRow(*song, 2);
    EXPECT_TRUE(voice.Active);
    EXPECT_EQ(state.Note, 0);
    EXPECT_EQ(state.CurrentNote, 40);
    EXPECT_FALSE(song->Voices[1].Active);
    PlayToRow(*song, 3);
    EXPECT_FALSE(voice.Active);
    EXPECT_EQ(state.CurrentNote, 255);
}

TEST_F(SequencerEffects, InstrumentOffsetAndCueOrdering)
{
    TSample& sample = *song->GetSample(1);
    sample.SetCuePoint(0, 300);
    sample.SetCuePoint(5, 700);
    sample.SetCuePoint(6, 5000);                           // beyond the sample: ignored
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37};  // cue 0
    Cell(*song, 0, 0, 1) = {.Instrument = 1, .InstrumentEffect = 6, .InstrumentParam = 2};  // offset 512
    Cell(*song, 0, 0,
         2) = {.Instrument = 1, .InstrumentEffect = 0x1B, .InstrumentParam = 5};  // cue 5, high bits ignored
    Cell(*song, 0, 0, 3) = {.InstrumentEffect = 11, .InstrumentParam = 6};
    Cell(*song, 0, 0, 4) = {.Note = 38};                                   // keeps the position
    Cell(*song, 0, 0, 5) = {.InstrumentEffect = 7, .InstrumentParam = 0};  // 65536: past the end
    PlayToRow(*song, 1);
    EXPECT_EQ(voice.Position, 300);
    PlayToRow(*song, 2);
    EXPECT_EQ(voice.Position, 512);
    PlayToRow(*song, 3);
    EXPECT_EQ(voice.Position, 700);
    EXPECT_EQ(state.InstrumentEffect, 11);
    voice.Position = 640;
    PlayToRow(*song, 4);
    EXPECT_EQ(voice.Position, 640);
    PlayToRow(*song, 5);
    EXPECT_EQ(voice.Position, 640);
    EXPECT_EQ(voice.Frequency, static_cast<int>(std::nearbyint(8000 * std::pow(2.0, 1.0 / 12))));
    PlayToRow(*song, 6);
    EXPECT_EQ(voice.Position, 640);
}

// Every column of one cell at once: each acts on its own, whatever the others
// hold; an effect that is no slide leaves its column's slide at none.
TEST_F(SequencerEffects, TheColumnsOfOneCellActTogetherEachOnItsOwn)
{
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37};
    Cell(*song, 0, 0, 1) = {.Instrument = 1,
                            .Note = 49,
                            .Volume = 100,
                            .InstrumentEffect = 6,
                            .InstrumentParam = 1,  // offset 256
                            .NoteEffect = 0x15,    // pitch slide down, high bits ignored
                            .NoteParam = 16,
                            .VolumeEffect = 0x12,  // volume slide down
                            .VolumeParam = 8};
    Cell(*song, 0, 1, 1) = {.NoteEffect = 6, .NoteParam = 9, .VolumeEffect = 7, .VolumeParam = 30};  // no slides
    PlayToRow(*song, 2);
    EXPECT_TRUE(voice.Active);
    EXPECT_EQ(voice.Position, 256);
    EXPECT_EQ(voice.Frequency, 16000);
    EXPECT_EQ(voice.Volume, 100);
    EXPECT_EQ(voice.Panning, 127);
    EXPECT_EQ(state.PitchSlide, -16);
    EXPECT_EQ(state.VolumeSlide, -8);
    const TTrackState& other = song->TrackStates[1];
    EXPECT_EQ(other.NoteEffect, 6);
    EXPECT_EQ(other.PitchSlide, 0);
    EXPECT_EQ(other.VolumeSlide, 0);
    EXPECT_EQ(song->Voices[1].Panning, 30);
}

TEST_F(SequencerEffects, VolumeSlidesActFourTimesAndStopAtTheirLimits)
{
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37, .Volume = 250, .VolumeEffect = 1, .VolumeParam = 6};
    Cell(*song, 0, 1, 0) = {.Instrument = 1, .Note = 37, .Volume = 3, .VolumeEffect = 2, .VolumeParam = 5};
    Cell(*song, 0, 2, 0) = {.Instrument = 1, .Note = 37, .Volume = 100, .VolumeEffect = 1, .VolumeParam = 2};
    PlayToRow(*song, 1);
    song->SequencerTick();
    EXPECT_EQ(song->Voices[0].Volume, 252);  // 251.5 rounds to even
    EXPECT_EQ(song->Voices[1].Volume, 2);    // 1.75
    song->SequencerTick();
    EXPECT_EQ(song->Voices[0].Volume, 253);
    EXPECT_EQ(song->Voices[1].Volume, 0);  // below 1: ends at 0 and stops
    EXPECT_EQ(song->TrackStates[1].VolumeSlide, 0);
    song->SequencerTick();
    song->SequencerTick();  // tick 1 of row 2 slides once more before reading it
    EXPECT_EQ(song->Voices[0].Volume, 254);
    EXPECT_EQ(song->Voices[2].Volume, 102);  // four half steps
}

TEST_F(SequencerEffects, PitchSlidesMoveByConstantHertzAndAreHeld)
{
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37, .NoteEffect = 4, .NoteParam = 32};
    Cell(*song, 0, 1, 0) = {.Instrument = 1, .Note = 106, .NoteEffect = 4, .NoteParam = 255};
    Cell(*song, 0, 2, 0) = {.Instrument = 1, .Note = 2, .NoteEffect = 5, .NoteParam = 255};
    PlayToRow(*song, 1);
    // Half a semitone, interpolated linearly between notes 37 and 38.
    const double up = 8000 * (1 + std::pow(2.0, 1.0 / 12)) / 2 - 8000;
    for (int tick = 1; tick <= 4; ++tick) {
        song->SequencerTick();
        EXPECT_EQ(voice.Frequency, 8000 + tick * static_cast<int>(std::nearbyint(up)));
    }
    // Held at note 107 at the top and note 1 at the bottom.
    EXPECT_EQ(song->Voices[1].Frequency, static_cast<int>(std::nearbyint(8000 * std::pow(2.0, 82.0 / 12) / 2)));
    EXPECT_EQ(song->Voices[2].Frequency, 1000);
    song->SequencerTick();  // row 2 read: slides end
    const int32_t kept = voice.Frequency;
    song->SequencerTick();
    EXPECT_EQ(voice.Frequency, kept);
}

TEST_F(SequencerEffects, PanningAndGains)
{
    AddSample(*song, 2, 8000, 1000, true, true);
    Cell(*song, 0, 0, 0) = {.Instrument = 1, .Note = 37, .Volume = 254};
    Cell(*song, 0, 1, 0) = {.Instrument = 1, .Note = 37, .Volume = 254, .VolumeEffect = 7, .VolumeParam = 0};
    Cell(*song, 0, 2, 0) = {.Instrument = 2, .Note = 37, .Volume = 254};
    Cell(*song, 0, 3, 0) = {.Instrument = 2, .Note = 37, .Volume = 254, .VolumeEffect = 0x17, .VolumeParam = 255};
    PlayToRow(*song, 1);
    const TVoice* v = song->Voices.data();
    EXPECT_EQ(v[0].LeftGain, 238);
    EXPECT_EQ(v[0].RightGain, 238 * 126 / 128);
    EXPECT_EQ(v[1].LeftGain, 254);  // held
    EXPECT_EQ(v[1].RightGain, 0);
    EXPECT_EQ(v[2].LeftToLeft, 254);
    EXPECT_EQ(v[2].LeftToRight, 0);
    EXPECT_EQ(v[2].RightToLeft, 0);
    EXPECT_EQ(v[2].RightToRight, 254);
    EXPECT_EQ(v[3].LeftToLeft, 0);
    EXPECT_EQ(v[3].LeftToRight, 254);
    EXPECT_EQ(v[3].RightToRight, 254);
}

TEST_F(SequencerEffects, UnusedVoicesAreSilencedButStayActive)
{
    auto wide = MakeSong(2, 16, 2);
    AddSample(*wide, 1, 8000, 1000);
    wide->GetPattern(1)->SetTrackCount(8);
    for (int t = 0; t < 16; ++t) {
        Cell(*wide, 0, t, 0) = {.Instrument = 1, .Note = 37, .Volume = 100};
    }
    wide->Start();
    for (int tick = 0; tick < 10; ++tick) {  // pattern 1 (8 tracks) is read on tick 9
        wide->SequencerTick();
    }
    EXPECT_TRUE(wide->Voices[12].Active);
    EXPECT_EQ(wide->Voices[12].Volume, 0);
    EXPECT_EQ(wide->Voices[7].Volume, 100);
}

TEST_F(SequencerEffects, DisabledOrEmptySamplesStartNothing)
{
    AddSample(*song, 2, 8000, 1000).Enabled = false;
    song->SetSampleCount(3);  // sample 3 exists but holds nothing
    Cell(*song, 0, 0, 0) = {.Instrument = 2, .Note = 37};
    Cell(*song, 0, 1, 0) = {.Instrument = 3, .Note = 37};
    Cell(*song, 0, 2, 0) = {.Instrument = 9, .Note = 37};
    PlayToRow(*song, 1);
    EXPECT_FALSE(song->Voices[0].Active);
    EXPECT_EQ(song->Voices[0].SampleNumber, 2);
    EXPECT_FALSE(song->Voices[1].Active);
    EXPECT_FALSE(song->Voices[2].Active);
    EXPECT_EQ(song->Voices[2].SampleNumber, 9);  // set whether or not the note started
}
