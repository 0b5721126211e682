#include "tools/compose/ComposeSong.h"

#include "tools/compose/ComposeSynth.h"

namespace {

// Instruments (sample numbers).
enum : uint8_t { Kick = 1, Snare, Hihat, Bass, Lead, Pad, Pluck, Chop };
// Tracks.
enum : int {
    KickTrack,
    SnareTrack,
    HihatTrack,
    BassTrack,
    LeadTrack,
    PadLow,
    PadHigh,
    PluckTrack,
    ChopTrack,
    FxTrack,
    TrackCount
};

constexpr int Rows = 64;  // 4 bars of 4 beats
constexpr int RowsPerBar = 16;
constexpr uint8_t NaturalNote = 37;  // plays a sample at its own rate
constexpr uint8_t NoteOff = 255;

// Effects.
constexpr uint8_t TickRate = 1, Tempo = 2;                    // global
constexpr uint8_t Offset = 6, CueJump = 11;                   // instrument column
constexpr uint8_t SlideUp = 4, SlideDown = 5;                 // note column
constexpr uint8_t VolumeUp = 1, VolumeDown = 2, Panning = 7;  // volume column

// One chord of the progression (A minor, F, C, G) per bar.
struct TChord {
    uint8_t Bass;       // root, octave 2
    uint8_t Low, High;  // pad voices
    uint8_t Arp[4];     // pluck arpeggio
};
constexpr TChord Progression[4] = {
    {22, 34, 37, {46, 49, 53, 49}},  // Am
    {18, 30, 34, {42, 46, 49, 46}},  // F
    {25, 37, 41, {49, 53, 56, 53}},  // C
    {20, 32, 36, {44, 48, 51, 48}},  // G
};

TWriterCell Note(uint8_t Instrument, uint8_t Pitch, uint8_t Volume = 0)
{
    TWriterCell cell;
    cell.Instrument = Instrument;
    cell.Note = Pitch;
    cell.Volume = Volume;
    return cell;
}

void Drums(TWriterPattern& P, bool Full)
{
    for (int row = 0; row < Rows; ++row) {
        const int inBar = row % RowsPerBar;
        if (inBar == 0 || inBar == 8 || (Full && inBar == 10)) {
            P.At(KickTrack, row) = Note(Kick, NaturalNote, 220);
        }
        if (inBar == 4 || inBar == 12) {
            P.At(SnareTrack, row) = Note(Snare, NaturalNote, 190);
        }
        if (row % 2 == 0) {
            // Hihats swing from side to side.
            TWriterCell hat = Note(Hihat, NaturalNote, row % 4 == 0 ? 150 : 100);
            hat.VolumeEffect = Panning;
            hat.VolumeParam = static_cast<uint8_t>(row % 8 == 0 ? 60 : 196);
            P.At(HihatTrack, row) = hat;
        }
    }
}

void Bassline(TWriterPattern& P)
{
    for (int row = 0; row < Rows; row += 2) {
        const TChord& chord = Progression[row / RowsPerBar];
        const bool octave = (row % 8) == 6;
        P.At(BassTrack, row) = Note(Bass, static_cast<uint8_t>(chord.Bass + (octave ? 12 : 0)), octave ? 150 : 190);
    }
}

void Chords(TWriterPattern& P, uint8_t Volume)
{
    for (int bar = 0; bar < 4; ++bar) {
        const TChord& chord = Progression[bar];
        P.At(PadLow, bar * RowsPerBar) = Note(Pad, chord.Low, Volume);
        P.At(PadHigh, bar * RowsPerBar) = Note(Pad, chord.High, Volume);
    }
}

void Arpeggio(TWriterPattern& P)
{
    for (int row = 0; row < Rows; row += 2) {
        const TChord& chord = Progression[row / RowsPerBar];
        TWriterCell cell = Note(Pluck, chord.Arp[(row / 2) % 4], 120);
        if (row % 16 == 0) {  // the pluck wanders across the stereo field once per bar
            cell.VolumeEffect = Panning;
            cell.VolumeParam = static_cast<uint8_t>(40 + 50 * (row / RowsPerBar));
        }
        P.At(PluckTrack, row) = cell;
    }
}

TWriterPattern Intro()
{
    TWriterPattern p(TrackCount, Rows);
    p.GlobalAt(0) = {Tempo, 125};
    // The pad swells in: a low start volume and a slide up on every bar.
    for (int bar = 0; bar < 4; ++bar) {
        const TChord& chord = Progression[bar];
        for (int voice : {PadLow, PadHigh}) {
            TWriterCell cell = Note(Pad, voice == PadLow ? chord.Low : chord.High, static_cast<uint8_t>(20 + 30 * bar));
            cell.VolumeEffect = VolumeUp;
            cell.VolumeParam = 6;
            p.At(voice, bar * RowsPerBar) = cell;
        }
    }
    Arpeggio(p);
    for (int row = 32; row < Rows; row += 4) {
        p.At(HihatTrack, row) = Note(Hihat, NaturalNote, 80);
    }
    return p;
}

TWriterPattern VerseA()
{
    TWriterPattern p(TrackCount, Rows);
    Drums(p, false);
    Bassline(p);
    Chords(p, 110);
    Arpeggio(p);
    return p;
}

TWriterPattern VerseB()
{
    TWriterPattern p(TrackCount, Rows);
    Drums(p, true);
    Bassline(p);
    Chords(p, 90);
    // Lead melody with slides into and out of its long notes.
    const uint8_t melody[] = {57, 56, 53, 49, 53, 54, 56, 57};
    for (int i = 0; i < 8; ++i) {
        const int row = i * 8;
        TWriterCell cell = Note(Lead, melody[i], 150);
        p.At(LeadTrack, row) = cell;
        if (i % 2 == 1) {
            p.At(LeadTrack, row + 6).NoteEffect = SlideUp;
            p.At(LeadTrack, row + 6).NoteParam = 24;
        } else {
            p.At(LeadTrack, row + 4).NoteEffect = SlideDown;
            p.At(LeadTrack, row + 4).NoteParam = 10;
        }
    }
    p.At(LeadTrack, Rows - 2) = Note(0, NoteOff);  // the looped lead must not ring into the next pattern
    // The vowel chop answers on the off-beats, jumping between its cue points.
    for (int row = 2; row < Rows; row += 8) {
        TWriterCell cell = Note(Chop, 37, 130);
        cell.InstrumentEffect = CueJump;
        cell.InstrumentParam = static_cast<uint8_t>((row / 8) % 4);
        p.At(ChopTrack, row) = cell;
    }
    // A snare with its attack cut off by a sample offset, as a ghost note.
    for (int bar = 0; bar < 4; ++bar) {
        TWriterCell ghost = Note(Snare, NaturalNote, 90);
        ghost.InstrumentEffect = Offset;
        ghost.InstrumentParam = 8;  // 8 x 256 bytes in
        p.At(FxTrack, bar * RowsPerBar + 14) = ghost;
    }
    return p;
}

TWriterPattern Break()
{
    TWriterPattern p(TrackCount, Rows);
    p.GlobalAt(0) = {TickRate, 44};  // 45 ticks per second: the fill rushes
    p.GlobalAt(48) = {Tempo, 125};
    p.At(PadLow, 0) = Note(0, NoteOff);
    p.At(PadHigh, 0) = Note(0, NoteOff);
    for (int row = 0; row < 48; row += 3) {
        TWriterCell cell = Note(Snare, static_cast<uint8_t>(NaturalNote + row / 6), static_cast<uint8_t>(60 + row * 2));
        cell.InstrumentEffect = static_cast<uint8_t>(Offset + (row / 3) % 2);  // 6 or 7: two offset ranges
        cell.InstrumentParam = static_cast<uint8_t>(row % 12);
        p.At(SnareTrack, row) = cell;
    }
    for (int row = 0; row < Rows; row += 4) {
        TWriterCell cell = Note(Chop, static_cast<uint8_t>(37 + (row / 16) * 2), 140);
        cell.InstrumentEffect = CueJump;
        cell.InstrumentParam = static_cast<uint8_t>(3 - (row / 4) % 4);
        p.At(ChopTrack, row) = cell;
    }
    for (int row = 48; row < Rows; row += 4) {
        p.At(KickTrack, row) = Note(Kick, NaturalNote, 230);
    }
    p.At(BassTrack, 0) = Note(Bass, 22, 200);
    p.At(BassTrack, 0).NoteEffect = SlideDown;
    p.At(BassTrack, 0).NoteParam = 2;
    p.At(BassTrack, 32) = Note(0, NoteOff);
    return p;
}

TWriterPattern Outro()
{
    TWriterPattern p(TrackCount, Rows);
    for (int row = 0; row < 32; ++row) {
        const int inBar = row % RowsPerBar;
        if (inBar == 0 || inBar == 8) {
            p.At(KickTrack, row) = Note(Kick, NaturalNote, 200);
        }
        if (inBar == 4 || inBar == 12) {
            p.At(SnareTrack, row) = Note(Snare, NaturalNote, 150);
        }
    }
    p.At(BassTrack, 0) = Note(Bass, 22, 180);
    p.At(BassTrack, 32) = Note(Bass, 22, 120);
    for (int voice : {PadLow, PadHigh}) {
        TWriterCell cell = Note(Pad, voice == PadLow ? 34 : 37, 160);
        p.At(voice, 0) = cell;
        // Fade out over the second half.
        for (int row = 32; row < Rows; row += 4) {
            p.At(voice, row).VolumeEffect = VolumeDown;
            p.At(voice, row).VolumeParam = 3;
        }
    }
    p.At(PluckTrack, 0) = Note(Pluck, 46, 140);
    p.At(PluckTrack, 16) = Note(Pluck, 49, 120);
    p.At(PluckTrack, 32) = Note(Pluck, 53, 100);
    for (int t = 0; t < TrackCount; ++t) {
        p.At(t, Rows - 1) = Note(0, NoteOff);
    }
    return p;
}

}  // namespace

TWriterSong ComposeExampleSong()
{
    TWriterSong song;
    song.Version = 8;
    song.Title = "Morvel Demo";
    song.Composer = "The Morvel project";
    song.Tracker = "MORVEL";
    // clang-format off
    song.MessageLines = {
        "Morvel Demo - the example song",
        "",
        "Composed for the Morvel player with its",
        "own module writer (tools/compose). Every",
        "sample is synthesized: a falling-sine",
        "kick, noise snare and hihat, a soft saw",
        "bass, a pulse lead, a stereo pad of",
        "detuned saws, a plucked string and a",
        "chop of four vowels with cue points.",
        "",
        "Free to use, copy and change.",
    };
    // clang-format on
    song.SongTracks = TrackCount;
    song.Patterns = {Intro(), VerseA(), VerseB(), Break(), Outro()};
    song.Sequence = {0, 1, 2, 1, 3, 2, 4};
    song.Samples = {MakeKick(), MakeSnare(), MakeHihat(), MakeBass(), MakeLead(), MakePad(), MakePluck(), MakeChop()};
    return song;
}
