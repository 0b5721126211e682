#include "player/DmfSong.h"

#include <algorithm>

#include "module/LoadLog.h"
#include "player/DmfSongTime.h"
#include "player/DmfVoiceRamps.h"

TDmf::TDmf() : Ramps(std::make_unique<TVoiceRamps>())
{
}

void TDmf::AllocateRenderBuffers()
{
    // About 2 MB at 44100 Hz, 10 MB at 192000: only songs that are mixed pay
    // for them, not the many information loads of a playlist.
    const int32_t frames = MaxTickFramesAt(SoundInForce().Rate);
    if (frames <= BufferFrames) {
        return;
    }
    // Each half of the accumulators a whole number of 64-byte lines.
    MixRight = (frames + 15) & ~15;
    MixBuffer.assign(2 * static_cast<size_t>(MixRight) + 16, 0.0f);
    TickBuffer.assign(static_cast<size_t>(frames) * OutputBytesPerFrame, 0);
    // What the FIFO holds stays queued.
    Fifo.resize(2 * TickBuffer.size());
    BufferFrames = frames;
}

TDmf::~TDmf()
{
    TLockGuard guard(Lock);
    if (Loaded) {
        Clear();
    }
    SetSampleCount(0);
}

TPattern* TDmf::GetPattern(int32_t I)
{
    return I >= 0 && I < PatternCount ? Patterns[static_cast<size_t>(I)].get() : nullptr;
}

TSample* TDmf::GetSample(int32_t N)
{
    return N >= 1 && N <= SampleCount ? Samples[static_cast<size_t>(N)].get() : nullptr;
}

void TDmf::SetPatternCount(int32_t N)
{
    N = std::clamp<int32_t>(N, 0, MaxPatterns);
    for (int32_t p = PatternCount; p < N; ++p) {
        Patterns[static_cast<size_t>(p)] = std::make_unique<TPattern>();
    }
    for (int32_t p = N; p < PatternCount; ++p) {
        Patterns[static_cast<size_t>(p)].reset();
    }
    PatternCount = N;
}

void TDmf::SetSampleCount(int32_t N)
{
    N = std::clamp<int32_t>(N, 0, MaxSamples);
    if (N == SampleCount) {
        return;
    }
    TLockGuard guard(Lock);
    for (int32_t k = SampleCount + 1; k <= N; ++k) {
        Samples[static_cast<size_t>(k)] = std::make_unique<TSample>(this);
    }
    for (int32_t k = N + 1; k <= SampleCount; ++k) {
        for (TVoice& voice : Voices) {
            if (voice.Active && voice.SampleNumber == k) {
                voice.Active = false;
            }
        }
        Samples[static_cast<size_t>(k)].reset();
    }
    SampleCount = N;
}

void TDmf::SilenceVoicesReading(const uint8_t* Data)
{
    for (TVoice& voice : Voices) {
        if (voice.Data == Data) {
            voice.Active = false;
            voice.Data = nullptr;
            voice.DataLength = 0;
        }
    }
    Ramps->Forget(Data);
}

void TDmf::Clear()
{
    if (Playing) {
        Stop();
    }
    if (!Loaded) {
        return;
    }
    DebugLog("Deleting in-memory DMF");
    SetSampleCount(0);
    Loaded = false;
    ResetTrackStatesAndPanning();
}

void TDmf::ResetTrackStatesAndPanning()
{
    for (TTrackState& state : TrackStates) {
        state.Instrument = 0;
        state.Note = 0;
        state.VolumeSlide = 0;
        state.PitchSlide = 0;
    }
    for (TVoice& voice : Voices) {
        voice.Panning = 127;
    }
}

void TDmf::ResetToEmptySong()
{
    // A fresh pattern 0: nothing of an earlier song (its global track included) survives.
    SetPatternCount(0);
    SetPatternCount(1);
    TPattern& first = *Patterns[0];
    first.SetTrackCount(8);
    first.RowsPerBeat = 8;
    first.SetRowCount(128);
    first.Clear();
    SetSampleCount(0);
    Sequencer = TSequencer{};
    Sequencer.SetEntry(0, 0);
    Message.clear();
    Composer.clear();
    SongName.clear();
}
