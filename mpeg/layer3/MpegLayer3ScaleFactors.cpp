// Scale factors of one granule and channel: the MPEG-1 syntax with scale-factor
// selection, and the MPEG-2 syntax with its partitions and intensity-stereo variant.

#include <algorithm>

#include "mpeg/frame/MpegHeader.h"
#include "mpeg/layer3/MpegLayer3.h"

void TLayer3Decoder::ReadScaleFactors(int Channel, int Granule)
{
    const TGranuleInfo& G = SideInfo.Granules[Granule][Channel];
    const int Slen1 = ScaleFactorLengths[0][G.ScalefacCompress & 15];
    const int Slen2 = ScaleFactorLengths[1][G.ScalefacCompress & 15];
    TScaleFactors& S = ScaleFactors[Channel];
    auto ReadShortBands = [&](int First, int Last, int Length) {
        for (int Band = First; Band <= Last; ++Band)
            for (int Window = 0; Window < 3; ++Window)
                S.Short[Window][Band] = static_cast<int>(Reservoir->ReadBits(Length));
    };
    if (G.Short()) {
        if (G.Mixed()) {
            for (int Band = 0; Band < 8; ++Band)
                S.Long[Band] = static_cast<int>(Reservoir->ReadBits(Slen1));
            ReadShortBands(3, 5, Slen1);
        } else {
            ReadShortBands(0, 5, Slen1);
        }
        ReadShortBands(6, 11, Slen2);
        for (int Window = 0; Window < 3; ++Window)
            S.Short[Window][12] = 0;
        return;
    }
    // Band groups 0-5, 6-10, 11-15 and 16-20; granule 1 keeps granule 0's values of
    // a group whose scfsi flag is set.
    const int GroupStart[5] = {0, 6, 11, 16, 21};
    for (int Group = 0; Group < 4; ++Group) {
        if (Granule != 0 && SideInfo.Scfsi[Channel][Group])
            continue;
        const int Length = Group < 2 ? Slen1 : Slen2;
        for (int Band = GroupStart[Group]; Band < GroupStart[Group + 1]; ++Band)
            S.Long[Band] = static_cast<int>(Reservoir->ReadBits(Length));
    }
    S.Long[21] = S.Long[22] = 0;
}

void TLayer3Decoder::ReadScaleFactorsLsf(int Channel, int Granule)
{
    TGranuleInfo& G = SideInfo.Granules[Granule][Channel];
    const int BlockKind = G.Short() ? (G.Mixed() ? 2 : 1) : 0;
    int Slen[4] = {};
    int Kind = 0;
    const bool IntensityVariant = (Header->ModeExtension == 1 || Header->ModeExtension == 3) && Channel == 1;
    if (IntensityVariant) {
        const int F = G.ScalefacCompress >> 1;
        if (F < 180) {
            Slen[0] = F / 36, Slen[1] = (F % 36) / 6, Slen[2] = F % 6;
            Kind = 3;
        } else if (F < 244) {
            const int T = F - 180;
            Slen[0] = (T & 63) >> 4, Slen[1] = (T & 15) >> 2, Slen[2] = T & 3;
            Kind = 4;
        } else {
            const int T = F - 244;
            Slen[0] = T / 3, Slen[1] = T % 3;
            Kind = 5;
        }
        G.Preflag = 0;
    } else {
        const int C = G.ScalefacCompress;
        if (C < 400) {
            Slen[0] = (C >> 4) / 5, Slen[1] = (C >> 4) % 5, Slen[2] = (C >> 2) & 3, Slen[3] = C & 3;
            Kind = 0;
            G.Preflag = 0;
        } else if (C < 500) {
            const int T = C - 400;
            Slen[0] = (T >> 2) / 5, Slen[1] = (T >> 2) % 5, Slen[2] = T & 3;
            Kind = 1;
            G.Preflag = 0;
        } else {
            const int T = C - 500;
            Slen[0] = T / 3, Slen[1] = T % 3;
            Kind = 2;
            G.Preflag = 1;
        }
    }
    int Values[45] = {};
    int Count = 0;
    for (int Partition = 0; Partition < 4; ++Partition)
        for (int i = 0; i < PartitionSizes[Kind][BlockKind][Partition]; ++i)
            Values[Count++] = static_cast<int>(Reservoir->ReadBits(Slen[Partition]));

    TScaleFactors& S = ScaleFactors[Channel];
    int Next = 0;
    if (BlockKind == 0) {
        for (int Band = 0; Band < 21; ++Band)
            S.Long[Band] = Values[Next++];
        S.Long[21] = S.Long[22] = 0;
        return;
    }
    int FirstShort = 0;
    if (BlockKind == 2) {
        for (int Band = 0; Band < MixedLongBands; ++Band)
            S.Long[Band] = Values[Next++];
        FirstShort = 3;
    }
    for (int Band = FirstShort; Band < 12; ++Band)
        for (int Window = 0; Window < 3; ++Window)
            S.Short[Window][Band] = Values[Next++];
    for (int Window = 0; Window < 3; ++Window)
        S.Short[Window][12] = 0;
}
