// Stereo processing of a granule (mid/side and intensity stereo) and the
// reordering of short blocks from window-major to frequency-major order.

#include <algorithm>

#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer3/MpegLayer3.h"

void TLayer3Decoder::ProcessStereo(int Granule)
{
    if (StreamChannels == 1) {
        std::copy(Dequantized[0], Dequantized[0] + GranuleLines, StereoValues[0]);
        return;
    }
    const bool Joint = Header->Mode == THeader::ModeJointStereo;
    const bool MidSide = Joint && (Header->ModeExtension & 2) != 0;
    const bool Intensity = Joint && (Header->ModeExtension & 1) != 0;
    if (!Intensity) {
        // Every line is mid/side or plain stereo: one simple pass.
        for (int Line = 0; Line < GranuleLines; ++Line) {
            const float A = Dequantized[0][Line];
            const float B = Dequantized[1][Line];
            StereoValues[0][Line] = MidSide ? (A + B) * MsFactor : A;
            StereoValues[1][Line] = MidSide ? (A - B) * MsFactor : B;
        }
        return;
    }
    // Lines get intensity positions only here, with intensity stereo on, so the
    // stream cannot ask for intensity where it is off.
    std::fill(IntensityPosition, IntensityPosition + GranuleLines, NoIntensity);
    FindIntensityPositions(Granule);
    const bool Mpeg1 = Header->Version == 1;
    for (int Line = 0; Line < GranuleLines; ++Line) {
        const float A = Dequantized[0][Line];
        const float B = Dequantized[1][Line];
        if (IntensityPosition[Line] == NoIntensity) {
            if (MidSide) {
                StereoValues[0][Line] = (A + B) * MsFactor;
                StereoValues[1][Line] = (A - B) * MsFactor;
            } else {
                StereoValues[0][Line] = A;
                StereoValues[1][Line] = B;
            }
        } else if (Mpeg1) {
            const float Right = A / (1.0f + IntensityRatio[Line]);
            StereoValues[1][Line] = Right;
            StereoValues[0][Line] = Right * IntensityRatio[Line];
        } else {
            StereoValues[0][Line] = A * IntensityK[0][Line];
            StereoValues[1][Line] = A * IntensityK[1][Line];
        }
    }
}

// Intensity positions come from channel 1's scale factors in the bands above the
// highest one where channel 1 still carries values; the block kind is channel 0's.
// The MPEG-2 intensity scale is channel 1's too: it is bit 0 of the scalefac_compress
// whose scale factors hold the positions.
void TLayer3Decoder::FindIntensityPositions(int Granule)
{
    const TGranuleInfo& G = SideInfo.Granules[Granule][0];
    const int IntensityScale = SideInfo.Granules[Granule][1].ScalefacCompress & 1;
    const TBandTable& Bands = BandTables[BandTableIndex];
    const TScaleFactors& S = ScaleFactors[1];
    const float* Right = Dequantized[1];
    const bool Mpeg1 = Header->Version == 1;
    const TLayer3Math& Math = Layer3Math();
    const float* Io = Math.IntensityFactors[IntensityScale];

    // Position 7 means no intensity coding. MPEG-1 positions above it are illegal as
    // well (position 9 would divide by zero) and are treated the same way.
    auto Set = [&](int First, int End, int Position) {
        if (Position == NoIntensity || (Mpeg1 && Position > NoIntensity))
            return;
        Position = std::min(Position, 31);
        float K0 = 1.0f, K1 = 1.0f;
        if (Position % 2 == 1)
            K0 = Io[(Position + 1) / 2];
        else
            K1 = Io[Position / 2];
        for (int Line = First; Line < End; ++Line) {
            IntensityPosition[Line] = Position;
            IntensityRatio[Line] = Mpeg1 ? IntensityRatios[Position] : 0.0f;
            IntensityK[0][Line] = K0;
            IntensityK[1][Line] = K1;
        }
    };
    auto CopyPosition = [&](int First, int End, int From) {
        for (int Line = First; Line < End; ++Line) {
            IntensityPosition[Line] = IntensityPosition[From];
            IntensityRatio[Line] = IntensityRatio[From];
            IntensityK[0][Line] = IntensityK[0][From];
            IntensityK[1][Line] = IntensityK[1][From];
        }
    };
    // Intensity in the long bands above the last nonzero line below End, up to LastBand.
    auto LongBandsAbove = [&](int End, int LastBand) {
        int Line = End - 1;
        while (Line >= 0 && Right[Line] == 0.0f)
            --Line;
        int Band = 0;
        while (Band < LongBands - 1 && Bands.Long[Band + 1] <= Line)
            ++Band;
        for (Band = Line < 0 ? 0 : Band + 1; Band <= LastBand; ++Band)
            Set(Bands.Long[Band], Bands.Long[Band + 1], S.Long[Band]);
    };

    if (!G.Short()) {
        LongBandsAbove(GranuleLines, 20);
        // Band 21 has no scale factor and follows band 20.
        CopyPosition(Bands.Long[21], GranuleLines, Bands.Long[20]);
        return;
    }
    const int FirstBand = G.Mixed() ? 3 : 0;
    int HighestNonzero = FirstBand - 1;
    for (int Window = 0; Window < 3; ++Window) {
        int Highest = FirstBand - 1;
        for (int Band = ShortBands - 2; Band >= FirstBand && Highest < FirstBand; --Band) {
            const int Width = Bands.Short[Band + 1] - Bands.Short[Band];
            const int Start = Bands.Short[Band] * 3 + Window * Width;
            for (int Line = Start; Line < Start + Width; ++Line)
                if (Right[Line] != 0.0f) {
                    Highest = Band;
                    break;
                }
            if (Highest >= FirstBand)
                break;
        }
        HighestNonzero = std::max(HighestNonzero, Highest);
        for (int Band = Highest + 1; Band < 12; ++Band) {
            const int Width = Bands.Short[Band + 1] - Bands.Short[Band];
            const int Start = Bands.Short[Band] * 3 + Window * Width;
            Set(Start, Start + Width, S.Short[Window][Band]);
        }
        // Band 12 has no scale factor and follows band 11 of the same window.
        const int Width11 = Bands.Short[12] - Bands.Short[11];
        const int Width12 = Bands.Short[13] - Bands.Short[12];
        const int Start12 = Bands.Short[12] * 3 + Window * Width12;
        CopyPosition(Start12, Start12 + Width12, Bands.Short[11] * 3 + Window * Width11);
    }
    // The long part joins in only when channel 1 holds no value in any window of the
    // short part.
    if (G.Mixed() && HighestNonzero < FirstBand)
        LongBandsAbove(Bands.Long[MixedLongBands], MixedLongBands - 1);
}

void TLayer3Decoder::Reorder(int Channel, int Granule)
{
    const TGranuleInfo& G = SideInfo.Granules[Granule][Channel];
    const float* In = StereoValues[Channel];
    if (!G.Short()) {
        std::copy(In, In + GranuleLines, Reordered);
        return;
    }
    const TBandTable& Bands = BandTables[BandTableIndex];
    const int FirstBand = G.Mixed() ? 3 : 0;
    std::copy(In, In + Bands.Short[FirstBand] * 3, Reordered);
    for (int Band = FirstBand; Band < ShortBands - 1; ++Band) {
        const int Start = Bands.Short[Band];
        const int Width = Bands.Short[Band + 1] - Start;
        for (int Window = 0; Window < 3; ++Window)
            for (int f = 0; f < Width; ++f)
                Reordered[3 * Start + 3 * f + Window] = In[3 * Start + Window * Width + f];
    }
}
