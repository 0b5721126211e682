// The hybrid filter bank of one channel: antialias butterflies, inverse MDCT with
// overlap-add, frequency inversion and the hand-off to the polyphase synthesis.

#include <algorithm>

#include "mpeg/layer3/MpegImdct.h"
#include "mpeg/layer3/MpegLayer3.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"

void TLayer3Decoder::Antialias(int Channel, int Granule)
{
    const TGranuleInfo& g = SideInfo.Granules[Granule][Channel];
    std::copy(Reordered, Reordered + GranuleLines, Antialiased);
    if (g.Short() && !g.Mixed())
        return;
    const TLayer3Math& math = Layer3Math();
    // Mixed blocks: only the boundary between the two long subbands.
    const int boundaries = g.Mixed() ? 1 : 31;
    for (int subband = 0; subband < boundaries; ++subband) {
        float* lower = Antialiased + subband * SubbandLines;
        float* upper = lower + SubbandLines;
        for (int i = 0; i < 8; ++i) {
            const float bu = lower[17 - i];
            const float bd = upper[i];
            lower[17 - i] = bu * math.AntialiasCs[i] - bd * math.AntialiasCa[i];
            upper[i] = bd * math.AntialiasCs[i] + bu * math.AntialiasCa[i];
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
        const float* in = Antialiased + first;
        if (std::all_of(in, in + SubbandLines, [](float Value) { return Value == 0.0f; }))
            std::fill(raw, raw + ImdctOutputs, 0.0f);
        else
            InverseMdct(in, raw, blockType);
        // Odd subbands are spectrally inverted by the polyphase filter bank: their odd
        // time slots are negated.
        const float oddSlotSign = subband % 2 ? -1.0f : 1.0f;
        for (int i = 0; i < SubbandLines; i += 2) {
            HybridOut[first + i] = raw[i] + memory[first + i];
            HybridOut[first + i + 1] = (raw[i + 1] + memory[first + i + 1]) * oddSlotSign;
        }
        for (int i = 0; i < SubbandLines; ++i)
            memory[first + i] = raw[SubbandLines + i];
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
