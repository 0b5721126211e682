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

#include "mpeg/layer3/MpegLayer3Tables.h"
#include "tests/mpeg/Layer3FrameBuilder.h"

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
    std::vector<int> order;
    const bool byWindow = CodedByWindow(G);
    const int longCount = !byWindow ? 21 : !G.MixedBlock ? 0 : Mpeg1 ? 8 : 6;
    for (int band = 0; band < longCount; ++band) {
        order.push_back(Content.Long[band]);
    }
    if (byWindow) {
        for (int band = G.MixedBlock ? 3 : 0; band < 12; ++band) {
            for (int window = 0; window < 3; ++window) {
                order.push_back(Content.Short[window][band]);
            }
        }
    }

    // Lengths: MPEG-1 slen1 for long bands 0..10 and short bands 0..5, slen2 above;
    // MPEG-2 one length per partition.
    std::vector<int> lengths;
    if (Mpeg1) {
        const int slen1 = ScaleFactorLengths[0][G.ScalefacCompress & 15];
        const int slen2 = ScaleFactorLengths[1][G.ScalefacCompress & 15];
        const int firstSlen2 = byWindow ? (longCount + (6 - (G.MixedBlock ? 3 : 0)) * 3) : 11;
        for (size_t i = 0; i < order.size(); ++i) {
            lengths.push_back(static_cast<int>(i) < firstSlen2 ? slen1 : slen2);
        }
    } else {
        const int c = G.ScalefacCompress;
        const int f = c >> 1;  // channel 1 under intensity stereo: bit 0 is the intensity scale
        if (IntensityChannel ? f >= 180 : c >= 400) {
            throw std::invalid_argument("MPEG-2 scalefac_compress beyond the first partition kind");
        }
        int slen[4] = {(c >> 4) / 5, (c >> 4) % 5, (c >> 2) & 3, c & 3};
        if (IntensityChannel) {
            const int intensity[4] = {f / 36, (f % 36) / 6, f % 6, 0};
            std::copy(intensity, intensity + 4, slen);
        }
        const int blockKind = !byWindow ? 0 : G.MixedBlock ? 2 : 1;
        for (int partition = 0; partition < 4; ++partition) {
            for (int i = 0; i < PartitionSizes[IntensityChannel ? 3 : 0][blockKind][partition]; ++i) {
                lengths.push_back(slen[partition]);
            }
        }
        if (lengths.size() != order.size()) {
            throw std::logic_error("partition sizes do not match the scale factors");
        }
    }
    std::vector<std::pair<int, int>> coded;
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] < 0 || order[i] >= (1 << lengths[i])) {
            throw std::invalid_argument("scale factor beyond its length");
        }
        coded.emplace_back(order[i], lengths[i]);
    }
    return coded;
}

inline void PutGranule(TLayer3FrameFields& Fields, int Granule, int Channel, const TGranuleContent& Content)
{
    TGranuleFields& g = Fields.Granules[Granule][Channel];
    TBitWriter& writer = Fields.MainData;
    const int start = writer.BitCount;
    const bool intensityChannel = !Fields.Mpeg1 && (Fields.ModeExtension & 1) && Channel == 1;
    for (const auto& [value, length] : CodedScaleFactors(g, Fields.Mpeg1, intensityChannel, Content)) {
        writer.Put(static_cast<uint32_t>(value), length);
    }

    const int* values = Content.Values;
    // The count1 region: whole quadruples of magnitudes up to 1 below the last nonzero value.
    int end = GranuleLines;
    while (end > 0 && values[end - 1] == 0) {
        --end;
    }
    const int count1End = (end + 3) / 4 * 4;
    int bigEnd = count1End;
    auto small = [&](int Line) { return std::abs(values[Line]) <= 1; };
    while (bigEnd >= 4 && small(bigEnd - 4) && small(bigEnd - 3) && small(bigEnd - 2) && small(bigEnd - 1)) {
        bigEnd -= 4;
    }

    // Region starts: implicit with window switching (the region 1 of a short block
    // starts at line 36, of others at long band 8; no region 2).
    const TBandTable& bands = BandTables[Fields.Mpeg1 ? 3 : 0];
    int region1 = GranuleLines, region2 = GranuleLines;
    if (g.WindowSwitching) {
        region1 = CodedByWindow(g) ? 36 : bands.Long[8];
    } else {
        region1 = bands.Long[std::min(g.Region0Count + 1, LongBands - 1)];
        region2 = bands.Long[std::min(g.Region0Count + g.Region1Count + 2, LongBands - 1)];
    }
    for (int line = 0; line < bigEnd; line += 2) {
        const int region = line < region1 ? 0 : line < region2 ? 1 : 2;
        PutHuffmanPair(writer, g.TableSelect[region], values[line], values[line + 1]);
    }
    for (int line = bigEnd; line < count1End; line += 4) {
        PutQuadruple(writer, g.Count1Table, values[line], values[line + 1], values[line + 2], values[line + 3]);
    }
    g.BigValues = bigEnd / 2;
    g.Part2_3Length = writer.BitCount - start;
}
