#pragma once
// A voice's value at its play head before any gain, one frame at a time: what
// click removal mixes (DmfVoiceRamps.h) for the frames of a gain ramp and of a
// note fading out, with gains that change on every frame. Every code path
// mixes those frames with this plain code, so every path gives the same bits;
// the voice's steady frames are the kernels' (DmfMixKernels.h). The value is
// the one the kernels make of the same frames under the song's
// interpolation, read as the mix reads them (DmfPlayedFrames.h).

#include <array>
#include <cstdint>

#include "player/DmfMixFrame.h"
#include "player/DmfMixTaps.h"
#include "player/DmfPlayedFrames.h"
#include "player/DmfSincKernels.h"
#include "player/DmfSoundSettings.h"
#include "player/DmfVoice.h"

// The left (or only) and right channels of a voice's frame, on the 16-bit scale.
using TFrameValues = std::array<float, 2>;

// The values of Voice's frame at Head (its Offset and Fraction) in frame
// format Format (Voice.Flags') under Interpolation: bit for bit what the
// mixer's frame there gives before the gains, on every code path; right 0 for
// a mono voice. Head.Increment is the voice's 16.16 increment at the song's
// output rate (the sinc's kernel follows it). Reads only inside the voice's
// allocation (DataLength bytes from Data, none without Data), wherever the
// head stands: loop-aware as the interpolation reads (linear: the data as it
// lies), with the loop's last frames before its start once Voice.LoopPassed.
template <class Format>
TFrameValues VoiceFrameValues(TInterpolation Interpolation, const TVoice& Voice, const TPlayHead& Head)
{
    const TPlayedFrames played(Voice, Interpolation != TInterpolation::Linear);
    TFrameValues values{};
    switch (Interpolation) {
    case TInterpolation::None:
        PlayedValues<TInterpolation::None, Format>(played, Head, nullptr, values[0], values[1]);
        break;
    case TInterpolation::Cubic:
        PlayedValues<TInterpolation::Cubic, Format>(played, Head, nullptr, values[0], values[1]);
        break;
    case TInterpolation::Sinc:
        PlayedValues<TInterpolation::Sinc, Format>(played, Head, &SincKernelFor(Head.Increment), values[0], values[1]);
        break;
    default:
        PlayedValues<TInterpolation::Linear, Format>(played, Head, nullptr, values[0], values[1]);
        break;
    }
    if constexpr (!Format::Stereo) {
        values[1] = 0.0f;
    }
    return values;
}

// Adds a frame's Values times Gains (as MixFrame takes them) to the frame's
// accumulators, in MixFrame's order.
inline void MixFrameValues(const TFrameValues& Values, const float* Gains, bool Stereo, float& Left, float& Right)
{
    Left += Values[0] * Gains[0];
    Right += Values[0] * Gains[1];
    if (Stereo) {
        Left += Values[1] * Gains[2];
        Right += Values[1] * Gains[3];
    }
}
