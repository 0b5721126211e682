// The sequencer: one tick at a time, rows every fourth tick, per-tick slides,
// and the transport operations the loader and the player thread call.

#include <algorithm>
#include <cstdint>
#include <limits>

#include "player/DmfNoteFactor.h"
#include "player/DmfNumbers.h"
#include "player/DmfSincKernels.h"
#include "player/DmfSong.h"
#include "player/DmfVoiceRamps.h"

namespace {

// Rounds a frequency to hertz, held within the voice's 32-bit field (a
// damaged sample rate must not overflow it).
int32_t FrequencyToInt(double hz)
{
    constexpr double top = std::numeric_limits<int32_t>::max();
    if (!(hz > 0.0)) {
        return 0;
    }
    return hz >= top ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(RoundHalfEven(hz));
}

// Moves the voice to a cue point of the sample when the cue lies inside the PCM.
void JumpToCue(TVoice& voice, const TSample& sample, int index)
{
    const int32_t cue = sample.GetCuePoint(index);
    if (cue >= 0 && cue < sample.Length) {
        voice.MoveTo(cue);
    }
}

// Effect numbers (low 4 bits of an effect byte).
constexpr uint8_t GlobalTickRate = 1;
constexpr uint8_t GlobalTempo = 2;
constexpr uint8_t InstrumentOffsetFirst = 6;
constexpr uint8_t InstrumentOffsetLast = 9;
constexpr uint8_t InstrumentCueJump = 11;
constexpr uint8_t NotePitchSlideUp = 4;
constexpr uint8_t NotePitchSlideDown = 5;
constexpr uint8_t VolumeSlideUp = 1;
constexpr uint8_t VolumeSlideDown = 2;
constexpr uint8_t VolumeSetPanning = 7;

constexpr uint8_t NoteStopA = 127;
constexpr uint8_t NoteStopB = 255;
constexpr uint8_t LastPlayableNote = 108;

// The effect an effect byte selects: its low four bits (the high four are ignored).
uint8_t EffectOf(uint8_t Byte)
{
    return Byte & 15;
}

// A slide effect's change per tick: Param up or down, none for any other effect.
int32_t SlideOf(uint8_t Effect, uint8_t Param, uint8_t Up, uint8_t Down)
{
    if (Effect == Up) {
        return Param;
    }
    return Effect == Down ? -int32_t{Param} : 0;
}

}  // namespace

void TDmf::Start()
{
    TLockGuard guard(Lock);
    if (Sound.Interpolation == TInterpolation::Sinc) {
        SincKernels();  // made before the song renders, once for the program
    }
    if (Loaded) {
        Rewind();
        Playing = true;
    }
}

void TDmf::Stop()
{
    TLockGuard guard(Lock);
    Playing = false;
    for (TVoice& voice : Voices) {
        voice.MixVolume = 0;
        voice.Active = false;
    }
    Ramps->Clear();
}

void TDmf::Resume()
{
    TLockGuard guard(Lock);
    if (Loaded) {
        Playing = true;
    }
}

void TDmf::Rewind()
{
    TLockGuard guard(Lock);
    SequencePos = 0;
    CurrentPattern = static_cast<uint8_t>(Sequencer.GetEntry(0) & 0xFF);
    CurrentRow = 0;
    SequencePos = 1;
    ResetTrackStatesAndPanning();
    // Every playback from the start is the run that measured the length:
    // the same first tick, the same tempo, the same idle voices.
    TickCountdown = 1;
    BlockBytes = InitialTickBytes;
    ElapsedFrames = 0;
    for (TVoice& voice : Voices) {
        if (!voice.Active) {
            voice = TVoice{};
        }
    }
}

void TDmf::SkipBlock()
{
    TLockGuard guard(Lock);
    SequencerTick();
    MoveVoices();
}

void TDmf::SequencerTick()
{
    TLockGuard guard(Lock);
    const bool clickRemoval = Sound.ClickRemoval;
    if (clickRemoval) {
        Ramps->Remember(Voices);
    }
    if (Playing) {
        ProcessTick();
    }
    UpdateVoiceGains();
    if (clickRemoval) {
        Ramps->Follow(Voices, SoundInForce().Rate);
    }
}

void TDmf::ProcessTick(bool WithVoices)
{
    TPattern* pattern = GetPattern(CurrentPattern);
    if (!pattern) {
        // The sequence names a pattern the song does not have: the song ends.
        Stop();
        return;
    }
    const int32_t trackCount = pattern->TrackCount;
    if (WithVoices) {
        AdvanceVoices(trackCount);
    }

    if (--TickCountdown != 0) {
        return;
    }
    TickCountdown = TicksPerRow;
    ProcessGlobalRow(CurrentPattern);
    if (WithVoices) {
        for (int32_t t = 0; t < trackCount; ++t) {
            TrackStates[static_cast<size_t>(t)].PitchSlide = 0;
            TrackStates[static_cast<size_t>(t)].VolumeSlide = 0;
            ProcessTrackRow(static_cast<uint8_t>(t), CurrentPattern, CurrentRow - 1);
        }
    }
    if (pattern->RowCount > CurrentRow) {
        return;
    }

    CurrentRow = 0;
    if (SequencePos - 1 == Sequencer.LoopEnd) {
        Stop();
        return;
    }
    const int32_t next = Sequencer.GetEntry(SequencePos) & 0xFF;
    if (next >= PatternCount) {
        Stop();
        return;
    }
    CurrentPattern = static_cast<uint8_t>(next);
    ++SequencePos;
}

void TDmf::AdvanceVoices(int32_t TrackCount)
{
    for (int32_t t = 0; t < TrackCount; ++t) {
        TTrackState& state = TrackStates[static_cast<size_t>(t)];
        TVoice& voice = Voices[static_cast<size_t>(t)];
        if (state.VolumeSlide != 0) {
            voice.VolumeExact += state.VolumeSlide / 4.0;
            if (voice.VolumeExact < 1.0) {
                voice.VolumeExact = 0.0;
                state.VolumeSlide = 0;
            }
            if (voice.VolumeExact > 254.0) {
                voice.VolumeExact = 254.0;
                state.VolumeSlide = 0;
            }
            voice.Volume = static_cast<int16_t>(RoundHalfEven(voice.VolumeExact));
        }
        const TSample* sample = GetSample(state.Instrument);
        if (state.PitchSlide != 0 && sample) {
            const double base = state.CurrentNote;
            const double step = NoteFreq(sample->Rate, base + state.PitchSlide / 64.0) - NoteFreq(sample->Rate, base);
            const int64_t lowest = FrequencyToInt(NoteFreq(sample->Rate, 1));
            const int64_t highest = FrequencyToInt(NoteFreq(sample->Rate, 107));
            int64_t frequency = int64_t{voice.Frequency} + RoundHalfEven(step);
            frequency = std::min(std::max(frequency, lowest), highest);
            voice.Frequency = static_cast<int32_t>(frequency);
        }
    }

    // Voices the pattern does not use are silenced on every tick.
    for (int32_t v = TrackCount; v < VoiceCount; ++v) {
        SetVolume(static_cast<uint8_t>(v), 0);
    }
}

void TDmf::ProcessGlobalRow(uint8_t PatternNo)
{
    ++CurrentRow;
    const TPattern* pattern = GetPattern(PatternNo);
    const TGlobalSector* cell = pattern ? pattern->GlobalTrack.Sector(CurrentRow - 1) : nullptr;
    if (!cell || !cell->HasEffect()) {
        return;
    }
    switch (cell->Effect) {
    case GlobalTickRate:
        SetTickRate(cell->Param + 1);
        break;
    case GlobalTempo:
        RowsPerBeat = pattern->RowsPerBeat;
        SetTickRate(static_cast<double>(int32_t{cell->Param} * RowsPerBeat * TicksPerRow) / 60.0);
        break;
    default:
        break;
    }
}

void TDmf::ProcessTrackRow(uint8_t Track, uint8_t PatternNo, int32_t Row)
{
    if (Track >= VoiceCount) {
        return;
    }
    TTrackState& state = TrackStates[Track];
    const TPattern* pattern = GetPattern(PatternNo);
    const TTrack* track = pattern ? pattern->Track(Track) : nullptr;
    const TSector* found = track ? track->Sector(Row) : nullptr;
    const TSector cell = found ? *found : TSector{};

    state.VolumeSlide = 0;
    state.PitchSlide = 0;
    state.Volume = 0;
    state.Note = 0;
    // Each column with its effect: no column reads what another one sets.
    ReadInstrumentColumn(Track, cell);
    ReadNoteColumn(Track, cell);
    ReadVolumeColumn(Track, cell);

    if (state.Volume != 0) {
        SetVolume(Track, static_cast<int16_t>(state.Volume));
    }
    if (state.Note >= 1 && state.Note <= LastPlayableNote && state.Instrument != 0) {
        PlayInstrument(state.Instrument, Track, state.Note);
        if (state.Volume == 0) {
            if (const TSample* sample = GetSample(state.Instrument)) {
                SetVolume(Track, sample->Volume);
            }
        }
    }
    if (state.Note == NoteStopA || state.Note == NoteStopB) {
        Voices[Track].Active = false;
    }
}

void TDmf::ReadInstrumentColumn(uint8_t Track, const TSector& Cell)
{
    TTrackState& state = TrackStates[Track];
    TVoice& voice = Voices[Track];
    if (Cell.HasInstrument()) {
        voice.MoveTo(0);
        state.Instrument = Cell.Instrument;
        if (const TSample* sample = GetSample(state.Instrument)) {
            JumpToCue(voice, *sample, 0);
        }
    }
    if (!Cell.HasInstrumentEffect()) {
        return;
    }
    state.InstrumentEffect = EffectOf(Cell.InstrumentEffect);
    state.InstrumentParam = Cell.InstrumentParam;
    const uint8_t effect = state.InstrumentEffect;
    if (effect >= InstrumentOffsetFirst && effect <= InstrumentOffsetLast) {
        // Held against the end of what the voice played before this row: the
        // row's note starts after its effects.
        const int32_t offset = ((effect - InstrumentOffsetFirst) * 256 + Cell.InstrumentParam) * 256;
        if (offset < voice.EndOffset) {
            voice.MoveTo(offset);
        }
    } else if (effect == InstrumentCueJump && state.Instrument != 0) {
        if (const TSample* sample = GetSample(state.Instrument)) {
            JumpToCue(voice, *sample, Cell.InstrumentParam);
        }
    }
}

void TDmf::ReadNoteColumn(uint8_t Track, const TSector& Cell)
{
    TTrackState& state = TrackStates[Track];
    if (Cell.HasNote()) {
        state.Note = Cell.Note;
        if (Cell.Note >= 128 && Cell.Note <= 254) {
            state.Note = 0;
        } else {
            state.CurrentNote = Cell.Note;
        }
    }
    if (Cell.HasNoteEffect()) {
        state.NoteEffect = EffectOf(Cell.NoteEffect);
        state.NoteParam = Cell.NoteParam;
        state.PitchSlide = SlideOf(state.NoteEffect, Cell.NoteParam, NotePitchSlideUp, NotePitchSlideDown);
    }
}

void TDmf::ReadVolumeColumn(uint8_t Track, const TSector& Cell)
{
    TTrackState& state = TrackStates[Track];
    if (Cell.HasVolume()) {
        state.Volume = Cell.Volume;
    }
    if (Cell.HasVolumeEffect()) {
        state.VolumeEffect = EffectOf(Cell.VolumeEffect);
        state.VolumeParam = Cell.VolumeParam;
        state.VolumeSlide = SlideOf(state.VolumeEffect, Cell.VolumeParam, VolumeSlideUp, VolumeSlideDown);
        if (state.VolumeEffect == VolumeSetPanning) {
            SetPanning(Track, Cell.VolumeParam);
        }
    }
}

void TDmf::SetTickRate(double TicksPerSecond)
{
    if (!(TicksPerSecond >= 0.1)) {
        return;
    }
    const double quarter = OutputBytesPerSecond / TicksPerSecond / 4.0;
    int64_t bytes = 4 * RoundHalfEven(std::min(quarter, double{MaxTickBytes}));
    // A tick never has zero bytes, or rendering and the length run would never advance.
    BlockBytes = static_cast<int32_t>(std::clamp<int64_t>(bytes, 4, MaxTickBytes));
}

double TDmf::NoteFreq(int32_t Rate, double Note) const
{
    const double x = std::clamp(Note, 1.0, 107.0);
    const int i = static_cast<int>(x);
    const int j = (x == i) ? i : i + 1;
    if (i == j) {
        return Rate * (NoteFactor[static_cast<size_t>(i)] / 2);
    }
    return Rate * (NoteFactor[static_cast<size_t>(i)] / 2) * (1 - (x - i)) +
           Rate * (NoteFactor[static_cast<size_t>(j)] / 2) * (x - j + 1);
}

void TDmf::PlayInstrument(uint8_t Instrument, uint8_t Voice, uint16_t Note)
{
    if (Voice >= VoiceCount) {
        return;
    }
    PlayNote(Voice, Instrument, Note);
    Voices[Voice].SampleNumber = Instrument;
}

void TDmf::PlayNote(uint8_t Voice, uint8_t SampleNo, uint16_t Note)
{
    if (Voice >= VoiceCount) {
        return;
    }
    const TSample* sample = GetSample(SampleNo);
    if (!sample || sample->Empty || sample->Length < 1 || !sample->Data) {
        return;
    }
    TVoice& voice = Voices[Voice];
    voice.Data = sample->Data;
    voice.DataLength = static_cast<int32_t>(
        std::min<size_t>(sample->Buffer.size() - SampleGuardBytes, std::numeric_limits<int32_t>::max()));
    voice.Frequency = FrequencyToInt(NoteFreq(sample->Rate, Note));
    voice.Fraction = 0;
    voice.SampleNumber = SampleNo;
    if (!sample->Enabled) {
        voice.Active = false;
        return;
    }
    voice.Looping = sample->Looped;
    if (sample->Looped) {
        voice.LoopStart = sample->LoopStart;
        voice.EndOffset = sample->LoopEnd;
    } else {
        voice.EndOffset = sample->Length;
    }
    voice.Flags = static_cast<uint8_t>((sample->Is16Bit ? VoiceFlag16Bit : 0) | (sample->Stereo ? VoiceFlagStereo : 0));
    voice.Active = true;
}

void TDmf::SetVolume(uint8_t Voice, int16_t Value)
{
    if (Voice >= VoiceCount) {
        return;
    }
    Value = std::clamp<int16_t>(Value, 0, 254);
    Voices[Voice].Volume = Value;
    Voices[Voice].VolumeExact = Value;
}

void TDmf::SetPanning(uint8_t Voice, uint8_t Value)
{
    if (Voice < VoiceCount) {
        Voices[Voice].Panning = Value;
    }
}

void TDmf::UpdateVoiceGains()
{
    auto held = [](int32_t value) { return static_cast<int16_t>(std::min(value, 254)); };
    for (TVoice& voice : Voices) {
        const int32_t mix = std::min((std::max<int32_t>(voice.Volume, 0) * MasterVolume) >> 8, 254);
        voice.MixVolume = static_cast<uint8_t>(mix);
        const int32_t q = voice.Panning;
        if (voice.Flags & VoiceFlagStereo) {
            const int32_t a = std::clamp(255 - q, 0, 127);
            const int32_t b = std::clamp(q - 128, 0, 127);
            const int32_t c = std::clamp(127 - q, 0, 127);
            const int32_t d = std::clamp(q, 0, 127);
            voice.LeftToLeft = held((mix * 2 * a) >> 7);
            voice.LeftToRight = held((mix * 2 * b) >> 7);
            voice.RightToLeft = held((mix * 2 * c) >> 7);
            voice.RightToRight = held((mix * 2 * d) >> 7);
        } else {
            voice.RightGain = held((mix * 2 * (q >> 1)) >> 7);
            voice.LeftGain = held((mix * 2 * ((255 - q) >> 1)) >> 7);
        }
    }
}

void TDmf::MeasureLength(bool RewindAfter)
{
    // Only the global track, the rows and the sequence decide when ticks
    // happen and how long they are, so the run leaves the voices alone
    // (playback starts with a rewind, as it did after a run with voices).
    //
    // Bound: a file can ask for at most 256 ticks a second (688 bytes each),
    // and the run stops at the 32-bit byte total, so it takes at most
    // 2^31 / 688 = 3,121,342 ticks of constant work whatever the file says
    // (the fastest tempo on a sequence that outlasts the total: 13 ms in a
    // release build, benchmark BM_InfoLoadLongestLegalSong).
    TLockGuard guard(Lock);
    Rewind();
    Start();
    int64_t total = 0;
    do {
        if (Playing) {
            ProcessTick(false);
        }
        // A song too long for the 32-bit byte total (or one that never ends)
        // reports the length reached so far.
        if (total + BlockBytes > std::numeric_limits<int32_t>::max()) {
            Stop();
            break;
        }
        total += BlockBytes;
    } while (Playing);
    LengthBytes = total;
    LengthMs = static_cast<int32_t>(RoundHalfEven(static_cast<double>(total) / OutputBytesPerMs));
    if (RewindAfter) {
        Rewind();
    }
}
