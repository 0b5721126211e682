#pragma once
// The values of a voice's frame at its play head before its gains, under any
// interpolation, read as the mixer reads them: for what has to know what a
// voice sounds at a given moment (the ramps of click removal glide from and
// to it) without mixing a tick.

#include <array>
#include <cstdint>

#include "player/DmfMixFrame.h"
#include "player/DmfMixTaps.h"
#include "player/DmfPlayedFrames.h"
#include "player/DmfSincKernels.h"
#include "player/DmfSoundSettings.h"
#include "player/DmfVoice.h"

// The values (left or only, a stereo frame's right; 0 for a mono frame's
// right) of Voice's frame at its Position and Fraction in the frame format
// Format under Interpolation: bit for bit what the mixer's frame there gives
// before the gains, on every code path. Increment is the voice's 16.16
// increment at the song's output rate (the sinc's kernel follows it). Reads
// only inside the voice's allocation (DataLength bytes from Data, none without
// Data), loop-aware as the interpolation reads (linear: the data as it lies),
// with the loop's last frames before its start once Voice.LoopPassed. Any
// Position is safe; one past the end offset reads what lies or loops there.
template <class Format>
std::array<float, 2> VoiceFrameValuesOf(TInterpolation Interpolation, const TVoice& Voice, uint64_t Increment)
{
    const TPlayHead head{Voice.Position, Voice.Fraction, 0, 0, Increment};
    const TPlayedFrames played(Voice, Interpolation != TInterpolation::Linear);
    std::array<float, 2> values{};
    switch (Interpolation) {
    case TInterpolation::None:
        PlayedValues<TInterpolation::None, Format>(played, head, nullptr, values[0], values[1]);
        break;
    case TInterpolation::Cubic:
        PlayedValues<TInterpolation::Cubic, Format>(played, head, nullptr, values[0], values[1]);
        break;
    case TInterpolation::Sinc:
        PlayedValues<TInterpolation::Sinc, Format>(played, head, &SincKernelFor(Increment), values[0], values[1]);
        break;
    default:
        PlayedValues<TInterpolation::Linear, Format>(played, head, nullptr, values[0], values[1]);
        break;
    }
    return values;
}
