// The hybrid filter bank of one channel: antialias butterflies, inverse MDCT with
// overlap-add, frequency inversion and the hand-off to the polyphase synthesis.
// Vector lanes below do each value's own float operations in the scalar order; no
// product may be fused into a sum.
#ifndef __clang__  // clang: -ffp-contract=off for the whole build
#pragma GCC optimize("fp-contract=off")
#endif

#include <algorithm>
#include <cstring>

#include "mpeg/layer3/MpegImdct.h"
#include "mpeg/layer3/MpegLayer3.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"

namespace {

typedef float TFloat4 __attribute__((vector_size(16)));
typedef int32_t TInt4 __attribute__((vector_size(16)));

TFloat4 Load4(const float* At)
{
    TFloat4 value;
    std::memcpy(&value, At, sizeof value);
    return value;
}

void Store4(float* At, TFloat4 Value)
{
    std::memcpy(At, &Value, sizeof Value);
}

TFloat4 Reversed(TFloat4 Value)
{
#ifdef __clang__
    return __builtin_shufflevector(Value, Value, 3, 2, 1, 0);
#else
    return __builtin_shuffle(Value, TInt4{3, 2, 1, 0});
#endif
}

// True when the subband's 18 values are all zero (of either sign).
bool Silent(const float* Values)
{
    TInt4 nonZero = {};
    for (int i = 0; i < 16; i += 4)
        nonZero |= Load4(Values + i) != 0.0f;
    return !(nonZero[0] | nonZero[1] | nonZero[2] | nonZero[3]) && Values[16] == 0.0f && Values[17] == 0.0f;
}

}  // namespace

void TLayer3Decoder::Antialias(int Channel, int Granule)
{
    const TGranuleInfo& g = SideInfo.Granules[Granule][Channel];
    if (g.Short() && !g.Mixed())
        return;
    const TLayer3Math& math = Layer3Math();
    // Mixed blocks: only the boundary between the two long subbands.
    const int boundaries = g.Mixed() ? 1 : 31;
    float* lines = Spectrum[Channel];
    for (int subband = 0; subband < boundaries; ++subband) {
        float* lower = lines + subband * SubbandLines;
        float* upper = lower + SubbandLines;
        // Butterflies i = 0..3, then 4..7: bu = lower[17 - i], bd = upper[i].
        for (int i = 0; i < 8; i += 4) {
            const TFloat4 bu = Reversed(Load4(lower + 14 - i));
            const TFloat4 bd = Load4(upper + i);
            const TFloat4 cs = Load4(math.AntialiasCs + i);
            const TFloat4 ca = Load4(math.AntialiasCa + i);
            Store4(lower + 14 - i, Reversed(bu * cs - bd * ca));
            Store4(upper + i, bd * cs + bu * ca);
        }
    }
}

void TLayer3Decoder::Hybrid(int Channel, int Granule)
{
    const TGranuleInfo& g = SideInfo.Granules[Granule][Channel];
    float* memory = Overlap[Channel];
    float raw[ImdctOutputs];
    for (int subband = 0; subband < 32; ++subband) {
        const int blockType = g.WindowType(subband);
        const int first = subband * SubbandLines;
        // A silent subband (the usual case high up) transforms to zeros.
        const float* in = Spectrum[Channel] + first;
        if (Silent(in))
            std::fill(raw, raw + ImdctOutputs, 0.0f);
        else
            InverseMdct(in, raw, blockType);
        // Odd subbands are spectrally inverted by the polyphase filter bank: their odd
        // time slots are negated (a product with -1, as a scalar would do it).
        const TFloat4 signs = subband % 2 ? TFloat4{1.0f, -1.0f, 1.0f, -1.0f} : TFloat4{1.0f, 1.0f, 1.0f, 1.0f};
        for (int i = 0; i < 16; i += 4)
            Store4(HybridOut + first + i, (Load4(raw + i) + Load4(memory + first + i)) * signs);
        HybridOut[first + 16] = raw[16] + memory[first + 16];
        HybridOut[first + 17] = (raw[17] + memory[first + 17]) * signs[1];
        std::memcpy(memory + first, raw + SubbandLines, SubbandLines * sizeof(float));
    }
}

void TLayer3Decoder::HandOff(int Channel)
{
    TSynthesisFilter* filter = Channel == 1 && Channels == 2 && FilterRight != nullptr ? FilterRight : FilterLeft;
    if (filter == nullptr)
        return;
    // HybridOut holds the 18 time slots of each subband side by side: 18 whole blocks.
    filter->SynthesizeBlocks(HybridOut, SubbandLines, SubbandLines, *Output);
}
