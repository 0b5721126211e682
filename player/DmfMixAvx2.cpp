// The mixer's AVX2 path: eight output frames of a voice at a time, the
// source words gathered in one instruction. Built for AVX2 here alone and run
// only where the processor has it: the rest of the program keeps to the
// processors it builds for.
#ifndef __clang__  // clang: -ffp-contract=off for the whole build
#pragma GCC optimize("fp-contract=off")
#endif

#include "player/DmfMixKernels.h"

#ifdef MORVEL_MIXER_AVX2

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "player/DmfMixFrame.h"

// Everything from here to the pop is built for AVX2 (not FMA: no product is
// ever fused into a sum). DmfMixFrame.h stays built for every processor: its
// functions inline into the code below, which is private to this file.
#ifdef __clang__
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace {

struct TAvx2Lanes {
    static constexpr int Count = 8;
    typedef float TFloats __attribute__((vector_size(32)));
    typedef int32_t TInts __attribute__((vector_size(32)));
    typedef uint32_t TWords __attribute__((vector_size(32)));
    typedef int16_t TShorts __attribute__((vector_size(16)));
    // The 256-bit unpacks work within each 128-bit half: lanes 0, 1, 4, 5
    // carry output frames 0..3 and lanes 2, 3, 6, 7 frames 4..7.
    static constexpr TWords Order = {0, 1, 4, 5, 2, 3, 6, 7};

    static TInts Words(const uint8_t* Data, TWords Offsets)
    {
        return reinterpret_cast<TInts>(
            _mm256_i32gather_epi32(reinterpret_cast<const int*>(Data), reinterpret_cast<__m256i>(Offsets), 1));
    }

    static TFloats TwiceLow(TFloats V) { return _mm256_unpacklo_ps(V, V); }
    static TFloats TwiceHigh(TFloats V) { return _mm256_unpackhi_ps(V, V); }
};

}  // namespace

#include "player/DmfMixLanes.h"

#ifdef __clang__
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace {

constexpr TMixKernels Kernels = {
    {&MixLanes<TAvx2Lanes, TFrameFormat<false, false>>, &MixLanes<TAvx2Lanes, TFrameFormat<false, true>>,
     &MixLanes<TAvx2Lanes, TFrameFormat<true, false>>, &MixLanes<TAvx2Lanes, TFrameFormat<true, true>>},
    &ConvertLanes<TAvx2Lanes>};

}  // namespace

const TMixKernels& Avx2MixKernels()
{
    return Kernels;
}

#endif  // MORVEL_MIXER_AVX2
