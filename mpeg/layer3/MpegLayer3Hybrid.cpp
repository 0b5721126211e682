// The hybrid filter bank of one channel: antialias butterflies, inverse MDCT with
// overlap-add, frequency inversion and the hand-off to the polyphase synthesis.

#include <algorithm>

#include "mpeg/layer3/MpegImdct.h"
#include "mpeg/layer3/MpegLayer3.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"

void TLayer3Decoder::Antialias(int Channel, int Granule)
{
    const TGranuleInfo& G = SideInfo.Granules[Granule][Channel];
    std::copy(Reordered, Reordered + GranuleLines, Antialiased);
    if (G.Short() && !G.Mixed())
        return;
    const TLayer3Math& Math = Layer3Math();
    // Mixed blocks: only the boundary between the two long subbands.
    const int Boundaries = G.Mixed() ? 1 : 31;
    for (int Subband = 0; Subband < Boundaries; ++Subband) {
        float* Lower = Antialiased + Subband * SubbandLines;
        float* Upper = Lower + SubbandLines;
        for (int i = 0; i < 8; ++i) {
            const float Bu = Lower[17 - i];
            const float Bd = Upper[i];
            Lower[17 - i] = Bu * Math.AntialiasCs[i] - Bd * Math.AntialiasCa[i];
            Upper[i] = Bd * Math.AntialiasCs[i] + Bu * Math.AntialiasCa[i];
        }
    }
}

void TLayer3Decoder::Hybrid(int Channel, int Granule)
{
    const TGranuleInfo& G = SideInfo.Granules[Granule][Channel];
    float* Memory = Overlap[Channel];
    float Raw[ImdctOutputs];
    for (int Subband = 0; Subband < 32; ++Subband) {
        const int BlockType = G.WindowType(Subband);
        const int First = Subband * SubbandLines;
        // A silent subband (the usual case high up) transforms to zeros.
        const float* In = Antialiased + First;
        if (std::all_of(In, In + SubbandLines, [](float Value) { return Value == 0.0f; }))
            std::fill(Raw, Raw + ImdctOutputs, 0.0f);
        else
            InverseMdct(In, Raw, BlockType);
        // Odd subbands are spectrally inverted by the polyphase filter bank: their odd
        // time slots are negated.
        const float OddSlotSign = Subband % 2 ? -1.0f : 1.0f;
        for (int i = 0; i < SubbandLines; i += 2) {
            HybridOut[First + i] = Raw[i] + Memory[First + i];
            HybridOut[First + i + 1] = (Raw[i + 1] + Memory[First + i + 1]) * OddSlotSign;
        }
        for (int i = 0; i < SubbandLines; ++i)
            Memory[First + i] = Raw[SubbandLines + i];
    }
}

void TLayer3Decoder::HandOff(int Channel)
{
    TSynthesisFilter* Filter = Channel == 1 && Channels == 2 && FilterRight != nullptr ? FilterRight : FilterLeft;
    if (Filter == nullptr)
        return;
    for (int Slot = 0; Slot < SubbandLines; ++Slot) {
        for (int Subband = 0; Subband < 32; ++Subband)
            Filter->InputSample(HybridOut[Subband * SubbandLines + Slot], Subband);
        Filter->CalculatePcmSamples(*Output);
    }
}
