#pragma once
// The arithmetic of one output frame of a voice, written out plainly: the
// mixer's kernels on the plain code path run it frame by frame, and those of
// every wider path do the same operations in the same order in each lane of
// their vectors, so that all paths give the same bits. All sums and products are single-precision
// floats, each rounded on its own (no fused multiply-add, no reassociation),
// and the interpolation weight is always exact (a multiple of 1/65536 below 1).
//
// The header holds no code a processor might lack: a path built for wider
// registers includes it before switching its own code to them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Gain 0..254 in units of 1/255, held in single precision.
inline constexpr float MixGainScale = 0.003921568859f;
// Interpolation weights are 16-bit fractions of a frame.
inline constexpr float MixWeightScale = 1.0f / 65536.0f;
inline constexpr int MixFractionBits = 16;
inline constexpr uint32_t MixFractionMask = 0xFFFF;
// Rounding of the accumulators to integers: adding and taking away 1.5 x 2^23
// leaves a value rounded to an integer in the default rounding mode (to
// nearest, halves to even); exact below 2^22, which 32 voices at full gain
// stay under. Larger values (only from out-of-range gains) are held there
// first; they saturate all the same.
inline constexpr float MixRoundingBias = 12582912.0f;  // 1.5 x 2^23
inline constexpr float MixRoundingRange = 4194304.0f;  // 2^22
// The rounded accumulators that give a 16-bit sample once shifted right by 2.
inline constexpr float MixOutputLow = -131072.0f;
inline constexpr float MixOutputHigh = 131071.0f;

// A tick's accumulators: the left outputs' from the first 64-byte boundary
// of the mixer's buffer on, the right outputs' a multiple of 16 floats
// further, room for the longest tick at the song's rate (TDmf's MixRight). A
// buffer of twice that and 16 floats more holds both.
inline float* MixLeftOf(float* Buffer)
{
    return Buffer + ((0 - reinterpret_cast<uintptr_t>(Buffer)) / sizeof(float) & 15);
}

struct TSincKernel;

// Where a voice plays and how fast it moves, in bytes and 1/65536 frames.
// Its increment is how far it moves on the sample for each output frame:
// the voice's frequency over the output rate.
struct TPlayHead {
    int64_t Offset;              // byte offset of the current frame from the voice's Data
    uint32_t Fraction;           // position between this frame and the next, 0..65535
    uint32_t IncrementBytes;     // the increment's whole frames, in bytes
    uint32_t IncrementFraction;  // the increment's fraction of a frame
    uint64_t Increment;          // the whole increment in 16.16 frames
};

// The four PCM frame formats. PCM and processor are both little-endian.
template <bool Is16Bit, bool IsStereo> struct TFrameFormat {
    static constexpr bool Sixteen = Is16Bit;
    static constexpr bool Stereo = IsStereo;
    static constexpr int Bytes = (Is16Bit ? 2 : 1) * (IsStereo ? 2 : 1);
    static constexpr int BytesShift = Bytes == 4 ? 2 : Bytes == 2 ? 1 : 0;
    // Bytes read from a frame's offset on: the frame and the next one, which
    // the wider paths load as 32-bit words.
    static constexpr int ReadBytes = 2 * Bytes < 4 ? 4 : 2 * Bytes;
    // The format's place in a table of the four.
    static constexpr int Index = (Is16Bit ? 2 : 0) + (IsStereo ? 1 : 0);

    // Channel Channel (0 left or only, 1 right) of the frame at Frame as a
    // 16-bit scale value: an 8-bit value counts 256 times as much.
    static float Value(const uint8_t* Frame, int Channel)
    {
        if constexpr (Is16Bit) {
            int16_t value;
            std::memcpy(&value, Frame + 2 * Channel, sizeof value);
            return static_cast<float>(value);
        } else {
            return static_cast<float>(static_cast<int8_t>(Frame[Channel]) * 256);
        }
    }
};

// Lane i of Numbers holds i: the frame of a group a vector's lane mixes.
template <class TWords> inline void LaneNumbers(TWords& Numbers)
{
    for (uint32_t i = 0; i < sizeof(TWords) / sizeof(Numbers[0]); ++i) {
        Numbers[i] = i;
    }
}

// Moves the play head on by one output frame: one increment.
template <class Format> inline void Advance(TPlayHead& Head)
{
    Head.Fraction += Head.IncrementFraction;
    Head.Offset += Head.IncrementBytes + (Head.Fraction >> MixFractionBits) * Format::Bytes;
    Head.Fraction &= MixFractionMask;
}

// Moves the play head on by Frames output frames at once: the same place as
// Frames single advances (the whole increments and the carries of the
// fractions add up to the 16.16 total). At most 110,250 frames of an
// increment below 2^32.
template <class Format> inline void AdvanceBy(TPlayHead& Head, int32_t Frames)
{
    const uint64_t total = Head.Fraction + static_cast<uint64_t>(Frames) * Head.Increment;
    Head.Offset += static_cast<int64_t>(total >> MixFractionBits) * Format::Bytes;
    Head.Fraction = static_cast<uint32_t>(total & MixFractionMask);
}

// How many output frames, at most Limit, start at or before byte offset Last.
template <class Format> int32_t FramesUpTo(const TPlayHead& Head, int64_t Last, int32_t Limit)
{
    if (Head.Increment == 0) {
        return Limit;
    }
    // Frame n reads at Offset + Bytes * ((Fraction + n * Increment) >> 16); it
    // stays at or before Last while Fraction + n * Increment < (WholeFrames + 1) << 16.
    const uint64_t wholeFrames = static_cast<uint64_t>(Last - Head.Offset) >> Format::BytesShift;
    const uint64_t room = ((wholeFrames + 1) << MixFractionBits) - Head.Fraction;
    if (room <= Head.Increment) {
        return 1;  // an increment past a short loop: no division on every frame
    }
    const uint64_t frames = (room + Head.Increment - 1) / Head.Increment;
    return static_cast<int32_t>(std::min<uint64_t>(frames, static_cast<uint64_t>(Limit)));
}

// A play head inside a loop that it passes in a few output frames: each
// advance wraps as the walk's (DmfMixer.cpp) would, so the head can go on
// across its wraps without ending a stretch at each. The walk goes back by
// whole loop lengths to the one offset in LoopStart + 1..End that an
// increment's move reaches modulo the loop's length; the same offset comes
// from the move itself reduced to 1..Length (0 stays 0) and at most one loop
// length back.
struct TLoopedHead {
    uint32_t Offset;             // LoopStart..End
    uint32_t Fraction;           // 0..65535
    uint32_t IncrementFraction;  // the increment's fraction of a frame
    uint32_t End;                // the loop's end offset
    uint32_t Length;             // End - LoopStart, at least 1
    uint32_t Moves[2];           // an increment's move in bytes, reduced: without and with a carry of the fraction

    TLoopedHead(uint32_t Offset, uint32_t Fraction, uint32_t IncrementBytes, uint32_t IncrementFraction, uint32_t End,
                uint32_t Length, uint32_t FrameBytes)
        : Offset(Offset),
          Fraction(Fraction),
          IncrementFraction(IncrementFraction),
          End(End),
          Length(Length),
          Moves{Reduced(IncrementBytes), Reduced(IncrementBytes + FrameBytes)}
    {
    }

    // Moves the head on by one output frame: one increment.
    void Advance()
    {
        Fraction += IncrementFraction;
        Offset += Moves[Fraction >> MixFractionBits];
        Fraction &= MixFractionMask;
        Offset -= Offset > End ? Length : 0;
    }

    // What Increments increments, Carries of which carry a fraction, add to
    // the head's place in the loop (its offset less the first one after
    // LoopStart), 0..Length-1: the place goes round the loop, so only the
    // moves' sum modulo the length counts.
    uint32_t MoveOf(uint32_t Increments, uint32_t Carries) const
    {
        const uint64_t move = uint64_t{Increments - Carries} * Moves[0] + uint64_t{Carries} * Moves[1];
        return static_cast<uint32_t>(move % Length);
    }

private:
    uint32_t Reduced(uint32_t Move) const { return Move == 0 ? 0 : (Move - 1) % Length + 1; }
};

// Adds one output frame: the frame at Frame and the next one, weighted by
// Fraction / 65536, times the voice's gains, into the frame's left and right
// accumulators. Gains: mono {left, right}, stereo {left to left, left to
// right, right to left, right to right}. A x (1 - W) + B x W, then left +=
// v x gain, right += v x gain; a stereo frame's left channel before its right.
template <class Format>
inline void MixFrame(const uint8_t* Frame, uint32_t Fraction, const float* Gains, float& Left, float& Right)
{
    const float w = static_cast<float>(Fraction) * MixWeightScale;
    const float keep = 1.0f - w;
    const uint8_t* next = Frame + Format::Bytes;
    const float left = Format::Value(Frame, 0) * keep + Format::Value(next, 0) * w;
    Left += left * Gains[0];
    Right += left * Gains[1];
    if constexpr (Format::Stereo) {
        const float right = Format::Value(Frame, 1) * keep + Format::Value(next, 1) * w;
        Left += right * Gains[2];
        Right += right * Gains[3];
    }
}

// Mixes Frames frames one by one into Left[0..Frames-1] and Right[...], all
// of whose two source frames lie inside the sample's allocation (the offsets
// fit 32 bits there). (Linear has no sinc kernel.)
template <class Format>
inline void MixFrames(const uint8_t* Data, int32_t /*DataLength*/, TPlayHead& Head, const float* Gains, float* Left,
                      float* Right, int32_t Frames, const TSincKernel* /*Sinc*/ = nullptr)
{
    uint32_t offset = static_cast<uint32_t>(Head.Offset);
    uint32_t fraction = Head.Fraction;
    for (int32_t k = 0; k < Frames; ++k) {
        MixFrame<Format>(Data + offset, fraction, Gains, Left[k], Right[k]);
        fraction += Head.IncrementFraction;
        offset += Head.IncrementBytes + (fraction >> MixFractionBits) * Format::Bytes;
        fraction &= MixFractionMask;
    }
    Head.Offset = offset;
    Head.Fraction = fraction;
}

// Mixes Frames frames one by one into Left[0..Frames-1] and Right[...] from
// a head inside a loop whose every frame and the next one lie inside the
// sample's allocation.
template <class Format>
inline void MixLoopedFrames(const uint8_t* Data, TLoopedHead& Head, const float* Gains, float* Left, float* Right,
                            int32_t Frames)
{
    for (int32_t k = 0; k < Frames; ++k) {
        MixFrame<Format>(Data + Head.Offset, Head.Fraction, Gains, Left[k], Right[k]);
        Head.Advance();
    }
}

// An accumulator rounded to an integer (see MixRoundingBias), as the tests
// read the rounded accumulators.
inline float MixRounded(float Sum)
{
    Sum = Sum < -MixRoundingRange ? -MixRoundingRange : Sum;
    Sum = Sum > MixRoundingRange ? MixRoundingRange : Sum;
    return (Sum + MixRoundingBias) - MixRoundingBias;
}

// An accumulator as a 16-bit sample: rounded, held to the 16-bit range
// before the shift by 2 (toward minus infinity). Holding a sum within 2^22
// first, as MixRounded does, would change no sample: a rounding outside
// that range stays outside the 16-bit one (checked for every finite float).
inline int32_t MixSample(float Sum)
{
    float rounded = (Sum + MixRoundingBias) - MixRoundingBias;
    rounded = rounded < MixOutputLow ? MixOutputLow : rounded;
    rounded = rounded > MixOutputHigh ? MixOutputHigh : rounded;
    return static_cast<int32_t>(rounded) >> 2;
}

// Frames output frames as 16-bit little-endian PCM, left and right.
inline void ConvertFrames(const float* Left, const float* Right, uint8_t* Pcm, int32_t Frames)
{
    for (int32_t k = 0; k < Frames; ++k) {
        const int32_t left = MixSample(Left[k]);
        const int32_t right = MixSample(Right[k]);
        Pcm[4 * k] = static_cast<uint8_t>(left & 0xFF);
        Pcm[4 * k + 1] = static_cast<uint8_t>((left >> 8) & 0xFF);
        Pcm[4 * k + 2] = static_cast<uint8_t>(right & 0xFF);
        Pcm[4 * k + 3] = static_cast<uint8_t>((right >> 8) & 0xFF);
    }
}
