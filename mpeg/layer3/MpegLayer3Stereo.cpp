// Stereo processing of a granule (mid/side and intensity stereo) and the
// reordering of short blocks from window-major to frequency-major order.

#include <algorithm>

#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer3/MpegLayer3.h"

void TLayer3Decoder::ProcessStereo(int Granule)
{
    if (StreamChannels == 1) {
        return;
    }
    const bool joint = Links.Header->Mode == THeader::ModeJointStereo;
    const bool midSide = joint && (Links.Header->ModeExtension & 2) != 0;
    const bool intensity = joint && (Links.Header->ModeExtension & 1) != 0;
    // Each line's two values are read before either is replaced.
    float* left = Spectrum[0];
    float* right = Spectrum[1];
    if (!intensity) {
        // Every line is mid/side or plain stereo: one simple pass.
        if (midSide) {
            for (int line = 0; line < GranuleLines; ++line) {
                const float a = left[line];
                const float b = right[line];
                left[line] = (a + b) * MsFactor;
                right[line] = (a - b) * MsFactor;
            }
        }
        return;
    }
    // Lines get intensity positions only here, with intensity stereo on, so the
    // stream cannot ask for intensity where it is off.
    std::fill(IntensityPosition, IntensityPosition + GranuleLines, NoIntensity);
    FindIntensityPositions(Granule);
    const bool mpeg1 = Links.Header->Version == 1;
    for (int line = 0; line < GranuleLines; ++line) {
        const float a = left[line];
        const float b = right[line];
        if (IntensityPosition[line] == NoIntensity) {
            if (midSide) {
                left[line] = (a + b) * MsFactor;
                right[line] = (a - b) * MsFactor;
            }
        } else if (mpeg1) {
            const float share = a / (1.0f + IntensityRatio[line]);
            right[line] = share;
            left[line] = share * IntensityRatio[line];
        } else {
            left[line] = a * IntensityK[0][line];
            right[line] = a * IntensityK[1][line];
        }
    }
}

// Intensity positions come from channel 1's scale factors in the bands above the
// highest one where channel 1 still carries values; the block kind is channel 0's.
// The MPEG-2 intensity scale is channel 1's too: it is bit 0 of the scalefac_compress
// whose scale factors hold the positions.
void TLayer3Decoder::FindIntensityPositions(int Granule)
{
    const TGranuleInfo& g = SideInfo.Granules[Granule][0];
    const int intensityScale = SideInfo.Granules[Granule][1].ScalefacCompress & 1;
    const TBandTable& bands = BandTables[BandTableIndex];
    const TScaleFactors& s = ScaleFactors[1];
    const float* right = Spectrum[1];
    const bool mpeg1 = Links.Header->Version == 1;
    const TLayer3Math& math = Layer3Math();
    const float* io = math.IntensityFactors[intensityScale];

    // Position 7 means no intensity coding. MPEG-1 positions above it are illegal as
    // well (position 9 would divide by zero) and are treated the same way.
    auto set = [&](int First, int End, int Position) {
        if (Position == NoIntensity || (mpeg1 && Position > NoIntensity)) {
            return;
        }
        Position = std::min(Position, 31);
        float k0 = 1.0f, k1 = 1.0f;
        if (Position % 2 == 1) {
            k0 = io[(Position + 1) / 2];
        } else {
            k1 = io[Position / 2];
        }
        for (int line = First; line < End; ++line) {
            IntensityPosition[line] = static_cast<int8_t>(Position);
            IntensityRatio[line] = mpeg1 ? IntensityRatios[Position] : 0.0f;
            IntensityK[0][line] = k0;
            IntensityK[1][line] = k1;
        }
    };
    auto copyPosition = [&](int First, int End, int From) {
        for (int line = First; line < End; ++line) {
            IntensityPosition[line] = IntensityPosition[From];
            IntensityRatio[line] = IntensityRatio[From];
            IntensityK[0][line] = IntensityK[0][From];
            IntensityK[1][line] = IntensityK[1][From];
        }
    };
    // Intensity in the long bands above the last nonzero line below End, up to LastBand.
    auto longBandsAbove = [&](int End, int LastBand) {
        int line = End - 1;
        while (line >= 0 && right[line] == 0.0f) {
            --line;
        }
        int band = 0;
        while (band < LongBands - 1 && bands.Long[band + 1] <= line) {
            ++band;
        }
        for (band = line < 0 ? 0 : band + 1; band <= LastBand; ++band) {
            set(bands.Long[band], bands.Long[band + 1], s.Long[band]);
        }
    };

    if (!g.Short()) {
        longBandsAbove(GranuleLines, 20);
        // Band 21 has no scale factor and follows band 20.
        copyPosition(bands.Long[21], GranuleLines, bands.Long[20]);
        return;
    }
    const int firstBand = g.Mixed() ? 3 : 0;
    int highestNonzero = firstBand - 1;
    for (int window = 0; window < 3; ++window) {
        int highest = firstBand - 1;
        for (int band = ShortBands - 2; band >= firstBand && highest < firstBand; --band) {
            const int width = bands.Short[band + 1] - bands.Short[band];
            const int start = bands.Short[band] * 3 + window * width;
            for (int line = start; line < start + width; ++line) {
                if (right[line] != 0.0f) {
                    highest = band;
                    break;
                }
            }
            if (highest >= firstBand) {
                break;
            }
        }
        highestNonzero = std::max(highestNonzero, highest);
        for (int band = highest + 1; band < 12; ++band) {
            const int width = bands.Short[band + 1] - bands.Short[band];
            const int start = bands.Short[band] * 3 + window * width;
            set(start, start + width, s.Short[window][band]);
        }
        // Band 12 has no scale factor and follows band 11 of the same window.
        const int width11 = bands.Short[12] - bands.Short[11];
        const int width12 = bands.Short[13] - bands.Short[12];
        const int start12 = bands.Short[12] * 3 + window * width12;
        copyPosition(start12, start12 + width12, bands.Short[11] * 3 + window * width11);
    }
    // The long part joins in only when channel 1 holds no value in any window of the
    // short part.
    if (g.Mixed() && highestNonzero < firstBand) {
        longBandsAbove(bands.Long[MixedLongBands], MixedLongBands - 1);
    }
}

void TLayer3Decoder::Reorder(int Channel, int Granule)
{
    const TGranuleInfo& g = SideInfo.Granules[Granule][Channel];
    if (!g.Short()) {
        return;
    }
    float* lines = Spectrum[Channel];
    float* reordered = HybridOut;  // free until the hybrid filter bank fills it
    const TBandTable& bands = BandTables[BandTableIndex];
    const int firstBand = g.Mixed() ? 3 : 0;
    const int firstLine = bands.Short[firstBand] * 3;
    for (int band = firstBand; band < ShortBands - 1; ++band) {
        const int start = bands.Short[band];
        const int width = bands.Short[band + 1] - start;
        for (int window = 0; window < 3; ++window) {
            for (int f = 0; f < width; ++f) {
                reordered[3 * start + 3 * f + window] = lines[3 * start + window * width + f];
            }
        }
    }
    std::copy(reordered + firstLine, reordered + GranuleLines, lines + firstLine);
}
