// Dequantisation: |value|^(4/3) times the global gain, then the scale factors of
// each long band or short band and window.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "mpeg/layer3/MpegLayer3.h"

namespace {

// 2^(-Index/2), from the table where it reaches; exact scaling by powers of two beyond.
float PowerOfTwoHalf(int Index)
{
    const TLayer3Math& Math = Layer3Math();
    if (Index < 40)
        return Math.PowerOfTwo[Index];
    return std::ldexp(Math.PowerOfTwo[Index & 1], -(Index >> 1));
}

// The scale of long band Band (0..21).
float LongBandFactor(const int* ScaleFactors, int Band, int Preflag, int ScalefacScale)
{
    const int Emphasis = Preflag ? PreEmphasis[Band] : 0;
    return PowerOfTwoHalf((ScaleFactors[Band] + Emphasis) << ScalefacScale);
}

// Scales the lines below End of long bands 0..Count-1 by their scale factors.
void ScaleLongBands(float* Out, int End, int Count, const int* ScaleFactors, int Preflag, int ScalefacScale,
                    const TBandTable& Bands)
{
    for (int Band = 0; Band < Count; ++Band) {
        const float Factor = LongBandFactor(ScaleFactors, Band, Preflag, ScalefacScale);
        const int Stop = std::min<int>(Bands.Long[Band + 1], End);
        for (int Line = Bands.Long[Band]; Line < Stop; ++Line)
            Out[Line] *= Factor;
    }
}

}  // namespace

void TLayer3Decoder::Dequantize(int Channel, int Granule)
{
    const TGranuleInfo& G = SideInfo.Granules[Granule][Channel];
    const TScaleFactors& S = ScaleFactors[Channel];
    const TBandTable& Bands = BandTables[BandTableIndex];
    const TLayer3Math& Math = Layer3Math();
    float* Out = Dequantized[Channel];

    const float Gain = Math.GlobalGain[G.GlobalGain & 255];
    // Lines beyond the decoded values are zero whatever their scale factor.
    const int End = HuffmanFilled;
    std::fill(Out + End, Out + GranuleLines, 0.0f);
    auto Quantized = [&](int Line) {
        const int Value = HuffmanValues[Line];
        const int Magnitude = std::min(Value < 0 ? -Value : Value, TLayer3Math::PowerTableSize - 1);
        // The sign bit set without a branch (signs are unpredictable): the same as
        // negating the power, which is never a non-number.
        const uint32_t Sign = uint32_t(Value < 0) << 31;
        const float Power = std::bit_cast<float>(std::bit_cast<uint32_t>(Math.Power43[Magnitude]) | Sign);
        return Power * Gain;
    };

    if (!G.Short()) {
        // One pass: the band's factor scales each line as it is dequantised.
        for (int Band = 0; Band < LongBands - 1; ++Band) {
            const float Factor = LongBandFactor(S.Long, Band, G.Preflag, G.ScalefacScale);
            const int Stop = std::min<int>(Bands.Long[Band + 1], End);
            for (int Line = Bands.Long[Band]; Line < Stop; ++Line)
                Out[Line] = Quantized(Line) * Factor;
        }
        return;
    }
    for (int Line = 0; Line < End; ++Line)
        Out[Line] = Quantized(Line);
    // Mixed blocks: long bands in subbands 0 and 1, short bands above them.
    int LongEnd = 0;
    if (G.Mixed()) {
        ScaleLongBands(Out, End, MixedLongBands, S.Long, G.Preflag, G.ScalefacScale, Bands);
        LongEnd = Bands.Long[MixedLongBands];
    }
    for (int Band = 0; Band < ShortBands - 1; ++Band) {
        const int Start = Bands.Short[Band] * 3;
        const int Width = Bands.Short[Band + 1] - Bands.Short[Band];
        for (int Window = 0; Window < 3; ++Window) {
            const int Index = 4 * G.SubblockGain[Window] + (S.Short[Window][Band] << G.ScalefacScale);
            const float Factor = PowerOfTwoHalf(Index);
            const int Stop = std::min(Start + (Window + 1) * Width, End);
            for (int Line = std::max(Start + Window * Width, LongEnd); Line < Stop; ++Line)
                Out[Line] *= Factor;
        }
    }
}
