#pragma once
// The interpolations beside linear (whose frame is DmfMixFrame.h's MixFrame),
// one output frame of a voice each, written out plainly: the frames each reads
// around the play head (its taps) and its arithmetic. The mixer's kernels on
// the plain code path run it frame by frame; those of every wider path do the
// same operations in the same order in each lane of their vectors, so that
// all paths give the same bits (single-precision sums and products, each
// rounded on its own).
//
// Each reads its taps one after the other from the first on: the sample's
// own data where they lie inside its allocation and the voice's loop does not
// turn between them, else the frames the voice plays there, gathered
// (DmfPlayedFrames.h).
//
// - None: the nearest frame, the head's own while its fraction is below one
//   half, else the next: the hard, stepped sound of early trackers, which
//   some chip tunes are written for.
// - Cubic: the Catmull-Rom spline through the frames before, at and the two
//   after the head. It passes through every frame, so a sample played at its
//   own rate (or any whole step) is left as it is; its slope at a frame is
//   that of the frames either side, so a sampled curve plays without the
//   corners linear leaves; at a jump between two levels it over- and
//   undershoots by at most 7.4% of the jump, on the frames either side. Its
//   weights cost 16 operations a frame, then 7 a channel, against linear's 3.
// - Sinc: a Kaiser-windowed sinc whose cut-off follows the increment
//   (DmfSincKernels.h).

#include <cstdint>

#include "player/DmfMixFrame.h"
#include "player/DmfSincKernels.h"
#include "player/DmfSoundSettings.h"

// The frames an interpolation reads around a play head: Before frames before
// the head's own frame, Frames in all.
struct TTapSpan {
    int32_t Before;
    int32_t Frames;

    // Bytes read from the first tap on: whole 32-bit words at least, as the
    // wider paths load them.
    template <class Format> int32_t Bytes() const { return Frames * Format::Bytes < 4 ? 4 : Frames * Format::Bytes; }
};

// The span of Interpolation; a sinc's is its kernel's (Sinc, null for the others).
inline TTapSpan TapSpanOf(TInterpolation Interpolation, const TSincKernel* Sinc)
{
    switch (Interpolation) {
    case TInterpolation::Cubic:
        return {1, 4};
    case TInterpolation::Sinc:
        return {Sinc->Taps / 2 - 1, Sinc->Taps};
    default:
        return {0, 2};
    }
}

// Adds a frame's values (left or only, right) times the voice's gains to the
// frame's accumulators, as MixFrame does: left += v x gain, right += v x gain,
// a stereo frame's left channel before its right.
template <class Format>
inline void AddFrameValues(float LeftValue, float RightValue, const float* Gains, float& Left, float& Right)
{
    Left += LeftValue * Gains[0];
    Right += LeftValue * Gains[1];
    if constexpr (Format::Stereo) {
        Left += RightValue * Gains[2];
        Right += RightValue * Gains[3];
    }
}

// The Catmull-Rom spline's weights of the frames before, at and the two after
// the head at T (0..1) past it: -T/2 + T^2 - T^3/2, 1 - 5T^2/2 + 3T^3/2,
// T/2 + 2T^2 - 3T^3/2 and T^3/2 - T^2/2, in Horner form and in this order.
// They hang on the fraction alone, so they are worked out while the frames
// load, and a stereo frame's channels share them. Written once for a float
// and for a vector of them (a lane per frame), which the wider paths pass by
// reference.
template <class TValue> inline void CatmullRomWeights(const TValue& T, TValue (&Weights)[4])
{
    const TValue half = T * 0.5f;
    const TValue threeHalves = T * 1.5f;
    const TValue square = T * T;
    Weights[0] = T * (T * (1.0f - half) - 0.5f);
    Weights[1] = square * (threeHalves - 2.5f) + 1.0f;
    Weights[2] = T * (T * (2.0f - threeHalves) + 0.5f);
    Weights[3] = square * (half - 0.5f);
}

// The frames A, B (the head's), C and D weighed and summed: (A w0 + B w1) +
// (C w2 + D w3).
template <class TValue>
inline void CatmullRom(const TValue (&Weights)[4], const TValue& A, const TValue& B, const TValue& C, const TValue& D,
                       TValue& Value)
{
    Value = (A * Weights[0] + B * Weights[1]) + (C * Weights[2] + D * Weights[3]);
}

// The lanes' sums of a sinc's chunks added pairwise: the order a vector's
// lanes are folded in.
inline float SincSum(const float* Lanes)
{
    return ((Lanes[0] + Lanes[1]) + (Lanes[2] + Lanes[3])) + ((Lanes[4] + Lanes[5]) + (Lanes[6] + Lanes[7]));
}

// Channel Channel of the frames from First on weighed by Kernel's taps at
// Fraction: each tap Base + Slope x between, times its frame's value, summed
// in lane Lane % 8 chunk after chunk, the lanes then added by SincSum.
template <class Format>
inline float SincValue(const uint8_t* First, uint32_t Fraction, const TSincKernel& Kernel, int Channel)
{
    const float between = static_cast<float>(Fraction & Kernel.BetweenMask);
    const float* row = Kernel.Rows + (Fraction >> Kernel.PhaseShift) * static_cast<uint32_t>(SincRowFloats(Kernel));
    float lanes[SincChunkTaps] = {};
    for (int32_t chunk = 0; chunk < Kernel.Chunks; ++chunk, row += 2 * SincChunkTaps) {
        const uint8_t* frames = First + chunk * SincChunkTaps * Format::Bytes;
        for (int lane = 0; lane < SincChunkTaps; ++lane) {
            const float tap = row[lane] + row[SincChunkTaps + lane] * between;
            const float product = Format::Value(frames + lane * Format::Bytes, Channel) * tap;
            lanes[lane] = chunk == 0 ? product : lanes[lane] + product;
        }
    }
    return SincSum(lanes);
}

// The values (left or only, right) of the frame at a head Fraction / 65536
// past its frame under Interpolation, its taps from First on; Sinc is the
// voice's kernel when it is a sinc's.
template <TInterpolation Interpolation, class Format>
inline void TapValues(const uint8_t* First, uint32_t Fraction, const TSincKernel* Sinc, float& Left, float& Right)
{
    constexpr int Channels = Format::Stereo ? 2 : 1;
    float values[2] = {};
    if constexpr (Interpolation == TInterpolation::None) {
        const uint8_t* nearest = First + (Fraction >> (MixFractionBits - 1)) * Format::Bytes;
        for (int channel = 0; channel < Channels; ++channel) {
            values[channel] = Format::Value(nearest, channel);
        }
    } else if constexpr (Interpolation == TInterpolation::Linear) {
        const float w = static_cast<float>(Fraction) * MixWeightScale;
        const float keep = 1.0f - w;
        for (int channel = 0; channel < Channels; ++channel) {
            values[channel] = Format::Value(First, channel) * keep + Format::Value(First + Format::Bytes, channel) * w;
        }
    } else if constexpr (Interpolation == TInterpolation::Cubic) {
        float weights[4];
        CatmullRomWeights(static_cast<float>(Fraction) * MixWeightScale, weights);
        for (int channel = 0; channel < Channels; ++channel) {
            CatmullRom(weights, Format::Value(First, channel), Format::Value(First + Format::Bytes, channel),
                       Format::Value(First + 2 * Format::Bytes, channel),
                       Format::Value(First + 3 * Format::Bytes, channel), values[channel]);
        }
    } else {
        for (int channel = 0; channel < Channels; ++channel) {
            values[channel] = SincValue<Format>(First, Fraction, *Sinc, channel);
        }
    }
    Left = values[0];
    Right = values[1];
}

// Mixes one frame whose taps lie from First on.
template <TInterpolation Interpolation, class Format>
inline void MixTapFrame(const uint8_t* First, uint32_t Fraction, const TSincKernel* Sinc, const float* Gains,
                        float& Left, float& Right)
{
    float left, right;
    TapValues<Interpolation, Format>(First, Fraction, Sinc, left, right);
    AddFrameValues<Format>(left, right, Gains, Left, Right);
}

// Mixes Frames frames one by one into Left[0..Frames-1] and Right[...], all
// of whose taps lie inside the sample's allocation (the offsets fit 32 bits
// there) and inside the loop as it plays.
template <TInterpolation Interpolation, class Format>
inline void MixTapFrames(const uint8_t* Data, int32_t /*DataLength*/, TPlayHead& Head, const float* Gains, float* Left,
                         float* Right, int32_t Frames, const TSincKernel* Sinc)
{
    const uint32_t before = static_cast<uint32_t>(TapSpanOf(Interpolation, Sinc).Before * Format::Bytes);
    uint32_t offset = static_cast<uint32_t>(Head.Offset);
    uint32_t fraction = Head.Fraction;
    for (int32_t k = 0; k < Frames; ++k) {
        MixTapFrame<Interpolation, Format>(Data + (offset - before), fraction, Sinc, Gains, Left[k], Right[k]);
        fraction += Head.IncrementFraction;
        offset += Head.IncrementBytes + (fraction >> MixFractionBits) * Format::Bytes;
        fraction &= MixFractionMask;
    }
    Head.Offset = offset;
    Head.Fraction = fraction;
}
