#pragma once
// A voice's frames under the sinc, eight output frames at a time: each
// frame's taps a chunk of eight at a time, one tap per lane of a vector (its
// weight Base + Slope x between, times the tap's value, added to the lane's
// sum chunk after chunk), then the eight frames' lane sums folded pairwise
// into one vector holding a frame's value in each lane, whose gains are then
// added as every interpolation's are. Each lane and each fold does exactly
// the operations of DmfMixTaps.h's SincValue in the same order, so every
// path gives the plain path's bits. (An 8-bit value counts 256 times: its
// frames are weighed and summed as they lie and the sum taken 256 times,
// which rounds every product and sum exactly as the values taken 256 times
// would: a power of two scales a float's rounding with it.)
//
// The vectors are the compiler's own 8-wide ones, which each path builds for
// its registers (one AVX2 register, two SSE2 ones); like DmfMixLanes.h a
// path includes this header after it has switched its code to them, and the
// templates take the path's lane set only to keep its build its own.

#include <cstdint>
#include <cstring>

#include "player/DmfMixFrame.h"
#include "player/DmfMixTaps.h"
#include "player/DmfSincKernels.h"

// The values of the 8 frames from Taps on, one per lane: Left (or only) and a
// stereo frame's Right, as TFrameFormat::Value reads them, an 8-bit value as
// it lies (see above). The lane set widens 8 signed bytes or 16-bit values to
// 32 bits (Widen8, Widen16); a stereo pair is cut from its 32-bit word
// (16-bit) or the 16-bit one widened (8-bit) by shifts, which keep the sign.
template <class Lanes, class Format> inline void TapColumns(const uint8_t* Taps, TTapFloats& Left, TTapFloats& Right)
{
    TTapInts words;
    if constexpr (Format::Sixteen && Format::Stereo) {
        std::memcpy(&words, Taps, sizeof words);
        Left = __builtin_convertvector((words << 16) >> 16, TTapFloats);
        Right = __builtin_convertvector(words >> 16, TTapFloats);
    } else if constexpr (Format::Sixteen) {
        Lanes::Widen16(Taps, words);
        Left = __builtin_convertvector(words, TTapFloats);
    } else if constexpr (Format::Stereo) {
        Lanes::Widen16(Taps, words);
        Left = __builtin_convertvector((words << 24) >> 24, TTapFloats);
        Right = __builtin_convertvector(words >> 8, TTapFloats);
    } else {
        Lanes::Widen8(Taps, words);
        Left = __builtin_convertvector(words, TTapFloats);
    }
}

// Adds one frame's chunk Chunk to its lane sums: the weights from Row at
// Between times the values from Taps on.
template <class Lanes, class Format>
inline void AddSincChunk(const uint8_t* Taps, const float* Row, const TTapFloats& Between, int32_t Chunk,
                         TTapFloats& Left, TTapFloats& Right)
{
    TTapFloats base, slope, left, right;
    std::memcpy(&base, Row + 2 * SincChunkTaps * Chunk, sizeof base);
    std::memcpy(&slope, Row + 2 * SincChunkTaps * Chunk + SincChunkTaps, sizeof slope);
    const TTapFloats tap = base + slope * Between;
    TapColumns<Lanes, Format>(Taps + SincChunkTaps * Format::Bytes * Chunk, left, right);
    if (Chunk == 0) {
        Left = left * tap;
    } else {
        Left += left * tap;
    }
    if constexpr (Format::Stereo) {
        if (Chunk == 0) {
            Right = right * tap;
        } else {
            Right += right * tap;
        }
    }
}

// Lanes 2i and 2i + 1 of each half of A, then of B, added: a step of a
// fold. (Vectors wider than a path's registers go by reference.)
template <class Lanes> inline void AddPairs(const TTapFloats& A, const TTapFloats& B, TTapFloats& Sums)
{
    Sums = __builtin_shufflevector(A, B, 0, 2, 8, 10, 4, 6, 12, 14) +
           __builtin_shufflevector(A, B, 1, 3, 9, 11, 5, 7, 13, 15);
}

// Eight frames' lane sums folded as SincSum folds one frame's: frame f's
// value in lane f of Values.
template <class Lanes> inline void FoldSums(const TTapFloats* Sums, TTapFloats& Values)
{
    TTapFloats pairs[4], low, high;
    for (int i = 0; i < 4; ++i) {
        AddPairs<Lanes>(Sums[2 * i], Sums[2 * i + 1], pairs[i]);
    }
    // Frame f's sum of lanes 0..3 in lane f % 4 of low (f < 4) or high, and of lanes 4..7 four lanes on.
    AddPairs<Lanes>(pairs[0], pairs[1], low);
    AddPairs<Lanes>(pairs[2], pairs[3], high);
    Values = __builtin_shufflevector(low, high, 0, 1, 2, 3, 8, 9, 10, 11) +
             __builtin_shufflevector(low, high, 4, 5, 6, 7, 12, 13, 14, 15);
}

// Mixes Groups groups of 8 frames under the sinc of Kernel from Head on
// (Head itself is not moved), whose taps all lie inside the sample's
// allocation and read straight; FixedChunks the kernel's chunks when the
// build knows them (1, 2), else 0.
template <class Lanes, class Format, int FixedChunks>
void MixSincGroups(const uint8_t* Data, const TPlayHead& Head, const TSincKernel& Kernel, const float* Gains,
                   float* Left, float* Right, int32_t Groups)
{
    const int32_t chunks = FixedChunks > 0 ? FixedChunks : Kernel.Chunks;
    const float* rows = Kernel.Rows;
    const uint32_t phaseShift = static_cast<uint32_t>(Kernel.PhaseShift);
    const uint32_t betweenMask = Kernel.BetweenMask;
    const uint32_t rowFloats = static_cast<uint32_t>(SincRowFloats(Kernel));
    const uint32_t before = static_cast<uint32_t>(Kernel.Taps / 2 - 1) * Format::Bytes;
    // An 8-bit value's 256 (see above), taken with the gains.
    const float scale = Format::Sixteen ? 1.0f : 256.0f;
    TTapFloats toLeft, toRight, rightToLeft, rightToRight;
    for (int i = 0; i < SincChunkTaps; ++i) {
        toLeft[i] = Gains[0];
        toRight[i] = Gains[1];
        rightToLeft[i] = Gains[2];
        rightToRight[i] = Gains[3];
    }
    // The increment in locals: the stores to the accumulators could otherwise be Head's.
    const uint32_t incrementBytes = Head.IncrementBytes;
    const uint32_t incrementFraction = Head.IncrementFraction;
    // Frame f of a group lies f whole increments and the carries of their f
    // fractions from the group's first frame.
    TTapWords lane;
    LaneNumbers(lane);
    const TTapWords laneFractions = lane * incrementFraction;
    const TTapWords laneBytes = lane * incrementBytes;
    uint32_t offset = static_cast<uint32_t>(Head.Offset) - before;
    uint32_t fraction = Head.Fraction;
    for (int32_t g = 0; g < Groups; ++g, Left += SincChunkTaps, Right += SincChunkTaps) {
        // Each frame's first tap, row of weights and place between phases.
        const TTapWords fractions = fraction + laneFractions;
        const TTapWords heads = fractions & MixFractionMask;
        const TTapWords firsts = (offset + laneBytes) + ((fractions >> MixFractionBits) << Format::BytesShift);
        const TTapWords phases = (heads >> phaseShift) * rowFloats;
        const TTapFloats betweens =
            __builtin_convertvector(reinterpret_cast<TTapInts>(heads & betweenMask), TTapFloats);
        TTapFloats lefts[SincChunkTaps], rights[SincChunkTaps];
#pragma GCC unroll 8
        for (int f = 0; f < SincChunkTaps; ++f) {
            const uint8_t* taps = Data + firsts[f];
            const float* row = rows + phases[f];
            TTapFloats at;
            Lanes::Spread(betweens, f, at);
            AddSincChunk<Lanes, Format>(taps, row, at, 0, lefts[f], rights[f]);
            for (int32_t chunk = 1; chunk < chunks; ++chunk) {
                AddSincChunk<Lanes, Format>(taps, row, at, chunk, lefts[f], rights[f]);
            }
        }
        TTapFloats left, right;
        FoldSums<Lanes>(lefts, left);
        TTapFloats leftSums, rightSums;
        std::memcpy(&leftSums, Left, sizeof leftSums);
        std::memcpy(&rightSums, Right, sizeof rightSums);
        if constexpr (!Format::Sixteen) {
            left *= scale;
        }
        leftSums += left * toLeft;
        rightSums += left * toRight;
        if constexpr (Format::Stereo) {
            FoldSums<Lanes>(rights, right);
            if constexpr (!Format::Sixteen) {
                right *= scale;
            }
            leftSums += right * rightToLeft;
            rightSums += right * rightToRight;
        }
        std::memcpy(Left, &leftSums, sizeof leftSums);
        std::memcpy(Right, &rightSums, sizeof rightSums);
        fraction += SincChunkTaps * incrementFraction;
        offset += SincChunkTaps * incrementBytes + ((fraction >> MixFractionBits) << Format::BytesShift);
        fraction &= MixFractionMask;
    }
}

// Mixes Frames frames under the sinc of kernel Sinc from Head on, whose taps
// all lie inside the sample's allocation and read straight, eight at a time
// and the rest one by one, and moves Head past them.
template <class Lanes, class Format>
void MixSincLanes(const uint8_t* Data, int32_t DataLength, TPlayHead& Head, const float* Gains, float* Left,
                  float* Right, int32_t Frames, const TSincKernel* Sinc)
{
    const int32_t groups = Frames / SincChunkTaps;
    if (groups > 0) {
        switch (Sinc->Chunks) {
        case 1:
            MixSincGroups<Lanes, Format, 1>(Data, Head, *Sinc, Gains, Left, Right, groups);
            break;
        case 2:
            MixSincGroups<Lanes, Format, 2>(Data, Head, *Sinc, Gains, Left, Right, groups);
            break;
        default:
            MixSincGroups<Lanes, Format, 0>(Data, Head, *Sinc, Gains, Left, Right, groups);
            break;
        }
        AdvanceBy<Format>(Head, groups * SincChunkTaps);
    }
    const int32_t mixed = groups * SincChunkTaps;
    MixTapFrames<TInterpolation::Sinc, Format>(Data, DataLength, Head, Gains, Left + mixed, Right + mixed,
                                               Frames - mixed, Sinc);
}
