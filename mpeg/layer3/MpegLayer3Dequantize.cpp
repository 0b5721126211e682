// Dequantisation: |value|^(4/3) times the global gain, then the scale factors of
// each long band or short band and window. Lines go side by side, each through
// its own float operations in the scalar order; no product may be fused into a
// sum.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "mpeg/layer3/MpegDequantizeLines.h"
#include "mpeg/layer3/MpegFloat4.h"
#include "mpeg/layer3/MpegLayer3.h"

namespace {

// 2^(-Index/2), from the table where it reaches; exact scaling by powers of two beyond.
float PowerOfTwoHalf(int Index)
{
    const TLayer3Math& math = Layer3Math();
    if (Index < 40) {
        return math.PowerOfTwo[Index];
    }
    return std::ldexp(math.PowerOfTwo[Index & 1], -(Index >> 1));
}

// The scale of long band Band (0..21).
float LongBandFactor(const int* ScaleFactors, int Band, int Preflag, int ScalefacScale)
{
    const int emphasis = Preflag ? PreEmphasis[Band] : 0;
    return PowerOfTwoHalf((ScaleFactors[Band] + emphasis) << ScalefacScale);
}

// Scales the lines below End of long bands 0..Count-1 by their scale factors.
void ScaleLongBands(float* Out, int End, int Count, const int* ScaleFactors, int Preflag, int ScalefacScale,
                    const TBandTable& Bands)
{
    for (int band = 0; band < Count; ++band) {
        const float factor = LongBandFactor(ScaleFactors, band, Preflag, ScalefacScale);
        const int stop = std::min<int>(Bands.Long[band + 1], End);
        for (int line = Bands.Long[band]; line < stop; ++line) {
            Out[line] *= factor;
        }
    }
}

}  // namespace

void TLayer3Decoder::Dequantize(int Channel, int Granule)
{
    const TGranuleInfo& g = SideInfo.Granules[Granule][Channel];
    const TScaleFactors& s = ScaleFactors[Channel];
    const TBandTable& bands = BandTables[BandTableIndex];
    const TLayer3Math& math = Layer3Math();
    float* out = Spectrum[Channel];

    const float gain = math.GlobalGain[g.GlobalGain & 255];
    // Lines beyond the decoded values are zero whatever their scale factor.
    const int end = HuffmanFilled;
    std::fill(out + end, out + GranuleLines, 0.0f);

    if (!g.Short()) {
        // Each line's band factor first, so that one pass takes the lines four at a
        // time across band boundaries; each line is still scaled as it is dequantised.
        // A band's factor is stored four lines at a time, the last four reaching into
        // the next band, which then overwrites them.
        alignas(16) float factors[GranuleLines + 3];
        for (int band = 0; band < LongBands - 1 && bands.Long[band] < end; ++band) {
            const float factor = LongBandFactor(s.Long, band, g.Preflag, g.ScalefacScale);
            const TFloat4 factor4 = {factor, factor, factor, factor};
            const int stop = std::min<int>(bands.Long[band + 1], end);
            for (int line = bands.Long[band]; line < stop; line += 4) {
                Store4(factors + line, factor4);
            }
        }
        DequantizeLines(HuffmanValues, gain, factors, 0, end, out);
        return;
    }
    DequantizeLines(HuffmanValues, gain, nullptr, 0, end, out);
    // Mixed blocks: long bands in subbands 0 and 1, short bands above them.
    int longEnd = 0;
    if (g.Mixed()) {
        ScaleLongBands(out, end, MixedLongBands, s.Long, g.Preflag, g.ScalefacScale, bands);
        longEnd = bands.Long[MixedLongBands];
    }
    for (int band = 0; band < ShortBands - 1; ++band) {
        const int start = bands.Short[band] * 3;
        const int width = bands.Short[band + 1] - bands.Short[band];
        for (int window = 0; window < 3; ++window) {
            const int index = 4 * g.SubblockGain[window] + (s.Short[window][band] << g.ScalefacScale);
            const float factor = PowerOfTwoHalf(index);
            const int stop = std::min(start + (window + 1) * width, end);
            for (int line = std::max(start + window * width, longEnd); line < stop; ++line) {
                out[line] *= factor;
            }
        }
    }
}
