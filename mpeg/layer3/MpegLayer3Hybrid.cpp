// The hybrid filter bank of one channel: antialias butterflies, inverse MDCT with
// overlap-add, frequency inversion and the hand-off to the polyphase synthesis.
// Vector lanes below do each value's own float operations in the scalar order; no
// product may be fused into a sum.
#include <xmmintrin.h>

#include <algorithm>
#include <cstring>

#include "mpeg/layer3/MpegFloat4.h"
#include "mpeg/layer3/MpegImdct.h"
#include "mpeg/layer3/MpegLayer3.h"
#include "mpeg/synthesis/MpegSynthesisFilter.h"

namespace {

TFloat4 Reversed(TFloat4 Value)
{
#ifdef __clang__
    return __builtin_shufflevector(Value, Value, 3, 2, 1, 0);
#else
    return __builtin_shuffle(Value, TInt4{3, 2, 1, 0});
#endif
}

// Rows of four into columns of four.
void Transpose(TFloat4& A, TFloat4& B, TFloat4& C, TFloat4& D)
{
    __m128 a = A, b = B, c = C, d = D;
    _MM_TRANSPOSE4_PS(a, b, c, d);
    A = a;
    B = b;
    C = c;
    D = d;
}

// True when the subband's 18 values are all zero (of either sign).
bool Silent(const float* Values)
{
    TInt4 nonZero = {};
    for (int i = 0; i < 16; i += 4) {
        nonZero |= Load4(Values + i) != 0.0f;
    }
    return !(nonZero[0] | nonZero[1] | nonZero[2] | nonZero[3]) && Values[16] == 0.0f && Values[17] == 0.0f;
}

}  // namespace

void TLayer3Decoder::Antialias(int Channel, int Granule)
{
    const TGranuleInfo& g = SideInfo.Granules[Granule][Channel];
    if (g.Short() && !g.Mixed()) {
        return;
    }
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
    for (int first = 0; first < 32; first += OverlapLanes) {
        // Four subbands of one block type side by side; a group of a mixed block's
        // long and short windows one subband at a time.
        const int blockType = g.WindowType(first);
        bool together = true;
        for (int subband = first + 1; subband < first + OverlapLanes; ++subband) {
            together = together && g.WindowType(subband) == blockType;
        }
        if (together) {
            HybridFour(Channel, first, blockType);
        } else {
            for (int subband = first; subband < first + OverlapLanes; ++subband) {
                HybridOne(Channel, subband, g.WindowType(subband));
            }
        }
    }
}

void TLayer3Decoder::HybridFour(int Channel, int First, int BlockType)
{
    const float* in = Spectrum[Channel] + First * SubbandLines;
    // A silent subband (the usual case high up) transforms to zeros.
    bool silent[OverlapLanes];
    bool allSilent = true;
    for (int b = 0; b < OverlapLanes; ++b) {
        silent[b] = Silent(in + b * SubbandLines);
        allSilent = allSilent && silent[b];
    }
    alignas(16) float raw[OverlapLanes * ImdctOutputs];
    if (allSilent) {
        std::fill(raw, raw + OverlapLanes * ImdctOutputs, 0.0f);
    } else {
        InverseMdctFour(in, SubbandLines, raw, BlockType);
        for (int b = 0; b < OverlapLanes; ++b) {
            if (silent[b]) {
                for (int i = 0; i < ImdctOutputs; ++i) {
                    raw[OverlapLanes * i + b] = 0.0f;
                }
            }
        }
    }
    // The overlap memory holds the group's slots four subbands side by side, as the
    // transform gives them. Odd subbands are spectrally inverted by the polyphase
    // filter bank: their odd time slots are negated (a product with -1, as a scalar
    // would do it).
    float* memory = Overlap[Channel] + First * SubbandLines;
    float* out = HybridOut + First * SubbandLines;
    const TFloat4 evenSlot = {1.0f, 1.0f, 1.0f, 1.0f};
    const TFloat4 oddSlot = {1.0f, -1.0f, 1.0f, -1.0f};
    auto slot = [&](int I) {
        const TFloat4 value =
            (Load4(raw + OverlapLanes * I) + Load4(memory + OverlapLanes * I)) * (I % 2 ? oddSlot : evenSlot);
        Store4(memory + OverlapLanes * I, Load4(raw + OverlapLanes * (SubbandLines + I)));
        return value;
    };
    // Out to HybridOut subband by subband, four slots at a time.
    for (int i = 0; i < 16; i += 4) {
        TFloat4 a = slot(i), b = slot(i + 1), c = slot(i + 2), d = slot(i + 3);
        Transpose(a, b, c, d);
        Store4(out + i, a);
        Store4(out + SubbandLines + i, b);
        Store4(out + 2 * SubbandLines + i, c);
        Store4(out + 3 * SubbandLines + i, d);
    }
    const TFloat4 sixteen = slot(16), seventeen = slot(17);
    for (int b = 0; b < OverlapLanes; ++b) {
        out[b * SubbandLines + 16] = sixteen[b];
        out[b * SubbandLines + 17] = seventeen[b];
    }
}

void TLayer3Decoder::HybridOne(int Channel, int Subband, int BlockType)
{
    const int first = Subband * SubbandLines;
    const float* in = Spectrum[Channel] + first;
    float raw[ImdctOutputs];
    if (Silent(in)) {
        std::fill(raw, raw + ImdctOutputs, 0.0f);
    } else {
        InverseMdct(in, raw, BlockType);
    }
    // The subband's lane of its group's overlap memory.
    const int group = Subband / OverlapLanes * OverlapLanes;
    float* memory = Overlap[Channel] + group * SubbandLines + Subband % OverlapLanes;
    const float oddSlotSign = Subband % 2 ? -1.0f : 1.0f;
    for (int i = 0; i < SubbandLines; i += 2) {
        HybridOut[first + i] = raw[i] + memory[OverlapLanes * i];
        HybridOut[first + i + 1] = (raw[i + 1] + memory[OverlapLanes * (i + 1)]) * oddSlotSign;
    }
    for (int i = 0; i < SubbandLines; ++i) {
        memory[OverlapLanes * i] = raw[SubbandLines + i];
    }
}

void TLayer3Decoder::HandOff(int Channel)
{
    TSynthesisFilter* filter =
        Channel == 1 && Links.Channels == 2 && Links.FilterRight != nullptr ? Links.FilterRight : Links.FilterLeft;
    if (filter == nullptr) {
        return;
    }
    // HybridOut holds the 18 time slots of each subband side by side: 18 whole blocks.
    filter->SynthesizeBlocks(HybridOut, SubbandLines, SubbandLines, *Links.Output);
}
