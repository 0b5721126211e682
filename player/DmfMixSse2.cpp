// The mixer's SSE2 path: four output frames of a voice at a time.
#ifndef __clang__  // clang: -ffp-contract=off for the whole build
#pragma GCC optimize("fp-contract=off")
#endif

#include "player/DmfMixKernels.h"

#ifdef MORVEL_MIXER_SSE2

#include <cstdint>
#include <cstring>

#include "player/DmfMixFrame.h"

namespace {

struct TSse2Lanes {
    static constexpr int Count = 4;
    typedef float TFloats __attribute__((vector_size(16)));
    typedef int32_t TInts __attribute__((vector_size(16)));
    typedef uint32_t TWords __attribute__((vector_size(16)));
    typedef int16_t TShorts __attribute__((vector_size(8)));
    static constexpr TWords Order = {0, 1, 2, 3};

    // No gather below AVX2: four loads.
    static TInts Words(const uint8_t* Data, TWords Offsets)
    {
        TInts words;
        for (int i = 0; i < Count; ++i) {
            int32_t word;
            std::memcpy(&word, Data + Offsets[i], sizeof word);
            words[i] = word;
        }
        return words;
    }

    static TFloats TwiceLow(TFloats V) { return Shuffle<0, 0, 1, 1>(V); }
    static TFloats TwiceHigh(TFloats V) { return Shuffle<2, 2, 3, 3>(V); }

    // Lanes I0..I3 of V (GCC and clang spell a constant shuffle differently).
    template <int I0, int I1, int I2, int I3> static TFloats Shuffle(TFloats V)
    {
#ifdef __clang__
        return __builtin_shufflevector(V, V, I0, I1, I2, I3);
#else
        return __builtin_shuffle(V, TInts{I0, I1, I2, I3});
#endif
    }
};

}  // namespace

#include "player/DmfMixLanes.h"

namespace {

constexpr TMixKernels Kernels = {
    {&MixLanes<TSse2Lanes, TFrameFormat<false, false>>, &MixLanes<TSse2Lanes, TFrameFormat<false, true>>,
     &MixLanes<TSse2Lanes, TFrameFormat<true, false>>, &MixLanes<TSse2Lanes, TFrameFormat<true, true>>},
    &ConvertLanes<TSse2Lanes>};

}  // namespace

const TMixKernels& Sse2MixKernels()
{
    return Kernels;
}

#endif  // MORVEL_MIXER_SSE2
