#pragma once
// Writes the main data of one granule and channel as an encoder lays it out: the
// scale factors in the layout the side information selects, the big values pair
// by pair with the table of their region, then the count1 quadruples; big_values
// and part2_3_length are set from what was written.

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <utility>
#include <vector>

#include "Layer3FrameBuilder.h"
#include "mpeg/layer3/MpegLayer3Tables.h"

struct TGranuleContent {
    int Values[GranuleLines] = {};  // quantised values in coded order: a short band's windows one after another
    int Long[21] = {};              // scale factors of long bands 0..20
    int Short[3][12] = {};          // scale factors of short bands 0..11, by window
};

// Only block type 2 codes its values and scale factors by short window; a mixed
// block of another type is laid out as a long block.
inline bool CodedByWindow(const TGranuleFields& G)
{
    return G.WindowSwitching && G.BlockType == 2;
}

// The scale factors in coded order, each with its length in bits. MPEG-2 streams
// take scalefac_compress below 400 (four lengths, no pre-emphasis), or below 360 in
// channel 1 under intensity stereo (three lengths).
inline std::vector<std::pair<int, int>> CodedScaleFactors(const TGranuleFields& G, bool Mpeg1, bool IntensityChannel,
                                                          const TGranuleContent& Content)
{
    std::vector<int> Order;
    const bool ByWindow = CodedByWindow(G);
    const int LongCount = !ByWindow ? 21 : !G.MixedBlock ? 0 : Mpeg1 ? 8 : 6;
    for (int Band = 0; Band < LongCount; ++Band)
        Order.push_back(Content.Long[Band]);
    if (ByWindow)
        for (int Band = G.MixedBlock ? 3 : 0; Band < 12; ++Band)
            for (int Window = 0; Window < 3; ++Window)
                Order.push_back(Content.Short[Window][Band]);

    // Lengths: MPEG-1 slen1 for long bands 0..10 and short bands 0..5, slen2 above;
    // MPEG-2 one length per partition.
    std::vector<int> Lengths;
    if (Mpeg1) {
        const int Slen1 = ScaleFactorLengths[0][G.ScalefacCompress & 15];
        const int Slen2 = ScaleFactorLengths[1][G.ScalefacCompress & 15];
        const int FirstSlen2 = ByWindow ? (LongCount + (6 - (G.MixedBlock ? 3 : 0)) * 3) : 11;
        for (size_t i = 0; i < Order.size(); ++i)
            Lengths.push_back(static_cast<int>(i) < FirstSlen2 ? Slen1 : Slen2);
    } else {
        const int C = G.ScalefacCompress;
        const int F = C >> 1;  // channel 1 under intensity stereo: bit 0 is the intensity scale
        if (IntensityChannel ? F >= 180 : C >= 400)
            throw std::invalid_argument("MPEG-2 scalefac_compress beyond the first partition kind");
        int Slen[4] = {(C >> 4) / 5, (C >> 4) % 5, (C >> 2) & 3, C & 3};
        if (IntensityChannel) {
            const int Intensity[4] = {F / 36, (F % 36) / 6, F % 6, 0};
            std::copy(Intensity, Intensity + 4, Slen);
        }
        const int BlockKind = !ByWindow ? 0 : G.MixedBlock ? 2 : 1;
        for (int Partition = 0; Partition < 4; ++Partition)
            for (int i = 0; i < PartitionSizes[IntensityChannel ? 3 : 0][BlockKind][Partition]; ++i)
                Lengths.push_back(Slen[Partition]);
        if (Lengths.size() != Order.size())
            throw std::logic_error("partition sizes do not match the scale factors");
    }
    std::vector<std::pair<int, int>> Coded;
    for (size_t i = 0; i < Order.size(); ++i) {
        if (Order[i] < 0 || Order[i] >= (1 << Lengths[i]))
            throw std::invalid_argument("scale factor beyond its length");
        Coded.emplace_back(Order[i], Lengths[i]);
    }
    return Coded;
}

inline void PutGranule(TLayer3FrameFields& Fields, int Granule, int Channel, const TGranuleContent& Content)
{
    TGranuleFields& G = Fields.Granules[Granule][Channel];
    TBitWriter& Writer = Fields.MainData;
    const int Start = Writer.BitCount;
    const bool IntensityChannel = !Fields.Mpeg1 && (Fields.ModeExtension & 1) && Channel == 1;
    for (const auto& [Value, Length] : CodedScaleFactors(G, Fields.Mpeg1, IntensityChannel, Content))
        Writer.Put(static_cast<uint32_t>(Value), Length);

    const int* Values = Content.Values;
    // The count1 region: whole quadruples of magnitudes up to 1 below the last nonzero value.
    int End = GranuleLines;
    while (End > 0 && Values[End - 1] == 0)
        --End;
    const int Count1End = (End + 3) / 4 * 4;
    int BigEnd = Count1End;
    auto Small = [&](int Line) { return std::abs(Values[Line]) <= 1; };
    while (BigEnd >= 4 && Small(BigEnd - 4) && Small(BigEnd - 3) && Small(BigEnd - 2) && Small(BigEnd - 1))
        BigEnd -= 4;

    // Region starts: implicit with window switching (the region 1 of a short block
    // starts at line 36, of others at long band 8; no region 2).
    const TBandTable& Bands = BandTables[Fields.Mpeg1 ? 3 : 0];
    int Region1 = GranuleLines, Region2 = GranuleLines;
    if (G.WindowSwitching) {
        Region1 = CodedByWindow(G) ? 36 : Bands.Long[8];
    } else {
        Region1 = Bands.Long[std::min(G.Region0Count + 1, LongBands - 1)];
        Region2 = Bands.Long[std::min(G.Region0Count + G.Region1Count + 2, LongBands - 1)];
    }
    for (int Line = 0; Line < BigEnd; Line += 2) {
        const int Region = Line < Region1 ? 0 : Line < Region2 ? 1 : 2;
        PutHuffmanPair(Writer, G.TableSelect[Region], Values[Line], Values[Line + 1]);
    }
    for (int Line = BigEnd; Line < Count1End; Line += 4)
        PutQuadruple(Writer, G.Count1Table, Values[Line], Values[Line + 1], Values[Line + 2], Values[Line + 3]);
    G.BigValues = BigEnd / 2;
    G.Part2_3Length = Writer.BitCount - Start;
}
