// Scale factors of one granule and channel: the MPEG-1 syntax with scale-factor
// selection, and the MPEG-2 syntax with its partitions and intensity-stereo variant.

#include <algorithm>

#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer3/MpegLayer3.h"

void TLayer3Decoder::ReadScaleFactors(int Channel, int Granule)
{
    const TGranuleInfo& g = SideInfo.Granules[Granule][Channel];
    const int slen1 = ScaleFactorLengths[0][g.ScalefacCompress & 15];
    const int slen2 = ScaleFactorLengths[1][g.ScalefacCompress & 15];
    TScaleFactors& s = ScaleFactors[Channel];
    auto readShortBands = [&](int First, int Last, int Length) {
        for (int band = First; band <= Last; ++band) {
            for (int window = 0; window < 3; ++window) {
                s.Short[window][band] = static_cast<int>(Reservoir->ReadBits(Length));
            }
        }
    };
    if (g.Short()) {
        if (g.Mixed()) {
            for (int band = 0; band < 8; ++band) {
                s.Long[band] = static_cast<int>(Reservoir->ReadBits(slen1));
            }
            readShortBands(3, 5, slen1);
        } else {
            readShortBands(0, 5, slen1);
        }
        readShortBands(6, 11, slen2);
        for (int window = 0; window < 3; ++window) {
            s.Short[window][12] = 0;
        }
        return;
    }
    // Band groups 0-5, 6-10, 11-15 and 16-20; granule 1 keeps granule 0's values of
    // a group whose scfsi flag is set.
    const int groupStart[5] = {0, 6, 11, 16, 21};
    for (int group = 0; group < 4; ++group) {
        if (Granule != 0 && SideInfo.Scfsi[Channel][group]) {
            continue;
        }
        const int length = group < 2 ? slen1 : slen2;
        for (int band = groupStart[group]; band < groupStart[group + 1]; ++band) {
            s.Long[band] = static_cast<int>(Reservoir->ReadBits(length));
        }
    }
    s.Long[21] = s.Long[22] = 0;
}

void TLayer3Decoder::ReadScaleFactorsLsf(int Channel, int Granule)
{
    TGranuleInfo& g = SideInfo.Granules[Granule][Channel];
    const int blockKind = g.Short() ? (g.Mixed() ? 2 : 1) : 0;
    int slen[4] = {};
    int kind = 0;
    const bool intensityVariant =
        (Links.Header->ModeExtension == 1 || Links.Header->ModeExtension == 3) && Channel == 1;
    if (intensityVariant) {
        const int f = g.ScalefacCompress >> 1;
        if (f < 180) {
            slen[0] = f / 36, slen[1] = (f % 36) / 6, slen[2] = f % 6;
            kind = 3;
        } else if (f < 244) {
            const int t = f - 180;
            slen[0] = (t & 63) >> 4, slen[1] = (t & 15) >> 2, slen[2] = t & 3;
            kind = 4;
        } else {
            const int t = f - 244;
            slen[0] = t / 3, slen[1] = t % 3;
            kind = 5;
        }
        g.Preflag = 0;
    } else {
        const int c = g.ScalefacCompress;
        if (c < 400) {
            slen[0] = (c >> 4) / 5, slen[1] = (c >> 4) % 5, slen[2] = (c >> 2) & 3, slen[3] = c & 3;
            kind = 0;
            g.Preflag = 0;
        } else if (c < 500) {
            const int t = c - 400;
            slen[0] = (t >> 2) / 5, slen[1] = (t >> 2) % 5, slen[2] = t & 3;
            kind = 1;
            g.Preflag = 0;
        } else {
            const int t = c - 500;
            slen[0] = t / 3, slen[1] = t % 3;
            kind = 2;
            g.Preflag = 1;
        }
    }
    int values[45] = {};
    int count = 0;
    for (int partition = 0; partition < 4; ++partition) {
        for (int i = 0; i < PartitionSizes[kind][blockKind][partition]; ++i) {
            values[count++] = static_cast<int>(Reservoir->ReadBits(slen[partition]));
        }
    }

    TScaleFactors& s = ScaleFactors[Channel];
    int next = 0;
    if (blockKind == 0) {
        for (int band = 0; band < 21; ++band) {
            s.Long[band] = values[next++];
        }
        s.Long[21] = s.Long[22] = 0;
        return;
    }
    int firstShort = 0;
    if (blockKind == 2) {
        for (int band = 0; band < MixedLongBands; ++band) {
            s.Long[band] = values[next++];
        }
        firstShort = 3;
    }
    for (int band = firstShort; band < 12; ++band) {
        for (int window = 0; window < 3; ++window) {
            s.Short[window][band] = values[next++];
        }
    }
    for (int window = 0; window < 3; ++window) {
        s.Short[window][12] = 0;
    }
}
