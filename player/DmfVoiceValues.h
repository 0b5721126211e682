#pragma once
// A voice's value at its play head before any gain, one frame at a time: what
// click removal mixes (DmfVoiceRamps.h) for the frames of a gain ramp and of a
// note fading out, with gains that change on every frame. Every code path
// mixes those frames with this plain code, so every path gives the same bits;
// the voice's steady frames are the kernels' (DmfMixKernels.h). The value is
// the interpolation the kernels make of the same frames: here linear.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "player/DmfMixFrame.h"
#include "player/DmfVoice.h"

// The left (or only) and right channels of a voice's frame, on the 16-bit scale.
using TFrameValues = std::array<float, 2>;

// The value of Voice's sample at Head, in frame format Format (Voice.Flags'):
// the frame at Head.Offset and the next one weighted by Head.Fraction / 65536
// as MixFrame weighs them; right 0 for a mono voice. Only bytes inside the
// sample's allocation (Voice.Data[0..Voice.DataLength-1]) are read, the rest
// count as zero, wherever the head stands. The voice's loop and the head's
// increment are there for an interpolation that reads around a loop or
// follows the increment; linear needs neither.
template <class Format> TFrameValues VoiceFrameValues(const TVoice& Voice, const TPlayHead& Head)
{
    uint8_t frames[2 * Format::Bytes] = {};
    const int64_t length = Voice.Data ? std::max(Voice.DataLength, 0) : 0;
    if (Head.Offset >= 0 && Head.Offset <= length - 2 * Format::Bytes) {
        std::memcpy(frames, Voice.Data + Head.Offset, sizeof frames);
    } else {
        for (int i = 0; i < 2 * Format::Bytes; ++i) {
            const int64_t at = Head.Offset + i;
            if (at >= 0 && at < length) {
                frames[i] = Voice.Data[at];
            }
        }
    }
    const float w = static_cast<float>(Head.Fraction) * MixWeightScale;
    const float keep = 1.0f - w;
    const uint8_t* next = frames + Format::Bytes;
    TFrameValues values{Format::Value(frames, 0) * keep + Format::Value(next, 0) * w, 0.0f};
    if constexpr (Format::Stereo) {
        values[1] = Format::Value(frames, 1) * keep + Format::Value(next, 1) * w;
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
